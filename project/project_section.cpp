#include "project/project_section.h"

#include "core/file_util.h"
#include "project/language_texts.h"
#include "project/section_io.h"
#include "project/settings_block.h"
#include "project/text_convert.h"

#include <algorithm>
#include <filesystem>
#include <unordered_map>

namespace tavlo::project {

namespace {

// The version from which each item is in the file.
constexpr int kRecordingOptionSince = 104;
constexpr int kBubbleTextUtf16Since = 210;
constexpr int kHtmlSince = 300;
constexpr int kZoomSince = 400;
constexpr int kBookmarksSince = 400;
constexpr int kEditWindowSince = 400;
constexpr int kFactorsSince = 500;
constexpr int kVideoExportSince = 600;
constexpr int kDefaultFrameSince = 600;
constexpr int kRecorderTailSince = 620;
constexpr int kProjectFolderSince = 640;
constexpr int kUploadSince = 640;
constexpr int kSourcesSince = 700;
constexpr int kShapeGroupSince = 744;
constexpr int kClipsSince = 750; // clip records, language lists, per-language speech
constexpr int kStudioSince = 750;
constexpr int kControlBar2Since = 751;
constexpr int kWindowsSince = 760;
constexpr int kItem39Since = 811;
constexpr int kItem40Since = 831;
constexpr int kWebVideoSince = 841;

constexpr int kMaxPointerSize = 256;
constexpr int kMaxStudioSlots = 127;
constexpr std::uint32_t kMaxSubRecord = 4096;
constexpr std::uint16_t kUploadVersion = 5;

Ref slot(Ref old, bool present) {
    return present ? (old ? old : 1) : 0;
}

template <std::size_t N> void putInts(SectionWriter& w, const std::array<int, N>& a) {
    for (int v : a) w.integer(v);
}
template <std::size_t N> bool getInts(SectionReader& r, std::array<int, N>& a) {
    for (int& v : a)
        if (!r.integer(v)) return false;
    return true;
}

std::string relativeTo(const std::string& path, const std::string& folder) {
    if (folder.empty() || path.empty()) return path;
    std::filesystem::path rel = std::filesystem::path(path).lexically_relative(folder);
    return rel.empty() ? path : rel.string();
}

std::string truncated(const std::string& s, std::size_t max) {
    return s.size() > max ? s.substr(0, max) : s;
}

// ---------------------------------------------------------------------------------------------
// Writing

struct FrameWriter {
    SectionWriter& w;
    const Project& p;
    int version;
    std::string currentLanguage;
    Ref previousClip = 0;

