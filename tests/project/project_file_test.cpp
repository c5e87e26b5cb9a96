#include "project/language_texts.h"
#include "project/offset_table.h"
#include "project/project_file.h"
#include "project/project_section.h"
#include "tests/project/project_fixture.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace tavlo;
using namespace tavlo::project;
using tavlo::test::RecordingPrompts;
using tavlo::test::TempHome;

namespace {

std::string bytesOf(const std::string& path) {
    return readWholeFile(path).value_or(std::string());
}

std::uint64_t entryAt(const std::string& b, std::size_t i) {
    std::uint64_t v = 0;
    for (int k = 7; k >= 0; --k) v = (v << 8) | std::uint8_t(b[i * 8 + std::size_t(k)]);
    return v;
}

// Splits a wide-table file: position of the section.
std::int64_t sectionPosOf(const std::string& b) {
    for (std::size_t i = 1;; ++i)
        if (entryAt(b, i) == 0) return std::int64_t(entryAt(b, i + 1));
}

// A second look at a file while another project holds it open.
bool reopen(RecordingPrompts& ui, const std::string& path, Project& into) {
    LoadOptions o;
    o.readOnly = true;
    return load(ui, path, into, o);
}

bool sameFrames(const Project& a, const Project& b) {
    if (a.frameCount() != b.frameCount()) return false;
    for (int i = 1; i <= a.frameCount(); ++i) {
        if (std::memcmp(&a.frameAt(i)->frame, &b.frameAt(i)->frame, sizeof(Frame)) != 0) return false;
        if (!(a.frameAt(i)->data == b.frameAt(i)->data)) return false;
    }
    return true;
}

} // namespace

TEST(ProjectFile, ARecordingOfThreeFramesGetsAWideTableOfSixEntries) {
    TempHome home;
    Project p;
    const std::string path = test::savedRecording(home.root(), p, 3, false);
    ASSERT_FALSE(path.empty());
    const std::string b = bytesOf(path);
    EXPECT_EQ(std::uint8_t(b[7]), 0xFF);
    const std::int64_t dataStart = 6 * 8;
    EXPECT_EQ(entryAt(b, 0) & 0x00FFFFFFFFFFFFFFull, 22u);
    std::uint64_t end = 22;
    for (int k = 0; k < 3; ++k) {
        end += test::chunkBytes(k, 64, 48).size();
        EXPECT_EQ(entryAt(b, std::size_t(k) + 1), end);
    }
    EXPECT_EQ(entryAt(b, 4), 0u);
    EXPECT_EQ(entryAt(b, 5), std::uint64_t(dataStart) + end);
    EXPECT_EQ(b.substr(std::size_t(dataStart), 10), "Tavlo08.66");
    // The capture files are gone, the project is the open file and its chunks are located.
    EXPECT_FALSE(fileExists(home.path("DMO1.tmp")));
    EXPECT_FALSE(fileExists(home.path("DIX1.tmp")));
    EXPECT_EQ(p.filePath, path);
    EXPECT_EQ(p.frameAt(2)->frame.imageStart,
              dataStart + 22 + std::int64_t(test::chunkBytes(0, 64, 48).size()));
}

TEST(ProjectFile, EveryItemRoundTripsByteForByte) {
    TempHome home;
    Project p;
    const std::string path = test::savedRecording(home.root(), p, 4, true);
    ASSERT_FALSE(path.empty());
    const std::string s = bytesOf(path);

    RecordingPrompts ui;
    Project loaded;
    LoadReport rep;
    ASSERT_TRUE(load(ui, path, loaded, {}, &rep)) << rep.problem;
    EXPECT_FALSE(rep.damaged);
    EXPECT_EQ(rep.version, 866);
    // The section written again from what was read is the section on disk.
    const std::int64_t at = sectionPosOf(s);
    EXPECT_EQ(writeProjectSection(loaded, {kCurrentVersion, home.root()}), s.substr(std::size_t(at)));
    // A save in place of the unchanged project leaves the file as it was.
    ASSERT_TRUE(saveInPlace(ui, loaded));
    EXPECT_EQ(bytesOf(path), s);
    // A new file in the same folder is the same file.
    const std::string copy = home.path("copy.tavlo");
    ASSERT_TRUE(saveAsNewFile(ui, loaded, copy));
    EXPECT_EQ(bytesOf(copy), s);
    EXPECT_TRUE(ui.messages().empty());
    Project reread;
    ASSERT_TRUE(reopen(ui, copy, reread));
    EXPECT_TRUE(sameFrames(reread, loaded));

    // What the frames own comes back.
    const FrameData& a = loaded.frameAt(1)->data;
    EXPECT_EQ(a.bubbleText, p.frameAt(1)->data.bubbleText);
    EXPECT_EQ(a.snapshot, p.frameAt(1)->data.snapshot);
    EXPECT_EQ(a.editedImage, p.frameAt(1)->data.editedImage);
    EXPECT_EQ(a.panBackground, p.frameAt(1)->data.panBackground);
    EXPECT_EQ(a.bubbleAnimation, p.frameAt(1)->data.bubbleAnimation);
    EXPECT_EQ(a.hotspotMedia, std::optional<std::string>("picture.png"));
    EXPECT_EQ(loaded.frameAt(1)->frame.hotspotStyle, 3);
    EXPECT_EQ(loaded.clips.size(), 2u);
    EXPECT_EQ(loaded.frameAt(1)->data.clip, 0);
    EXPECT_EQ(loaded.frameAt(3)->data.clip, 1);
    EXPECT_EQ(loaded.frameAt(4)->data.clip, -1);
    EXPECT_EQ(loaded.frameAt(2)->frame.clipPrev, Ref(loaded.frameAt(1)->frame.frameId));
    EXPECT_EQ(loaded.pointerShapes, p.pointerShapes);
    EXPECT_EQ(loaded.sources.size(), 1u);
    EXPECT_EQ(loaded.settings.upload, p.settings.upload);
    EXPECT_EQ(loaded.settings.studioSlotPaths, p.settings.studioSlotPaths);
    EXPECT_EQ(loaded.settings.block.compressor.formatBlock, "FMT");
    EXPECT_EQ(loaded.settings.block.compressor.words[7], 3u);
    EXPECT_EQ(loaded.settings.block.compressor.words[1], p.settings.block.compressor.words[1]);
    EXPECT_EQ(loaded.quickMarks[2].frame, loaded.frameAt(2));
    EXPECT_EQ(loaded.quickMarks[0].frameNumber, 0);
    EXPECT_EQ(loaded.colourHistogram[5], 77u);
    EXPECT_EQ(loaded.viewState[3], 9);
    EXPECT_TRUE(loaded.defaultFrame.data.bubbleFont.has_value());
    // The line break of a text item became a blank, and the items after it were read in step.
    EXPECT_EQ(loaded.settings.block.soundRecordingTexts[1], "line break inside");
    EXPECT_EQ(loaded.settings.block.codecName, "Full frames");
}

TEST(ProjectFile, SpeechSurvivesWithoutLanguageEntriesAndLanguagesKeepTheirTexts) {
    TempHome home;
    Project p;
    ASSERT_FALSE(test::savedRecording(home.root(), p, 4, true).empty());
    RecordingPrompts ui;
    Project loaded;
    ASSERT_TRUE(load(ui, p.filePath, loaded));
    EXPECT_EQ(loaded.frameAt(2)->data.speechText,
              std::optional<std::u16string>(u"Say this without any language entry"));
    const FrameData& c = loaded.frameAt(3)->data;
    EXPECT_EQ(c.bubbleText, std::optional<std::u16string>(u"Default text"));
    EXPECT_EQ(c.speechText, std::optional<std::u16string>(u"Default speech"));
    ASSERT_EQ(c.languageTexts.size(), 2u);
    EXPECT_EQ(c.languageTexts[0].name, "Deutsch");
    EXPECT_EQ(c.languageTexts[0].speechText, std::optional<std::u16string>(u"Hallo gesagt"));

    // In another current language the frame shows that language's text and position.
    switchLanguage(loaded, 1);
    EXPECT_EQ(loaded.frameAt(3)->data.bubbleText, std::optional<std::u16string>(u"Hallo"));
    ASSERT_TRUE(saveInPlace(ui, loaded));
    Project again;
    ASSERT_TRUE(reopen(ui, p.filePath, again));
    EXPECT_EQ(again.frameAt(3)->data.bubbleText, std::optional<std::u16string>(u"Hallo"));
    EXPECT_EQ(again.frameAt(3)->frame.bubbleX, 7);
    EXPECT_FALSE(again.frameAt(2)->data.speechText); // its speech is in the default language only
}