    void write(const FrameNode& n, int index, bool last) {
        const FrameData& d = n.data;
        Frame r = n.frame;
        r.prev = slot(r.prev, index > 0);
        r.next = last ? 0 : slot(r.next, true);
        r.cache = r.hotspotMediaCache = r.panBackgroundCache = 0;
        const bool editOn = d.editedImage && !r.editedImageOff;
        if (d.editedImage && r.editedImageOff) r.editedImageOff = 0; // the switched-off edit is dropped
        r.editedImage = slot(r.editedImage, editOn);
        r.bubbleFont = slot(r.bubbleFont, d.bubbleFont.has_value());

        // The current language's values go back into its entry; a frame with speech but no
        // entries gets one, so that its speech survives (later files keep speech per language).
        std::vector<LanguageText> langs;
        if (version >= kClipsSince) langs = languagesWithCurrent(n, currentLanguage, false);
        r.languageTexts = slot(r.languageTexts, !langs.empty());

        const bool ansiTexts = version < kBubbleTextUtf16Since;
        std::string textBytes, plainBytes;
        if (ansiTexts) {
            textBytes = utf16ToUtf8(d.bubbleText.value_or(std::u16string()));
            plainBytes = utf16ToUtf8(d.bubblePlainText.value_or(std::u16string()));
        }
        r.bubbleText = slot(r.bubbleText, d.bubbleText.has_value());
        r.bubblePlainText = slot(r.bubblePlainText, d.bubblePlainText.has_value());
        r.bubbleTextLength = ansiTexts ? std::int32_t(textBytes.size())
                                       : std::int32_t(d.bubbleText ? d.bubbleText->size() : 0);
        r.bubblePlainTextLength = ansiTexts ? std::int32_t(plainBytes.size())
                                            : std::int32_t(d.bubblePlainText ? d.bubblePlainText->size() : 0);

        std::u16string chapter = d.chapterTitle.value_or(std::u16string());
        if (chapter.size() > 32767) chapter.resize(32767);
        r.chapterTitle = slot(r.chapterTitle, d.chapterTitle.has_value());
        r.chapterTitleLength = std::int16_t(chapter.size());
        r.snapshot = slot(r.snapshot, d.snapshot.has_value());
        r.soundFile = slot(r.soundFile, d.soundFile.has_value());
        r.soundFileLength = std::uint32_t(d.soundFile ? d.soundFile->size() : 0);
        const bool relative = d.soundFile && d.soundFileRelative;
        r.soundFileRelative = slot(r.soundFileRelative, relative);
        r.soundFileRelativeLength = std::uint32_t(relative ? d.soundFileRelative->size() : 0);
        const std::string hotspotUrl = truncated(d.hotspotUrl.value_or(""), 65535);
        const std::string hotspotTarget = truncated(d.hotspotTarget.value_or(""), 65535);
        const std::string actionUrl = truncated(d.actionUrl.value_or(""), 65535);
        const std::string actionTarget = truncated(d.actionTarget.value_or(""), 65535);
        const std::string media = truncated(d.hotspotMedia.value_or(""), 32767);
        r.hotspotUrl = slot(r.hotspotUrl, d.hotspotUrl.has_value());
        r.hotspotUrlLength = std::uint16_t(hotspotUrl.size());
        r.hotspotTarget = slot(r.hotspotTarget, d.hotspotTarget.has_value());
        r.hotspotTargetLength = std::uint16_t(hotspotTarget.size());
        r.actionUrl = slot(r.actionUrl, d.actionUrl.has_value());
        r.actionUrlLength = std::uint16_t(actionUrl.size());
        r.actionTarget = slot(r.actionTarget, d.actionTarget.has_value());
        r.actionTargetLength = std::uint16_t(actionTarget.size());
        r.hotspotMedia = slot(r.hotspotMedia, d.hotspotMedia.has_value());
        r.hotspotMediaLength = std::int16_t(media.size());
        r.panBackground = slot(r.panBackground, d.panBackground.has_value());
        r.bubbleAnimation = slot(r.bubbleAnimation, d.bubbleAnimation.has_value());
        r.speechText = slot(r.speechText, d.speechText.has_value());
        const bool clipped = version >= kClipsSince && d.clip >= 0 && std::size_t(d.clip) < p.clips.size();
        r.clip = clipped ? Ref(d.clip + 1) : 0;

        w.record(r, std::size_t(frameRecordSizeFor(version)));
        if (version >= kClipsSince && r.clip != previousClip) {
            if (r.clip) w.record(p.clips[std::size_t(d.clip)]);
        }
        previousClip = r.clip;
        if (d.bubbleFont) w.record(*d.bubbleFont);

        if (!langs.empty()) {
            for (std::size_t i = 0; i < langs.size(); ++i) {
                LanguageText e = langs[i];
                e.record.name = slot(e.record.name, true);
                e.record.speechText = slot(e.record.speechText, e.speechText.has_value());
                e.record.textLength = std::int32_t(e.text.size());
                e.record.plainTextLength = std::int32_t(e.plainText.size());
                e.record.next = i + 1 < langs.size() ? slot(e.record.next, true) : 0;
                w.u32(std::uint32_t(sizeof e.record));
                w.record(e.record);
                w.u32(std::uint32_t(e.name.size()));
                w.raw(e.name.data(), e.name.size());
                w.units(e.text);
                w.units(e.plainText);
                if (e.speechText) {
                    w.u32(std::uint32_t(e.speechText->size()));
                    w.units(*e.speechText);
                }
            }
        } else if (r.bubbleText && (version >= kClipsSince || r.bubbleTextLength)) {
            if (ansiTexts) {
                w.raw(textBytes.data(), textBytes.size());
                w.raw(plainBytes.data(), plainBytes.size());
            } else {
                w.units(d.bubbleText.value_or(std::u16string()));
                w.units(d.bubblePlainText.value_or(std::u16string()));
            }
        }
        if (r.chapterTitle) w.units(chapter);
        if (d.snapshot) {
            w.u32(std::uint32_t(d.snapshot->pixels.size()));
            w.u32(std::uint32_t(d.snapshot->width));
            w.u32(std::uint32_t(d.snapshot->height));
            w.raw(d.snapshot->pixels.data(), d.snapshot->pixels.size());
            w.u32(d.snapshot->trailer);
        }
        if (editOn) {
            w.u32(std::uint32_t(d.editedImage->size()));
            w.raw(d.editedImage->data(), d.editedImage->size());
        }
        if (d.soundFile) {
            w.raw(d.soundFile->data(), d.soundFile->size());
            if (relative) w.raw(d.soundFileRelative->data(), d.soundFileRelative->size());
        }
        if (r.hotspotUrl) w.raw(hotspotUrl.data(), hotspotUrl.size());
        if (r.hotspotTarget) w.raw(hotspotTarget.data(), hotspotTarget.size());
        if (r.actionUrl) w.raw(actionUrl.data(), actionUrl.size());
        if (r.actionTarget) w.raw(actionTarget.data(), actionTarget.size());
        if (r.hotspotMedia) w.raw(media.data(), media.size());
        if (d.panBackground) {
            w.u32(std::uint32_t(d.panBackground->size()));
            w.raw(d.panBackground->data(), d.panBackground->size());
        }
        if (d.bubbleAnimation) writeBubbleAnimation(w.lines(), *d.bubbleAnimation);
        if (version < kClipsSince && d.speechText) {
            w.u32(std::uint32_t(d.speechText->size()));
            w.units(*d.speechText);
        }
    }
};

void writeTrailer(SectionWriter& w, const Project& p, const SectionWriteOptions& o) {
    const PublishSettings& s = p.settings;
    const int v = o.version;
    w.u16(s.previewWidth);
    w.u16(s.previewHeight);
    w.u32(0);
    for (std::uint32_t c : s.controlBarColours) w.u32(c);
    w.text(s.outputName);
    w.text(s.outputFolder);
    w.text(s.firstSlotOutputPath);
    const PointerShapeTable& t = p.pointerShapes;
    w.integer(t.present ? 1 : 0);
    if (t.present) {
        w.integer(t.width);
        w.integer(t.height);
        w.integer(std::int64_t(t.shapes.size()));
        const std::size_t pixels = std::size_t(t.width) * std::size_t(t.height);
        for (const PointerShape& e : t.shapes) {
            w.integer(e.handle);
            w.integer(e.hotX);
            w.integer(e.hotY);
            std::vector<std::uint32_t> px = e.pixels;
            px.resize(pixels, 0xFFFFFFFFu);
            for (std::uint32_t c : px) w.u32(c);
            if (v >= kShapeGroupSince) w.integer(e.group);
        }
    }
    if (v >= kRecordingOptionSince) w.integer(s.recordingOption);
    w.integer(s.singleFrameChecked);
    for (const QuickMark& q : p.quickMarks) w.integer(q.frameNumber);
    writeSettingsBlock(w, p.defaults, s.block, SettingsForm::Project, v);
    if (v >= kVideoExportSince) putInts(w, s.videoExport);
    if (v >= kZoomSince) {
        w.integer(p.defaults.zoomRect.left);
        w.integer(p.defaults.zoomRect.top);
        w.integer(p.defaults.zoomRect.right);
        w.integer(p.defaults.zoomRect.bottom);
    }
    if (v >= kHtmlSince) {
        putInts(w, s.htmlPage);
        w.integer(s.flashEffects1);
    }
    if (v >= kBookmarksSince) {
        for (const Bookmark& b : p.bookmarks) w.integer(b.frameNumber);
        for (const Bookmark& b : p.bookmarks)
            for (std::int8_t c : b.name) w.integer(c);
    }
    if (v >= kEditWindowSince) putInts(w, s.editWindow1);
    if (v >= kFactorsSince) {
        w.integer(s.htmlSetting2);
        w.real(s.playbackFactor);
        w.real(s.bubbleTimeFactor);
    }
    if (v >= kVideoExportSince) {
        w.integer(s.recorderValue2);
        w.integer(s.flashEffects2);
        putInts(w, s.controlBar1);
    }
    if (v >= kDefaultFrameSince) {
        Frame df = p.defaultFrame.frame;
        df.bubbleFont = slot(df.bubbleFont, p.defaultFrame.data.bubbleFont.has_value());
        w.record(df);
        if (p.defaultFrame.data.bubbleFont) w.record(*p.defaultFrame.data.bubbleFont);
    }
    if (v >= kRecorderTailSince) {
        std::array<int, 5> item26 = s.item26;
        item26[2] = 0;
        putInts(w, item26);
        w.integer(s.recorderValue3);
        putInts(w, s.flashEffects3);
    }
    if (v >= kProjectFolderSince) w.text(o.projectFolder);
    if (v >= kSourcesSince) {
        w.integer(std::int64_t(p.sources.size()));
        for (const Source& src : p.sources) {
            w.text(src.fullPath);
            w.text(relativeTo(src.fullPath, o.projectFolder));
        }
        w.integer(s.advancedOption1);
    }
    if (v >= kStudioSince) {
        putInts(w, s.studioScrollBars);
        for (const Bookmark& b : p.bookmarks) w.integer(b.row);
        for (const QuickMark& q : p.quickMarks) w.integer(q.row);
        const std::size_t slots = std::min<std::size_t>(s.studioSlotPaths.size(), kMaxStudioSlots);
        w.integer(std::int64_t(slots));
        for (std::size_t i = 0; i < slots; ++i) w.text(s.studioSlotPaths[i]);
    }
    if (v >= kControlBar2Since) w.integer(s.controlBar2);
    if (v >= kWindowsSince) {
        putInts(w, s.windowRects);
        w.integer(s.studioVisible);
    }
    if (v >= kItem39Since) putInts(w, s.item39);
    if (v >= kItem40Since) putInts(w, s.item40);
    if (v >= kWebVideoSince) putInts(w, s.webVideo);
    if (v >= kUploadSince) {
        const UploadSettings& u = s.upload;
        w.integer(kUploadVersion);
        w.integer(u.choice);
        w.integer(std::int64_t(u.sites.size()));
        for (const UploadSite& e : u.sites) {
            w.text(e.remoteDirectory);
            w.text(e.siteAddress);
            w.text(e.proxyServer);
            w.text(e.userName);
            w.integer(e.rateLimit);
            w.integer(e.passiveMode);
            w.integer(e.connectionType);
            w.integer(e.timeoutSeconds);
            w.integer(e.includePageFiles);
            w.integer(0); // the password never goes into a project
            w.integer(e.siteId);
        }
        w.text(u.youTubeTitle);
        w.text(u.youTubeDescription);
        w.text(u.youTubeTags);
        w.integer(u.youTubePrivacy);
    }
}

// ---------------------------------------------------------------------------------------------
// Reading

struct FrameReader {
    SectionReader& r;
    int version;
    int recordSize;
    std::unordered_map<Ref, int> clipBySlot; // clip slot value -> index into clips, -1 = none
    std::vector<ClipRecord>& clips;
    Ref previousClip = 0;

    bool text16(bool present, std::int32_t length, std::optional<std::u16string>& out) {
        if (length < 0) return false;
        std::u16string s;
        if (!r.units(s, std::size_t(length))) return false;
        if (present) out = std::move(s);
        return true;
    }
    bool bytes(std::size_t n, std::optional<std::string>& out) {
        std::string s;
        if (!r.bytes(s, n)) return false;
        out = std::move(s);
        return true;
    }
    bool blob(std::optional<std::string>& out) {
        std::uint32_t n;
        return r.u32(n) && bytes(n, out);
    }

    bool read(FrameNode& n) {
        Frame& f = n.frame;
        FrameData& d = n.data;
        if (!r.record(f, std::size_t(recordSize))) return false;
        f.cache = f.hotspotMediaCache = f.panBackgroundCache = 0;
        if (version >= kClipsSince && f.clip != previousClip && f.clip != 0) {
            ClipRecord c;
            if (clipSize > kMaxSubRecord || !r.record(c, clipSize)) return false;
            const bool usable = c.row >= 0 && c.row < kMaxTimelineRows;
            auto it = clipBySlot.find(f.clip);
            if (!usable) {
                clipBySlot[f.clip] = -1;
            } else if (it != clipBySlot.end() && it->second >= 0) {
                clips[std::size_t(it->second)] = c;
            } else {
                clips.push_back(c);
                clipBySlot[f.clip] = int(clips.size()) - 1;
            }
        }
        previousClip = f.clip;
        if (f.clip) {
            auto it = clipBySlot.find(f.clip);
            d.clip = it == clipBySlot.end() ? -1 : it->second;
        }
        if (d.clip < 0) f.clip = 0; // no marker value stands in for a clip
        if (f.bubbleFont) {
            LogFont lf;
            if (!r.record(lf)) return false;
            d.bubbleFont = lf;
        }
        if (version >= kClipsSince && f.languageTexts) {
            for (;;) {
                std::uint32_t size;
                // An entry is at least the record: anything shorter is no entry.
                if (!r.u32(size) || size < sizeof(LanguageTextRecord) || size > kMaxSubRecord) return false;
                LanguageText e;
                std::uint32_t nameLength;
                if (!r.record(e.record, size) || !r.u32(nameLength) || !r.bytes(e.name, nameLength))
                    return false;
                if (e.record.textLength < 0 || e.record.plainTextLength < 0) return false;
                if (!r.units(e.text, std::size_t(e.record.textLength)) ||
                    !r.units(e.plainText, std::size_t(e.record.plainTextLength)))
                    return false;
                if (e.record.speechText) {
                    std::uint32_t count;
                    std::u16string s;
                    if (!r.u32(count) || !r.units(s, count)) return false;
                    e.speechText = std::move(s);
                }
                const bool more = e.record.next != 0;
                d.languageTexts.push_back(std::move(e));
                if (!more) break;
            }
        } else if (f.bubbleText && (version >= kClipsSince || f.bubbleTextLength)) {
            if (f.bubbleTextLength < 0 || f.bubblePlainTextLength < 0) return false;
            if (version < kBubbleTextUtf16Since) {
                std::string a, b;
                if (!r.bytes(a, std::size_t(f.bubbleTextLength)) ||
                    !r.bytes(b, std::size_t(f.bubblePlainTextLength)))
                    return false;
                d.bubbleText = utf8ToUtf16(a);
                d.bubblePlainText = utf8ToUtf16(b);
                f.bubbleTextLength = std::int32_t(d.bubbleText->size());
                f.bubblePlainTextLength = std::int32_t(d.bubblePlainText->size());
                if (!f.bubblePlainText) d.bubblePlainText.reset();
            } else if (!text16(true, f.bubbleTextLength, d.bubbleText) ||
                       !text16(f.bubblePlainText != 0, f.bubblePlainTextLength, d.bubblePlainText)) {
                return false;
            }
        }
        if (f.chapterTitle && !text16(true, f.chapterTitleLength, d.chapterTitle)) return false;
        if (f.snapshot) {
            std::uint32_t size, w, h;
            Snapshot s;
            if (!r.u32(size) || !r.u32(w) || !r.u32(h) || !r.bytes(s.pixels, size) || !r.u32(s.trailer))
                return false;
            s.width = std::int32_t(w);
            s.height = std::int32_t(h);
            d.snapshot = std::move(s);
        }
        if (f.editedImage && !blob(d.editedImage)) return false;
        if (f.soundFile) {
            if (!bytes(f.soundFileLength, d.soundFile)) return false;
            if (f.soundFileRelative && !bytes(f.soundFileRelativeLength, d.soundFileRelative)) return false;
        }
        if (f.hotspotUrl && !bytes(f.hotspotUrlLength, d.hotspotUrl)) return false;
        if (f.hotspotTarget && !bytes(f.hotspotTargetLength, d.hotspotTarget)) return false;
        if (f.actionUrl && !bytes(f.actionUrlLength, d.actionUrl)) return false;
        if (f.actionTarget && !bytes(f.actionTargetLength, d.actionTarget)) return false;
        if (f.hotspotMedia &&
            (f.hotspotMediaLength < 0 || !bytes(std::size_t(f.hotspotMediaLength), d.hotspotMedia)))
            return false;
        if (f.panBackground && !blob(d.panBackground)) return false;
        if (f.bubbleAnimation) {
            BubbleAnimation a;
            if (!readBubbleAnimation(r.lines(), a)) return false;
            d.bubbleAnimation = a;
        }
        if (version < kClipsSince && f.speechText) {
            std::uint32_t count;
            std::u16string s;
            if (!r.u32(count) || !r.units(s, count)) return false;
            d.speechText = std::move(s);
        }
        return r.ok();
    }