TEST(ProjectFile, ASwitchedOffEditIsStoredWithoutTheImage) {
    TempHome home;
    Project p;
    ASSERT_FALSE(test::savedRecording(home.root(), p, 4, true).empty());
    RecordingPrompts ui;
    Project loaded;
    ASSERT_TRUE(load(ui, p.filePath, loaded));
    loaded.frameAt(1)->frame.editedImageOff = 1;
    ASSERT_TRUE(saveInPlace(ui, loaded));
    Project again;
    ASSERT_TRUE(reopen(ui, p.filePath, again));
    EXPECT_FALSE(again.frameAt(1)->data.editedImage);
    EXPECT_EQ(again.frameAt(1)->frame.editedImageOff, 0);
    EXPECT_EQ(again.frameAt(1)->data.snapshot, p.frameAt(1)->data.snapshot); // the items after it
}

TEST(ProjectFile, SavingInPlaceGrowsAndShrinksWithoutTraces) {
    TempHome home;
    Project p;
    const std::string path = test::savedRecording(home.root(), p, 3, false);
    ASSERT_FALSE(path.empty());
    const std::int64_t at = sectionPosOf(bytesOf(path));
    RecordingPrompts ui;
    Project loaded;
    ASSERT_TRUE(load(ui, path, loaded));
    loaded.frameAt(2)->data.editedImage = std::string(100000, 'e');
    ASSERT_TRUE(saveInPlace(ui, loaded));
    std::string b = bytesOf(path);
    EXPECT_EQ(sectionPosOf(b), at);
    EXPECT_EQ(std::int64_t(b.size()),
              at + std::int64_t(writeProjectSection(loaded, {866, home.root()}).size()));
    loaded.frameAt(2)->data.editedImage.reset();
    ASSERT_TRUE(saveInPlace(ui, loaded));
    b = bytesOf(path);
    EXPECT_EQ(std::int64_t(b.size()),
              at + std::int64_t(writeProjectSection(loaded, {866, home.root()}).size()));
    Project again;
    ASSERT_TRUE(reopen(ui, path, again));
    EXPECT_FALSE(again.frameAt(2)->data.editedImage);
    EXPECT_TRUE(ui.messages().empty());
}

TEST(ProjectFile, ASaveThatCannotWriteKeepsThePreviousFile) {
    TempHome home;
    Project p;
    const std::string path = test::savedRecording(home.root(), p, 3, true);
    ASSERT_FALSE(path.empty());
    const std::string before = bytesOf(path);
    RecordingPrompts ui;
    Project loaded;
    ASSERT_TRUE(load(ui, path, loaded));
    EXPECT_FALSE(saveAsNewFile(ui, loaded, home.path("no/such/folder/x.tavlo")));
    EXPECT_EQ(ui.messages(), std::vector<std::string>{kCannotSaveText});
    EXPECT_EQ(loaded.filePath, path);
    EXPECT_EQ(bytesOf(path), before);
    // A project opened damaged is never saved over.
    loaded.corrupted = true;
    EXPECT_FALSE(saveAsNewFile(ui, loaded, home.path("y.tavlo")));
    EXPECT_FALSE(saveInPlace(ui, loaded));
    EXPECT_EQ(ui.messages().back(), kCorruptedText);
    EXPECT_FALSE(fileExists(home.path("y.tavlo")));
}

TEST(ProjectFile, ASaveInPlaceThatCannotFindItsSectionChangesNothing) {
    TempHome home;
    Project p;
    const std::string path = test::savedRecording(home.root(), p, 2, false);
    ASSERT_FALSE(path.empty());
    RecordingPrompts ui;
    Project loaded;
    ASSERT_TRUE(load(ui, path, loaded));
    std::string b = bytesOf(path);
    b[4 * 8 + 5] = char(0x7F); // the section position now lies far beyond the end
    writeFileReplacing(path, b);
    loaded.frameAt(1)->data.chapterTitle = u"changed";
    EXPECT_FALSE(saveInPlace(ui, loaded));
    EXPECT_EQ(ui.messages(), std::vector<std::string>{kCannotSaveText});
    EXPECT_EQ(bytesOf(path), b);
}

TEST(ProjectFile, ADuplicatedFrameGetsNoChunkOfItsOwn) {
    TempHome home;
    Project p;
    const std::string path = test::savedRecording(home.root(), p, 3, false);
    ASSERT_FALSE(path.empty());
    RecordingPrompts ui;
    Project loaded;
    ASSERT_TRUE(load(ui, path, loaded));
    loaded.insertAfter(loaded.frameAt(1), loaded.duplicateFrame(*loaded.frameAt(1), true));
    const std::string copy = home.path("dup.tavlo");
    ASSERT_TRUE(saveAsNewFile(ui, loaded, copy));
    const std::string b = bytesOf(copy);
    EXPECT_EQ(entryAt(b, 4), 0u); // three chunks for four frames
    Project again;
    ASSERT_TRUE(reopen(ui, copy, again));
    ASSERT_EQ(again.frameCount(), 4);
    auto chunkOf = [&](int n) {
        const Frame& f = again.frameAt(n)->frame;
        return b.substr(std::size_t(f.imageStart), std::size_t(f.imageEnd - f.imageStart));
    };
    EXPECT_EQ(chunkOf(1), test::chunkBytes(0, 64, 48));
    EXPECT_EQ(chunkOf(2), test::chunkBytes(0, 64, 48)); // the duplicate shows the frame before it
    EXPECT_EQ(chunkOf(3), test::chunkBytes(1, 64, 48));
    EXPECT_EQ(chunkOf(4), test::chunkBytes(2, 64, 48));
}

TEST(ProjectFile, ANewFileCarriesTheRealCompressedFlagAndItsOwnPositions) {
    TempHome home;
    Project p;
    const std::string path = test::savedRecording(home.root(), p, 3, false);
    ASSERT_FALSE(path.empty());
    RecordingPrompts ui;
    Project loaded;
    ASSERT_TRUE(load(ui, path, loaded));
    loaded.sources.clear();
    loaded.insertAfter(nullptr, loaded.duplicateFrame(*loaded.frameAt(2), true)); // one frame before all
    const std::string copy = home.path("moved.tavlo");
    ASSERT_TRUE(saveAsNewFile(ui, loaded, copy));
    const std::string b = bytesOf(copy);
    EXPECT_EQ(b[6 * 8 + 16], 0); // copied capture chunks stay uncompressed
    // The positions stored in the section are those of the new file.
    Project again;
    SectionReadOptions so;
    int version;
    again.frameWidth = 64;
    again.frameHeight = 48;
    ASSERT_EQ(
        readProjectSection(std::string_view(b).substr(std::size_t(sectionPosOf(b))), again, version, so),
        SectionStatus::Ok);
    EXPECT_EQ(again.frameAt(2)->frame.imageStart, 6 * 8 + 22);
    EXPECT_EQ(loaded.frameAt(2)->frame.imageStart, 6 * 8 + 22);
    EXPECT_EQ(again.frameAt(1)->frame.imageStart, 0); // a duplicate with no stored frame before it

    // With a re-encoder the user is asked and the chunks and flag change.
    SaveOptions o;
    o.recoder = [](const std::string& chunk, FrameNode& f) -> std::optional<std::string> {
        f.frame.chunkCompressed = 1;
        return "Z" + chunk;
    };
    ui.answers = {Answer::Yes};
    const std::string packed = home.path("packed.tavlo");
    ASSERT_TRUE(saveAsNewFile(ui, loaded, packed, o));
    EXPECT_EQ(ui.shown().at(ui.shown().size() - 2).text, kCompressText);
    const std::string c = bytesOf(packed);
    EXPECT_EQ(c[6 * 8 + 16], 1);
    EXPECT_TRUE(loaded.compressedImages);
    EXPECT_EQ(loaded.frameAt(2)->frame.chunkCompressed, 1);
}