    std::uint32_t clipSize = kClipRecordSize;
};

// Completes a record read from an older file.
void upgradeFrame(FrameNode& n, int v, int number, const SectionReadOptions& o, int width, int height) {
    Frame& f = n.frame;
    if (v <= 102) f.pointerInverts = f.clickDown = 0;
    if (v <= 103) f.clickUp = f.keyPress = f.keyRelease = 0;
    if (v <= 105) {
        f.bubbleStyle = f.hotspotStyle = kNoStyle;
        f.frameEffect = 0;
        if (!n.data.bubbleText) f.bubbleTextColour = -1;
        if (f.hotspotOn) f.hotspotStyle = 0;
        if (f.unnamed16) f.bubbleStyle = 0;
        f.actionGoToFrame = f.hotspotGoToFrame = f.hotspotShowUntilFrame = f.bubbleShowUntilFrame =
            number + 1;
        f.hotspotThickness = 5;
    }
    if (v <= 201) f.hotspotOverText = 0;
    if ((v == 200 || v == 201) && f.bubbleStyle > 2 && f.bubbleStyle != kNoStyle) ++f.bubbleStyle;
    if (v < 206) f.unnamed200 = -1;
    if (v < 305) {
        f.hotspotIgnoreClick = 0;
        f.hotspotTransparency = 80;
        f.pointerX = f.pointerY = f.capturedPointerX = f.capturedPointerY = kNoPointer;
    }
    if (v < 311) {
        f.keyRelease = f.keyPress;
        f.frameEffectTime = 100;
        f.hotspotMediaMode = 9;
        f.hotspotFadeIn = f.hotspotFadeOut = 25;
        f.unnamed276 = -1;
    }
    if (v < 312) f.pointerVisible = 0;
    // Records of 105 and older end before the 16-bit forms; their references were set above.
    if (v < 424 && v > 105) {
        f.imageSource = f.legacyImageSource;
        f.actionGoToFrame = f.legacyRefs[0];
        f.hotspotGoToFrame = f.legacyRefs[1];
        f.hotspotShowUntilFrame = f.legacyRefs[2];
        f.bubbleShowUntilFrame = f.legacyRefs[3];
    }
    if (v < 428) {
        f.soundNoiseMix = 256;
        f.soundGateThreshold = f.soundGateLevel = 0;
        f.soundGain = 1.0f;
        f.soundDcOffset = 0;
    }
    if (v < 623) f.pointerEndX = f.pointerEndY = kNoPointerEnd;
    if (v < 672 && f.hotspotStyle > 9 && f.hotspotStyle != kNoStyle) ++f.hotspotStyle;
    if (v <= 674) {
        if (f.frameEffect >= 1 && f.frameEffect <= 3) f.frameEffectTime = 100;
        if (f.soundPlay && f.soundSingleFrame && n.data.soundFile && o.soundLengthOf) {
            f.soundLength = o.soundLengthOf(*n.data.soundFile);
            if (f.displayTime != 0 && f.displayTime < f.soundLength) {
                f.displayTime = f.soundLength;
                f.displayTimeSet = 1;
                f.typedDisplayTime = f.displayTime;
            }
        }
    }
    // Whatever the version.
    if (!f.hotspotOn) f.hotspotStyle = kNoStyle;
    if (!f.syncSoundFirstFrame) f.syncSoundStart = 0;
    f.zoomRect[0] = std::max(f.zoomRect[0], 0);
    f.zoomRect[1] = std::max(f.zoomRect[1], 0);
    f.zoomRect[2] = std::min(f.zoomRect[2], width);
    f.zoomRect[3] = std::min(f.zoomRect[3], height);
    if (f.zoomReset) {
        f.zoomFull = 1;
        f.zoomReset = 0;
        f.zoomRect[0] = f.zoomRect[1] = 0;
        f.zoomRect[2] = width;
        f.zoomRect[3] = height;
    }
}

bool readTrailer(SectionReader& r, Project& p, int v, const SectionReadOptions& o) {
    PublishSettings& s = p.settings;
    std::uint32_t reserved;
    if (!r.u16(s.previewWidth) || !r.u16(s.previewHeight) || !r.u32(reserved)) return false;
    for (std::uint32_t& c : s.controlBarColours)
        if (!r.u32(c)) return false;
    if (!r.text(s.outputName) || !r.text(s.outputFolder) || !r.text(s.firstSlotOutputPath)) return false;
    if (!o.projectsFolder.empty() && !isDirectory(s.outputFolder))
        s.firstSlotOutputPath = joinPath(o.projectsFolder, s.outputName);
    int present;
    if (!r.integer(present)) return false;
    PointerShapeTable& t = p.pointerShapes;
    t.present = present == 1;
    if (t.present) {
        int count;
        if (!r.integer(t.width) || !r.integer(t.height)) return false;
        if (t.width < 0 || t.height < 0 || t.width > kMaxPointerSize || t.height > kMaxPointerSize)
            return false;
        const std::size_t pixels = std::size_t(t.width) * std::size_t(t.height);
        if (!r.count(count, INT32_MAX, pixels * 4 + 6)) return false;
        t.shapes.resize(std::size_t(count));
        for (PointerShape& e : t.shapes) {
            if (!r.integer(e.handle) || !r.integer(e.hotX) || !r.integer(e.hotY)) return false;
            e.pixels.resize(pixels);
            for (std::uint32_t& c : e.pixels)
                if (!r.u32(c)) return false;
            e.inverts = std::find(e.pixels.begin(), e.pixels.end(), 0xFEFFFFFFu) != e.pixels.end();
            if (v >= kShapeGroupSince && !r.integer(e.group)) return false;
        }
    }
    if (v >= kRecordingOptionSince && !r.integer(s.recordingOption)) return false;
    if (!r.integer(s.singleFrameChecked)) return false;
    for (QuickMark& q : p.quickMarks)
        if (!r.integer(q.frameNumber)) return false;
    if (!readSettingsBlock(r, v, p.defaults, s.block, SettingsForm::Project)) return false;
    if (v >= kVideoExportSince && !getInts(r, s.videoExport)) return false;
    if (v >= kZoomSince) {
        Rect& z = p.defaults.zoomRect;
        if (!r.integer(z.left) || !r.integer(z.top) || !r.integer(z.right) || !r.integer(z.bottom))
            return false;
    }
    if (v >= kHtmlSince && (!getInts(r, s.htmlPage) || !r.integer(s.flashEffects1))) return false;
    if (v >= kBookmarksSince) {
        for (Bookmark& b : p.bookmarks)
            if (!r.integer(b.frameNumber)) return false;
        for (Bookmark& b : p.bookmarks)
            for (std::int8_t& c : b.name) {
                int x;
                if (!r.integer(x)) return false;
                c = std::int8_t(x);
            }
    }
    if (v >= kEditWindowSince && !getInts(r, s.editWindow1)) return false;
    if (v >= kFactorsSince &&
        (!r.integer(s.htmlSetting2) || !r.real(s.playbackFactor) || !r.real(s.bubbleTimeFactor)))
        return false;
    if (v >= kVideoExportSince &&
        (!r.integer(s.recorderValue2) || !r.integer(s.flashEffects2) || !getInts(r, s.controlBar1)))
        return false;
    if (v >= kDefaultFrameSince) {
        if (!r.record(p.defaultFrame.frame)) return false;
        p.defaultFrame.frame.cache = 0;
        if (p.defaultFrame.frame.bubbleFont) {
            LogFont lf;
            if (!r.record(lf)) return false;
            p.defaultFrame.data.bubbleFont = lf;
        }
    }
    if (v >= kRecorderTailSince &&
        (!getInts(r, s.item26) || !r.integer(s.recorderValue3) || !getInts(r, s.flashEffects3)))
        return false;
    if (v >= kProjectFolderSince && !r.text(s.projectFolder)) return false;
    if (v >= kSourcesSince) {
        int count;
        if (!r.count(count, INT32_MAX, 2)) return false;
        for (int i = 0; i < count; ++i) {
            Source src;
            if (!r.text(src.fullPath) || !r.text(src.relativePath)) return false;
            if (i < kMaxSources) p.sources.push_back(std::move(src));
        }
        if (!r.integer(s.advancedOption1)) return false;
    }
    if (v >= kStudioSince) {
        if (!getInts(r, s.studioScrollBars)) return false;
        for (Bookmark& b : p.bookmarks)
            if (!r.integer(b.row)) return false;
        for (QuickMark& q : p.quickMarks)
            if (!r.integer(q.row)) return false;
        int slots;
        if (!r.count(slots, kMaxStudioSlots, 1)) return false;
        s.studioSlotPaths.assign(std::size_t(slots), {});
        for (std::string& path : s.studioSlotPaths)
            if (!r.text(path)) return false;
    }
    if (v >= kControlBar2Since && !r.integer(s.controlBar2)) return false;
    if (v >= kWindowsSince && (!getInts(r, s.windowRects) || !r.integer(s.studioVisible))) return false;
    if (v >= kItem39Since && !getInts(r, s.item39)) return false;
    if (v >= kItem40Since && !getInts(r, s.item40)) return false;
    if (v >= kWebVideoSince && !getInts(r, s.webVideo)) return false;
    if (v >= kUploadSince) {
        UploadSettings& u = s.upload;
        if (!r.integer(u.version)) return false;
        if (u.version > kUploadVersion) return r.ok(); // a later block: nothing of it is understood
        if (u.version >= 4 && !r.integer(u.choice)) return false;
        int count = 1;
        if (u.version >= 3 && !r.count(count, INT32_MAX, 10)) return false;
        u.sites.clear();
        for (int i = 0; i < count && u.version >= 1; ++i) {
            UploadSite e;
            int savePassword = 0;
            if (!r.text(e.remoteDirectory) || !r.text(e.siteAddress) || !r.text(e.proxyServer) ||
                !r.text(e.userName) || !r.integer(e.rateLimit) || !r.integer(e.passiveMode) ||
                !r.integer(e.connectionType) || !r.integer(e.timeoutSeconds) ||
                !r.integer(e.includePageFiles))
                return false;
            if (u.version >= 2) {
                if (!r.integer(savePassword)) return false;
                std::string ignored;
                if (savePassword == 1 && !r.text(ignored)) return false; // never kept from a project
            }
            if (u.version >= 3 && !r.integer(e.siteId)) return false;
            u.sites.push_back(std::move(e));
        }
        if (u.version >= 5 && (!r.text(u.youTubeTitle) || !r.text(u.youTubeDescription) ||
                               !r.text(u.youTubeTags) || !r.integer(u.youTubePrivacy)))
            return false;
        u.version = kUploadVersion;
    }
    return r.ok();
}

} // namespace

int frameRecordSizeFor(int version) {
    if (version >= 106) return int(kFrameRecordSize);
    if (version == 105) return 140;
    if (version >= 103) return 120;
    return 108;
}

std::string writeProjectSection(const Project& p, const SectionWriteOptions& o) {
    SectionWriter w;
    w.u16(std::uint16_t(o.version / 100));
    w.u16(std::uint16_t(o.version % 100));
    w.raw(p.viewState.data(), p.viewState.size());
    std::vector<std::uint32_t> histogram = p.colourHistogram;
    histogram.resize(32768, 0);
    for (std::uint32_t c : histogram) w.u32(c);
    w.u32(std::uint32_t(frameRecordSizeFor(o.version)));
    if (o.version >= kClipsSince) w.integer(std::int64_t(kClipRecordSize));
    FrameWriter fw{w, p, o.version, p.languages().currentName()};
    const auto& frames = p.frames();
    for (std::size_t i = 0; i < frames.size(); ++i) fw.write(*frames[i], int(i), i + 1 == frames.size());
    writeTrailer(w, p, o);
    return w.take();
}

int sectionVersion(std::string_view bytes) {
    if (bytes.size() < 4) return -1;
    auto u16 = [&](std::size_t at) {
        return int(std::uint8_t(bytes[at]) | (std::uint8_t(bytes[at + 1]) << 8));
    };
    const int major = u16(0), minor = u16(2);
    if (minor > 99) return 1000000 + minor; // no version this program ever wrote: garbage
    return major * 100 + minor;
}

SectionStatus readProjectSection(std::string_view bytes, Project& p, int& version,
                                 const SectionReadOptions& o) {
    version = sectionVersion(bytes);
    if (version < 0) return SectionStatus::Bad;
    if (version > kCurrentVersion && version < 100 * 100) return SectionStatus::Later;
    if (version < 100 || version > kCurrentVersion) return SectionStatus::Damaged;
    SectionReader r(bytes);
    r.skip(4);
    if (!r.raw(p.viewState.data(), p.viewState.size())) return SectionStatus::Bad;
    p.colourHistogram.assign(32768, 0);
    for (std::uint32_t& c : p.colourHistogram)
        if (!r.u32(c)) return SectionStatus::Bad;
    std::uint32_t recordSize;
    if (!r.u32(recordSize)) return SectionStatus::Bad;
    if (recordSize > kFrameRecordSize || recordSize < 108) return SectionStatus::Damaged;
    FrameReader fr{r, version, int(recordSize), {}, p.clips};
    if (version >= kClipsSince) {
        int clipSize;
        if (!r.integer(clipSize) || clipSize < 0 || std::uint32_t(clipSize) > kMaxSubRecord)
            return SectionStatus::Bad;
        fr.clipSize = std::uint32_t(clipSize);
    }
    p.fileVersion = version;
    p.defaults.setFrameSize(p.frameWidth, p.frameHeight);
    for (QuickMark& q : p.quickMarks) q.frameNumber = -1;
    // Frames until the one whose next slot is 0; each needs a whole record, which bounds the loop.
    for (;;) {
        auto node = std::make_unique<FrameNode>();
        if (!fr.read(*node)) return SectionStatus::Bad;
        const bool more = node->frame.next != 0;
        p.appendLoaded(std::move(node));
        if (!more) break;
    }
    if (!readTrailer(r, p, version, o)) return SectionStatus::Bad;

    std::unordered_map<std::int32_t, FrameNode*> byId;
    byId.reserve(p.frames().size());
    for (const auto& f : p.frames()) byId.emplace(f->frame.frameId, f.get());
    auto known = [&](Ref id) { return id != 0 && byId.count(std::int32_t(id)) ? id : Ref(0); };
    const std::string current = p.languages().currentName();
    const bool firstHasPan = p.head() && p.head()->frame.panBackground;
    int number = 0;
    for (const auto& f : p.frames()) {
        ++number;
        upgradeFrame(*f, version, number, o, p.frameWidth, p.frameHeight);
        if (version < 740 && !firstHasPan) f->frame.captureOffset[0] = f->frame.captureOffset[1] = 0;
        f->frame.clipPrev = known(f->frame.clipPrev);
        f->frame.clipNext = known(f->frame.clipNext);
        if (version >= kClipsSince) takeLanguage(*f, current);
    }
    for (ClipRecord& c : p.clips) {
        c.firstFrame = known(c.firstFrame);
        c.lastFrame = known(c.lastFrame);
    }
    for (Bookmark& b : p.bookmarks) b.frame = p.frameAt(b.frameNumber);
    for (QuickMark& q : p.quickMarks) q.frame = p.frameAt(q.frameNumber);
    return SectionStatus::Ok;
}

} // namespace tavlo::project