TEST(ProjectFile, VersionGates) {
    TempHome home;
    Project p;
    const std::string path = test::savedRecording(home.root(), p, 2, false);
    ASSERT_FALSE(path.empty());
    const std::string good = bytesOf(path);
    const std::size_t at = std::size_t(sectionPosOf(good));
    struct Case {
        int major, minor;
        bool opens, damaged, message;
    } cases[] = {
        {8, 66, true, false, false}, {8, 70, false, false, true},  {8, 67, false, false, true},
        {9, 1, false, false, true},  {86, 60, false, false, true}, {250, 3, true, true, false},
        {8, 300, true, true, false}, {0, 5, true, true, false},
    };
    for (const Case& c : cases) {
        std::string b = good;
        b[at] = char(c.major & 0xFF);
        b[at + 1] = char(c.major >> 8);
        b[at + 2] = char(c.minor & 0xFF);
        b[at + 3] = char(c.minor >> 8);
        writeFileReplacing(path, b);
        RecordingPrompts ui;
        Project loaded;
        loaded.appendCapturedFrame(test::captureContext(8, 8));
        LoadReport rep;
        EXPECT_EQ(load(ui, path, loaded, {}, &rep), c.opens) << c.major << "." << c.minor;
        EXPECT_EQ(rep.damaged, c.damaged) << c.major << "." << c.minor;
        if (c.message) {
            ASSERT_EQ(ui.shown().size(), 1u);
            EXPECT_EQ(ui.shown()[0].text, kLaterVersionText);
            EXPECT_EQ(ui.shown()[0].title, "File Open Error");
            EXPECT_EQ(loaded.frameCount(), 1); // a failed load leaves the open project alone
        } else {
            EXPECT_TRUE(ui.shown().empty());
        }
        if (c.damaged) {
            EXPECT_EQ(loaded.frameCount(), 2);
        }
    }
}

TEST(ProjectFile, OldRecordsAreUpgraded) {
    TempHome home;
    Project p;
    const std::string path = test::savedRecording(home.root(), p, 3, false);
    ASSERT_FALSE(path.empty());
    const std::string good = bytesOf(path);
    const std::size_t at = std::size_t(sectionPosOf(good));
    auto loadAs = [&](int version, Project& src, Project& out) {
        std::string section = writeProjectSection(src, {version, home.root()});
        std::string b = good.substr(0, at) + section;
        writeFileReplacing(path, b);
        RecordingPrompts ui;
        LoadReport rep;
        const bool ok = load(ui, path, out, {}, &rep);
        EXPECT_EQ(rep.version, version) << rep.problem;
        return ok;
    };
    for (int i = 1; i <= 3; ++i) {
        Frame& f = p.frameAt(i)->frame;
        f.clickDown = f.clickUp = f.keyPress = 1;
        f.keyRelease = 0;
        f.hotspotOn = i == 2;
        f.hotspotStyle = 12;
        f.bubbleStyle = 4;
        f.pointerEndX = 5;
        f.frameEffect = 2;
        f.frameEffectTime = 7;
        f.soundGain = 3.0f;
        f.legacyImageSource = std::uint16_t(40 + i);
        f.legacyRefs[0] = std::uint16_t(50 + i);
        f.actionGoToFrame = 99;
        f.zoomReset = i == 3;
        f.captureOffset[0] = 30;
    }
    {
        Project out;
        ASSERT_TRUE(loadAs(105, p, out));
        const Frame& f = out.frameAt(2)->frame;
        EXPECT_EQ(f.clickDown, 1);    // 105 keeps clicks and keys
        EXPECT_EQ(f.hotspotStyle, 0); // hotspot on: style 0
        EXPECT_EQ(out.frameAt(1)->frame.hotspotStyle, 255);
        EXPECT_EQ(f.bubbleStyle, 0); // the field at 16 is set on captured frames
        EXPECT_EQ(f.actionGoToFrame, 3);
        EXPECT_EQ(f.frameEffect, 0);
        EXPECT_EQ(f.keyRelease, 1); // before 311: copy of keyPress
        EXPECT_EQ(f.frameEffectTime, 100);
        EXPECT_EQ(f.pointerX, -99999);
        EXPECT_FLOAT_EQ(f.soundGain, 1.0f);
        EXPECT_EQ(std::uint16_t(f.pointerEndX), 35537);
        EXPECT_EQ(f.hotspotOverText, 0);
        EXPECT_EQ(f.captureOffset[0], 0); // first frame has no pan background
        EXPECT_EQ(f.imageSource, 0);      // a 140-byte record ends before it
    }
    {
        Project out;
        ASSERT_TRUE(loadAs(300, p, out));
        const Frame& f = out.frameAt(2)->frame;
        EXPECT_EQ(f.bubbleStyle, 4);
        EXPECT_EQ(f.imageSource, 42); // 16-bit forms before 424
        EXPECT_EQ(f.actionGoToFrame, 52);
        EXPECT_EQ(f.hotspotStyle, 13); // before 672 styles above 9 move up
        EXPECT_EQ(f.hotspotOverText, 1);
        EXPECT_EQ(f.pointerX, -99999);
        EXPECT_EQ(f.frameEffectTime, 100);
        EXPECT_EQ(out.frameAt(3)->frame.zoomFull, 1);
        EXPECT_EQ(out.frameAt(3)->frame.zoomRect[2], 64);
    }
    {
        Project out;
        ASSERT_TRUE(loadAs(700, p, out));
        const Frame& f = out.frameAt(2)->frame;
        EXPECT_EQ(f.actionGoToFrame, 99);
        EXPECT_EQ(f.keyRelease, 0);
        EXPECT_EQ(f.frameEffectTime, 7); // the effect-time rule ends at 674
        EXPECT_EQ(f.pointerEndX, 5);
        EXPECT_FLOAT_EQ(f.soundGain, 3.0f);
        EXPECT_EQ(f.captureOffset[0], 0);
        EXPECT_EQ(f.hotspotStyle, 12);
    }
}

TEST(ProjectFile, TextFormsOfOlderVersions) {
    TempHome home;
    Project p;
    const std::string path = test::savedRecording(home.root(), p, 2, false);
    ASSERT_FALSE(path.empty());
    const std::string good = bytesOf(path);
    const std::size_t at = std::size_t(sectionPosOf(good));
    FrameData& d = p.frameAt(1)->data;
    d.bubbleText = u"Gr\u00fc\u00dfe";
    d.bubblePlainText = u"Gr\u00fc\u00dfe";
    d.speechText = u"spoken";
    d.chapterTitle = u"One";
    for (int version : {200, 209, 210, 700, 749, 750}) {
        writeFileReplacing(path, good.substr(0, at) + writeProjectSection(p, {version, home.root()}));
        RecordingPrompts ui;
        Project out;
        LoadReport rep;
        ASSERT_TRUE(load(ui, path, out, {}, &rep)) << version << ": " << rep.problem;
        const FrameData& e = out.frameAt(1)->data;
        EXPECT_EQ(e.bubbleText, d.bubbleText) << version; // bytes before 210, UTF-16 after
        EXPECT_EQ(e.bubblePlainText, d.bubblePlainText) << version;
        EXPECT_EQ(e.speechText, d.speechText) << version; // in the frame before 750, per language after
        EXPECT_EQ(e.chapterTitle, d.chapterTitle) << version;
        EXPECT_EQ(out.frameAt(1)->frame.bubbleTextLength, 5) << version;
    }
}

TEST(ProjectFile, NarrowTablesAreReadAndKept) {
    TempHome home;
    Project p;
    const std::string path = test::savedRecording(home.root(), p, 3, true);
    ASSERT_FALSE(path.empty());
    const std::string wide = bytesOf(path);
    const std::size_t at = std::size_t(sectionPosOf(wide));
    // The same file with 4-byte entries.
    OffsetTable t;
    for (std::size_t i = 0; entryAt(wide, i) != 0 || i == 0; ++i)
        t.entries.push_back(std::int64_t(entryAt(wide, i) & 0x00FFFFFFFFFFFFFFull));
    t.wide = false;
    const std::size_t wideStart = (t.entries.size() + 2) * 8;
    t.sectionPosition = std::int64_t(at - wideStart + t.dataStart());
    const std::string narrow =
        encodeOffsetTable(t) + wide.substr(wideStart, at - wideStart) + wide.substr(at);
    const std::string npath = home.path("narrow.tavlo");
    writeFileReplacing(npath, narrow);
    RecordingPrompts ui;
    Project loaded;
    ASSERT_TRUE(load(ui, npath, loaded));
    EXPECT_FALSE(loaded.wideOffsets);
    EXPECT_EQ(loaded.frameAt(2)->frame.imageStart, t.dataStart() + t.entries[1]);
    const std::string copy = home.path("narrow-copy.tavlo");
    ASSERT_TRUE(saveAsNewFile(ui, loaded, copy));
    const std::string c = bytesOf(copy);
    EXPECT_EQ(c.substr(0, std::size_t(t.dataStart())), narrow.substr(0, std::size_t(t.dataStart())));
    Project again;
    ASSERT_TRUE(reopen(ui, copy, again));
    EXPECT_TRUE(sameFrames(again, loaded));
    // A save in place keeps the narrow form too.
    ASSERT_TRUE(saveInPlace(ui, loaded));
    SizeInfo s;
    ASSERT_TRUE(loadSizeOnly(npath, s));
    EXPECT_EQ(s.imageCount, 3);
}

TEST(ProjectFile, AGoneOutputFolderFallsBackToTheProjectsFolder) {
    TempHome home;
    Project p;
    ASSERT_FALSE(test::savedRecording(home.root(), p, 3, true).empty());
    p.settings.outputFolder = home.path("gone");
    RecordingPrompts ui;
    // Write the changed settings, then read them with a projects folder.
    Project loaded;
    ASSERT_TRUE(load(ui, p.filePath, loaded));
    loaded.settings.outputFolder = home.path("gone");
    ASSERT_TRUE(saveInPlace(ui, loaded));
    LoadOptions o;
    o.readOnly = true;
    o.projectsFolder = home.path("Projects");
    Project again;
    ASSERT_TRUE(load(ui, p.filePath, again, o));
    EXPECT_EQ(again.settings.firstSlotOutputPath, home.path("Projects/movie"));
    EXPECT_EQ(again.settings.outputFolder, home.path("gone"));
}

TEST(ProjectFile, FramesFromSourceFilesKeepTheirChunkPositions) {
    TempHome home;
    Project p;
    const std::string path = test::savedRecording(home.root(), p, 3, false);
    ASSERT_FALSE(path.empty());
    RecordingPrompts ui;
    Project loaded;
    ASSERT_TRUE(load(ui, path, loaded));
    loaded.sources = {{home.path("a/one.tavlo"), ""}, {"/elsewhere/two.tavlo", ""}};
    for (int i : {2, 3}) {
        Frame& f = loaded.frameAt(i)->frame;
        f.sourceFile = i - 1;
        f.imageStart = 1000 * i;
        f.imageEnd = 1000 * i + 77;
    }
    const std::string copy = home.path("sources.tavlo");
    ASSERT_TRUE(saveAsNewFile(ui, loaded, copy));
    EXPECT_EQ(entryAt(bytesOf(copy), 2), 0u); // one chunk of its own
    Project again;
    ASSERT_TRUE(reopen(ui, copy, again));
    ASSERT_EQ(again.sources.size(), 2u);
    EXPECT_EQ(again.sources[0].relativePath, "a/one.tavlo"); // made afresh from the full path
    EXPECT_EQ(again.sources[1].fullPath, "/elsewhere/two.tavlo");
    EXPECT_EQ(again.frameAt(2)->frame.imageStart, 2000);
    EXPECT_EQ(again.frameAt(3)->frame.imageEnd, 3077);
    EXPECT_EQ(again.frameAt(1)->frame.imageStart, 4 * 8 + 22);
}
