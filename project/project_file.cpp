#include "project/project_file.h"

#include "core/file_util.h"
#include "core/line_format.h"
#include "project/offset_table.h"
#include "project/project_section.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace tavlo::project {

namespace {

constexpr std::size_t kCopyBlock = 65536;
constexpr auto kProgressInterval = std::chrono::milliseconds(500);

struct Fd {
    int fd = -1;
    Fd() = default;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
    int release() {
        int f = fd;
        fd = -1;
        return f;
    }
};

std::shared_ptr<void> holdOpen(int fd) {
    return std::shared_ptr<void>(new int(fd), [](void* p) {
        auto* f = static_cast<int*>(p);
        ::close(*f);
        delete f;
    });
}

std::string folderOf(const std::string& path) {
    std::filesystem::path p(path);
    return p.has_parent_path() ? p.parent_path().string() : std::string(".");
}

std::string stemOf(const std::string& path) {
    return std::filesystem::path(path).stem().string();
}

bool syncFile(int fd) {
    return ::fsync(fd) == 0;
}

// Progress updates at most every half second.
class Throttled {
public:
    explicit Throttled(Progress& p) : p_(p) {}
    void percent(std::int64_t done, std::int64_t total) {
        auto now = std::chrono::steady_clock::now();
        if (now - last_ < kProgressInterval) return;
        last_ = now;
        p_.setPercent(total > 0 ? int(done * 100 / total) : 100);
    }

private:
    Progress& p_;
    std::chrono::steady_clock::time_point last_{};
};

// Copies [from, from + n) of `in` to `out` at `to`, in blocks.
bool copyRange(int in, std::int64_t from, int out, std::int64_t to, std::int64_t n, Progress* progress,
               Throttled* t, std::int64_t doneBefore, std::int64_t total) {
    std::vector<char> buf(kCopyBlock);
    std::int64_t done = 0;
    while (done < n) {
        const std::size_t k = std::size_t(std::min<std::int64_t>(n - done, std::int64_t(kCopyBlock)));
        if (!readAt(in, from + done, buf.data(), k) || !writeAt(out, to + done, buf.data(), k)) return false;
        done += std::int64_t(k);
        if (progress) {
            if (progress->cancelled()) return false;
            if (t) t->percent(doneBefore + done, total);
        }
    }
    return true;
}

std::string readRange(int fd, std::int64_t pos, std::int64_t n, bool& ok) {
    std::string out;
    ok = n >= 0;
    if (!ok) return out;
    out.resize(std::size_t(n));
    ok = readAt(fd, pos, out.data(), out.size());
    return out;
}

// The first complete image record in the data: its rectangle gives the frame size.
bool sizeFromImageRecord(int fd, std::int64_t at, std::int64_t end, int& w, int& h) {
    unsigned char b[9];
    if (end - at < 9 || !readAt(fd, at, b, 9) || (b[0] != 1 && b[0] != 2)) return false;
    auto s16 = [&](int i) { return int(std::int16_t(b[i] | (b[i + 1] << 8))); };
    const int left = s16(1), right = s16(3), top = s16(5), bottom = s16(7);
    if (left != 0 || top != 0 || right <= 0 || bottom <= 0) return false;
    w = right + 1;
    h = bottom + 1;
    return true;
}

// The side file of a damaged project: width, height, then one key-image line per frame but the last.
bool readKeyframes(const std::string& path, int& w, int& h, std::vector<int>& keys) {
    auto bytes = readWholeFile(path);
    if (!bytes) return false;
    LineReader r(*bytes);
    if (!r.getInt(w) || !r.getInt(h) || w <= 0 || h <= 0 || w > 65535 || h > 65535) return false;
    int k;
    while (!r.atEnd() && r.getInt(k)) keys.push_back(k);
    return true;
}

bool storedInFile(const Frame& f) {
    return f.sourceFile == 0;
}

// Moves a coordinate read from a file; wraps instead of overflowing on nonsense values.
template <typename T> void shift(T& v, int d) {
    v = T(std::uint32_t(v) + std::uint32_t(d));
}

void centreFrames(Project& p, int dx, int dy) {
    for (const auto& n : p.frames()) {
        Frame& f = n->frame;
        shift(f.bubbleX, dx);
        shift(f.bubbleY, dy);
        if (f.bubblePointX != -1) shift(f.bubblePointX, dx);
        if (f.bubblePointY != -1) shift(f.bubblePointY, dy);
        for (int i = 0; i < 4; ++i) {
            shift(f.hotspotRect[i], i % 2 ? dy : dx);
            shift(f.zoomRect[i], i % 2 ? dy : dx);
        }
        if (f.pointerX != kNoPointer) shift(f.pointerX, dx);
        if (f.pointerY != kNoPointer) shift(f.pointerY, dy);
        if (f.capturedPointerX != kNoPointer) shift(f.capturedPointerX, dx);
        if (f.capturedPointerY != kNoPointer) shift(f.capturedPointerY, dy);
        if (f.pointerEndX != kNoPointerEnd) shift(f.pointerEndX, dx);
        if (f.pointerEndY != kNoPointerEnd) shift(f.pointerEndY, dy);
        shift(f.captureOffset[0], dx);
        shift(f.captureOffset[1], dy);
        for (LanguageText& e : n->data.languageTexts) {
            shift(e.record.bubbleX, dx);
            shift(e.record.bubbleY, dy);
        }
    }
}

// Moves the loaded project's frames behind the open project's: identities, clips and pointer
// shape groups are renumbered so that they stay apart from what is there already.
void appendProject(Project& into, Project& from) {
    std::int32_t idOffset = 0;
    for (const auto& f : into.frames()) idOffset = std::max(idOffset, f->frame.frameId);
    const int clipOffset = int(into.clips.size());
    const std::int32_t group = std::int32_t(into.pointerShapes.shapes.size());
    auto moved = [&](Ref id) { return id ? Ref(id + Ref(idOffset)) : Ref(0); };
    for (ClipRecord c : from.clips) {
        c.firstFrame = moved(c.firstFrame);
        c.lastFrame = moved(c.lastFrame);
        into.clips.push_back(c);
    }
    if (from.pointerShapes.present) {
        if (!into.pointerShapes.present) {
            into.pointerShapes.present = true;
            into.pointerShapes.width = from.pointerShapes.width;
            into.pointerShapes.height = from.pointerShapes.height;
        }
        for (PointerShape s : from.pointerShapes.shapes) {
            s.group = group;
            into.pointerShapes.shapes.push_back(std::move(s));
        }
    }
    for (int i = 1; i <= from.frameCount(); ++i) {
        FrameNode* src = from.frameAt(i);
        auto node = std::make_unique<FrameNode>(std::move(*src));
        Frame& r = node->frame;
        shift(r.frameId, idOffset);
        r.clipPrev = moved(r.clipPrev);
        r.clipNext = moved(r.clipNext);
        if (node->data.clip >= 0) node->data.clip += clipOffset;
        if (from.pointerShapes.present) r.pointerShapeGroup = std::int16_t(group);
        into.appendLoaded(std::move(node));
    }
}

} // namespace

void locateChunks(Project& p, const std::vector<std::int64_t>& entries, std::int64_t dataStart) {
    const int images = entries.empty() ? 0 : int(entries.size()) - 1;
    int stored = 0, storedAll = 0;
    for (const auto& n : p.frames())
        if (storedInFile(n->frame)) {
            ++storedAll;
            if (!n->frame.duplicated) ++stored;
        }
    // Files whose writer gave duplicated frames chunks of their own are read as they were written.
    const bool duplicatesHaveChunks = images == storedAll && images != stored;
    int k = 0;
    const Frame* lastStored = nullptr;
    for (const auto& n : p.frames()) {
        Frame& f = n->frame;
        if (!storedInFile(f)) continue;
        if (f.duplicated && !duplicatesHaveChunks) {
            f.imageStart = lastStored ? lastStored->imageStart : 0;
            f.imageEnd = lastStored ? lastStored->imageEnd : 0;
            continue;
        }
        if (k < images) {
            f.imageStart = dataStart + entries[std::size_t(k)];
            f.imageEnd = dataStart + entries[std::size_t(k) + 1];
            ++k;
        } else {
            f.imageStart = f.imageEnd = 0;
        }
        lastStored = &f;
    }
}

bool loadSizeOnly(const std::string& path, SizeInfo& out) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.fd < 0) return false;
    const std::int64_t size = fileSizeOf(fd.fd);
    OffsetTable t;
    if (!readOffsetTable(fd.fd, size, t) || t.dataStart() + t.entries.front() > size) return false;
    bool ok;
    std::string header =
        readRange(fd.fd, t.dataStart(), std::min<std::int64_t>(t.entries.front(), kHeaderChunkSize), ok);
    HeaderChunk h;
    if (!ok || !parseHeaderChunk(header, h)) return false;
    out.imageCount = t.imageCount();
    out.width = h.width;
    out.height = h.height;
    out.compressed = h.compressed;
    return true;
}

bool load(UiPrompts& ui, const std::string& path, Project& project, const LoadOptions& o,
          LoadReport* report) {
    LoadReport local;
    LoadReport& rep = report ? *report : local;
    rep = LoadReport{};
    auto fail = [&](const std::string& why) {
        rep.problem = why;
        return false;
    };

    Fd fd(::open(path.c_str(), (o.readOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC));
    if (fd.fd < 0) return fail("the file cannot be opened");
    if (!o.readOnly && ::flock(fd.fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK && !o.combine &&
            ui.question(kInUseText, "Tavlo", Buttons::YesNo, Icon::Question, Answer::No) != Answer::Yes)
            return fail("the file is open in another session");
    }
    const std::int64_t size = fileSizeOf(fd.fd);
    OffsetTable t;
    if (!readOffsetTable(fd.fd, size, t)) return fail("the offset table is damaged");
    for (std::size_t i = 1; i < t.entries.size(); ++i)
        if (t.entries[i] < t.entries[i - 1]) return fail("the offset table is damaged");
    const std::int64_t dataEnd = t.dataStart() + t.entries.back();
    if (dataEnd > size) return fail("the file is cut short");

    Project p;
    bool damaged = t.noSection;
    int version = 100;
    std::string section;
    if (!t.noSection) {
        if (t.sectionPosition < dataEnd || t.sectionPosition > size)
            return fail("the project section is missing");
        bool ok;
        section = readRange(fd.fd, t.sectionPosition, size - t.sectionPosition, ok);
        if (!ok) return fail("the project section cannot be read");
        const int v = sectionVersion(section);
        if (v > kCurrentVersion && v < 100 * 100) {
            ui.message(kLaterVersionText, "File Open Error", Icon::Error);
            rep.version = v;
            return fail("the file was made by a later version");
        }
    }

    HeaderChunk header;
    if (!damaged) {
        bool ok;
        std::string hb =
            readRange(fd.fd, t.dataStart(), std::min<std::int64_t>(t.entries.front(), kHeaderChunkSize), ok);
        if (!ok || !parseHeaderChunk(hb, header)) return fail("the header chunk has no signature");
        p.frameWidth = header.width;
        p.frameHeight = header.height;
        SectionReadOptions so{o.projectsFolder, o.soundLengthOf};
        switch (readProjectSection(section, p, version, so)) {
        case SectionStatus::Ok:
            break;
        case SectionStatus::Later:
            ui.message(kLaterVersionText, "File Open Error", Icon::Error);
            return fail("the file was made by a later version");
        case SectionStatus::Damaged:
            damaged = true;
            rep.problem = "the project section has an unusable version or record size";
            break;
        case SectionStatus::Bad:
            return fail("the project section is damaged");
        }
    }

    if (damaged) {
        // Default frames, one per stored image; the frame size from the side file or the data.
        std::string why = rep.problem.empty() ? "the file has no project section" : rep.problem;
        p = Project{};
        version = 100;
        p.corrupted = t.noSection;
        int w = 1024, h = 768;
        std::vector<int> keys;
        const std::string side = joinPath(folderOf(path), stemOf(path) + ".keyframes");
        if (!readKeyframes(side, w, h, keys)) {
            keys.clear();
            int iw, ih;
            for (int k = 0; k < t.imageCount(); ++k)
                if (sizeFromImageRecord(fd.fd, t.dataStart() + t.entries[std::size_t(k)],
                                        t.dataStart() + t.entries[std::size_t(k) + 1], iw, ih)) {
                    w = iw;
                    h = ih;
                    break;
                }
        }
        p.frameWidth = w;
        p.frameHeight = h;
        p.defaults.setFrameSize(w, h);
        CaptureContext ctx;
        ctx.width = w;
        ctx.height = h;
        for (int k = 0; k < t.imageCount(); ++k) {
            FrameNode& f = p.appendCapturedFrame(ctx);
            f.frame.displayTime = f.frame.recordedTime = 10;
            if (std::size_t(k) < keys.size()) f.frame.keyImage = keys[std::size_t(k)] ? 1 : 0;
        }
        p.fileVersion = 100;
        rep.damaged = true;
        rep.problem = why;
    }

    for (const auto& n : p.frames())
        if (n->frame.sourceFile < 0 || std::size_t(n->frame.sourceFile) > p.sources.size())
            return fail("a frame names a source file that is not in the list");
    locateChunks(p, t.entries, t.dataStart());
    p.compressedImages = header.compressed;
    p.wideOffsets = t.wide;
    rep.version = version;
    rep.sources = p.sources;

    if (o.combine) {
        if (o.combineSize) {
            int dx = (o.combineSize->first - p.frameWidth) / 2,
                dy = (o.combineSize->second - p.frameHeight) / 2;
            if (dx < 0 || dy < 0) dx = dy = 0;
            centreFrames(p, dx, dy);
        }
        bool first = true;
        for (const auto& n : p.frames()) {
            if (n->frame.keyImage || first) n->frame.clearBackground = 1;
            if (first) n->frame.chapterMark = 1;
            first = false;
        }
        if (project.frameCount() == 0) {
            const int w = o.combineSize ? o.combineSize->first : p.frameWidth;
            const int h = o.combineSize ? o.combineSize->second : p.frameHeight;
            std::string keepPath = project.filePath;
            std::shared_ptr<void> keepFile = project.openFile;
            project = std::move(p);
            project.frameWidth = w;
            project.frameHeight = h;
            project.filePath = keepPath;
            project.openFile = keepFile;
        } else {
            appendProject(project, p);
        }
        return true;
    }

    p.filePath = path;
    p.openFile = o.readOnly ? nullptr : holdOpen(fd.release());
    project = std::move(p);
    return true;
}

namespace {

// Positions of each frame's chunk in a file written with `entries` from `dataStart`.
struct Layout {
    std::vector<FrameNode*> stored; // frames that get a chunk of their own
};

Layout layoutOf(Project& p) {
    Layout l;
    for (const auto& n : p.frames())
        if (storedInFile(n->frame) && !n->frame.duplicated) l.stored.push_back(n.get());
    return l;
}

struct SavedPositions {
    std::vector<std::pair<std::int64_t, std::int64_t>> v;
    void keep(Project& p) {
        for (const auto& n : p.frames()) v.emplace_back(n->frame.imageStart, n->frame.imageEnd);
    }
    void restore(Project& p) {
        std::size_t i = 0;
        for (const auto& n : p.frames()) {
            n->frame.imageStart = v[i].first;
            n->frame.imageEnd = v[i].second;
            ++i;
        }
    }
};

} // namespace

bool saveInPlace(UiPrompts& ui, Project& p) {
    if (p.corrupted) {
        ui.message(kCorruptedText, "Tavlo 错误", Icon::Error);
        return false;
    }
    auto cannot = [&] {
        ui.message(kCannotSaveText, "Tavlo 错误", Icon::Error);
        return false;
    };
    if (p.filePath.empty()) return cannot();
    Fd fd(::open(p.filePath.c_str(), O_RDWR | O_CLOEXEC));
    if (fd.fd < 0) return cannot();
    const std::int64_t size = fileSizeOf(fd.fd);
    OffsetTable t;
    if (!readOffsetTable(fd.fd, size, t) || t.noSection || t.sectionPosition > size ||
        t.sectionPosition < t.dataStart() + t.entries.back())
        return cannot();
    SavedPositions saved;
    saved.keep(p);
    locateChunks(p, t.entries, t.dataStart());
    const std::string section = writeProjectSection(p, {kCurrentVersion, folderOf(p.filePath)});
    const std::int64_t P = t.sectionPosition;
    bool ok;
    if (readRange(fd.fd, P, size - P, ok) == section && ok) {
        p.fileVersion = kCurrentVersion;
        return true; // nothing changed on disk
    }
    // The new section goes beside the old one first and the table is switched to it; only then
    // is it written over the old place, switched back and the file cut behind it. A failure at
    // any step leaves a table that points at a complete section.
    const std::int64_t E = size;
    const std::int64_t entryPos = t.sectionEntryPosition();
    auto pointTo = [&](std::int64_t where) {
        if (!t.wide && where >= (std::int64_t(1) << 32) - 1) return false;
        const std::string e = encodeTableEntry(where, t.wide);
        return writeAt(fd.fd, entryPos, e.data(), e.size()) && syncFile(fd.fd);
    };
    if (!writeAt(fd.fd, E, section.data(), section.size()) || !syncFile(fd.fd) || !pointTo(E)) {
        if (::ftruncate(fd.fd, size) == 0) syncFile(fd.fd);
        saved.restore(p);
        return cannot();
    }
    if (!writeAt(fd.fd, P, section.data(), section.size()) || !syncFile(fd.fd) || !pointTo(P) ||
        ::ftruncate(fd.fd, P + std::int64_t(section.size())) != 0 || !syncFile(fd.fd)) {
        // The copy at the end is complete and the table points at it (or back at a complete one).
        return cannot();
    }
    p.fileVersion = kCurrentVersion;
    return true;
}

bool saveAsNewFile(UiPrompts& ui, Project& p, const std::string& target, const SaveOptions& o) {
    if (p.corrupted) {
        ui.message(kCorruptedText, "Tavlo 错误", Icon::Error);
        return false;
    }
    auto cannot = [&] {
        ui.message(kCannotSaveText, "Tavlo 错误", Icon::Error);
        return false;
    };
    Layout layout = layoutOf(p);
    Fd in;
    std::int64_t inSize = 0;
    if (!layout.stored.empty()) {
        in.fd = p.filePath.empty() ? -1 : ::open(p.filePath.c_str(), O_RDONLY | O_CLOEXEC);
        if (in.fd < 0) return cannot();
        inSize = fileSizeOf(in.fd);
        for (FrameNode* f : layout.stored)
            if (f->frame.imageStart <= 0 || f->frame.imageEnd < f->frame.imageStart ||
                f->frame.imageEnd > inSize)
                return cannot();
    }
    const std::string part = target + ".part";
    Fd out(::open(part.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (out.fd < 0) return cannot();
    auto abandon = [&] {
        ::close(out.release());
        ::unlink(part.c_str());
        return false;
    };

    bool recode = false;
    if (!p.compressedImages && o.recoder && !layout.stored.empty())
        recode =
            ui.question(kCompressText, "Tavlo", Buttons::YesNo, Icon::Question, Answer::No) == Answer::Yes;

    std::int64_t total = 0;
    for (FrameNode* f : layout.stored) total += f->frame.imageEnd - f->frame.imageStart;
    OffsetTable t;
    // A narrow table cannot point past 4 GiB: such a file gets the wide one.
    t.wide = p.wideOffsets || recode || total >= (std::int64_t(1) << 31);
    t.entries.assign(layout.stored.size() + 1, 0);
    const std::int64_t dataStart = t.dataStart();
    const std::string placeholder(std::size_t(dataStart), '\0');
    const std::string header = encodeHeaderChunk({p.compressedImages || recode, p.frameWidth, p.frameHeight});
    if (!writeAt(out.fd, 0, placeholder.data(), placeholder.size()) ||
        !writeAt(out.fd, dataStart, header.data(), header.size())) {
        cannot();
        return abandon();
    }
    t.entries[0] = kHeaderChunkSize;

    auto progress = ui.progress("保存 Tavlo");
    Throttled throttle(*progress);
    std::int64_t pos = dataStart + kHeaderChunkSize, done = 0;
    std::vector<std::pair<std::int64_t, std::int64_t>> newPositions;
    std::vector<Frame> recoded;
    for (std::size_t k = 0; k < layout.stored.size(); ++k) {
        Frame& f = layout.stored[k]->frame;
        const std::int64_t n = f.imageEnd - f.imageStart;
        std::int64_t written = n;
        if (recode) {
            bool ok;
            std::string chunk = readRange(in.fd, f.imageStart, n, ok);
            FrameNode copy;
            copy.frame = f;
            std::optional<std::string> again = ok ? o.recoder(chunk, copy) : std::nullopt;
            if (!again || !writeAt(out.fd, pos, again->data(), again->size())) {
                cannot();
                return abandon();
            }
            written = std::int64_t(again->size());
            recoded.push_back(copy.frame);
        } else if (!copyRange(in.fd, f.imageStart, out.fd, pos, n, progress.get(), &throttle, done, total)) {
            if (!progress->cancelled()) cannot();
            return abandon();
        }
        if (progress->cancelled()) return abandon();
        done += n;
        throttle.percent(done, total);
        newPositions.emplace_back(pos, pos + written);
        pos += written;
        t.entries[k + 1] = pos - dataStart;
    }

    // The section records the chunk positions of the new file, not those of the old one.
    SavedPositions saved;
    saved.keep(p);
    std::vector<Frame> before;
    for (FrameNode* f : layout.stored) before.push_back(f->frame);
    for (std::size_t k = 0; k < layout.stored.size(); ++k) {
        Frame& f = layout.stored[k]->frame;
        if (recode) {
            f.keyImage = recoded[k].keyImage;
            f.chunkTrueColour = recoded[k].chunkTrueColour;
            f.chunkCompressed = recoded[k].chunkCompressed;
        }
    }
    locateChunks(p, t.entries, dataStart);
    const std::string section = writeProjectSection(p, {kCurrentVersion, folderOf(target)});
    t.sectionPosition = pos;
    const std::string table = encodeOffsetTable(t);
    auto undo = [&] {
        saved.restore(p);
        for (std::size_t k = 0; k < layout.stored.size(); ++k) layout.stored[k]->frame = before[k];
    };
    if (!writeAt(out.fd, pos, section.data(), section.size()) ||
        !writeAt(out.fd, 0, table.data(), table.size()) || !syncFile(out.fd)) {
        undo();
        cannot();
        return abandon();
    }
    if (std::rename(part.c_str(), target.c_str()) != 0) {
        undo();
        cannot();
        return abandon();
    }
    Fd reopened(::open(target.c_str(), O_RDWR | O_CLOEXEC));
    if (reopened.fd >= 0) ::flock(reopened.fd, LOCK_EX | LOCK_NB);
    p.openFile = reopened.fd >= 0 ? holdOpen(reopened.release()) : nullptr;
    p.filePath = target;
    p.compressedImages = p.compressedImages || recode;
    p.wideOffsets = t.wide;
    p.fileVersion = kCurrentVersion;
    return true;
}

bool saveRecording(UiPrompts& ui, Project& p, const RecordingFiles& files, const SaveRecordingOptions& o) {
    auto cannot = [&] {
        ui.message(kCannotSaveText, "Tavlo 错误", Icon::Error);
        return false;
    };
    Fd data(::open(files.dataPath.c_str(), O_RDONLY | O_CLOEXEC));
    auto indexBytes = readWholeFile(files.indexPath);
    if (data.fd < 0 || !indexBytes) return cannot();
    const std::int64_t dataSize = fileSizeOf(data.fd);

    // The index holds where each frame's records begin; with the end of the data it is the table.
    OffsetTable t;
    t.wide = true;
    const std::size_t count = indexBytes->size() / 8;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint64_t v = 0;
        for (int b = 7; b >= 0; --b) v = (v << 8) | std::uint8_t((*indexBytes)[i * 8 + std::size_t(b)]);
        if (i == 0) v &= 0x00FFFFFFFFFFFFFFull;
        t.entries.push_back(std::int64_t(v));
    }
    t.entries.push_back(dataSize);
    std::size_t stored = 0;
    for (const auto& n : p.frames())
        if (storedInFile(n->frame) && !n->frame.duplicated) ++stored;
    bool valid = count == stored && count > 0 && t.entries.front() >= kHeaderChunkSize;
    for (std::size_t i = 1; valid && i < t.entries.size(); ++i) valid = t.entries[i] >= t.entries[i - 1];
    if (!valid) return cannot();
    {
        bool ok;
        HeaderChunk h;
        const std::string hb = readRange(data.fd, 0, std::min<std::int64_t>(dataSize, kHeaderChunkSize), ok);
        if (!ok || !parseHeaderChunk(hb, h)) return cannot();
        p.compressedImages = h.compressed;
    }

    // The target: from the command line, or asked for until it can be written.
    std::string target;
    for (;;) {
        if (!o.commandLinePath.empty()) {
            target = std::filesystem::path(o.commandLinePath).replace_extension("tavlo").string();
            ::unlink(target.c_str());
        } else {
            auto chosen = ui.chooseFile({"保存 Tavlo 影片为...", "Tavlo (*.tavlo)", o.initialFolder, true});
            if (!chosen) return false; // the recording stays in its capture files
            target = std::filesystem::path(*chosen).extension() == ".tavlo"
                         ? *chosen
                         : std::filesystem::path(*chosen).replace_extension("tavlo").string();
        }
        Fd probe(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
        if (probe.fd < 0) {
            ui.message(kFileInUseText, "Tavlo 错误", Icon::Error);
            if (!o.commandLinePath.empty()) return false;
            continue;
        }
        struct statvfs vfs {};
        const std::int64_t need = dataSize + std::int64_t(indexBytes->size()) + (1 << 20);
        if (::statvfs(folderOf(target).c_str(), &vfs) == 0 &&
            std::int64_t(vfs.f_bavail) * std::int64_t(vfs.f_frsize) < need) {
            ::unlink(target.c_str());
            ui.message(kDiskFullText, "Tavlo 错误", Icon::Error);
            if (!o.commandLinePath.empty()) return false;
            continue;
        }
        break;
    }

    const std::string part = target + ".part";
    Fd out(::open(part.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    auto abandon = [&](bool report) {
        if (out.fd >= 0) ::close(out.release());
        ::unlink(part.c_str());
        ::unlink(target.c_str());
        return report ? cannot() : false;
    };
    if (out.fd < 0) return abandon(true);
    const std::int64_t dataStart = t.dataStart();
    const std::string placeholder(std::size_t(dataStart), '\0');
    if (!writeAt(out.fd, 0, placeholder.data(), placeholder.size())) return abandon(true);
    {
        auto progress = ui.progress("保存 Tavlo " + stemOf(target));
        Throttled throttle(*progress);
        if (!copyRange(data.fd, 0, out.fd, dataStart, dataSize, progress.get(), &throttle, 0, dataSize))
            return abandon(!progress->cancelled());
    }

    SavedPositions saved;
    saved.keep(p);
    FrameNode* first = p.head();
    std::optional<FrameData> firstData;
    Frame firstFrame{};
    std::string soundTarget;
    if (!o.recordedSound.empty() && first) {
        soundTarget = joinPath(folderOf(target), stemOf(target) + "_frame1.wav");
        firstData = first->data;
        firstFrame = first->frame;
        Frame& f = first->frame;
        first->data.soundFile = soundTarget;
        f.soundPlay = 1;
        f.soundSingleFrame = f.soundSyncSaved = f.syncSoundStart = 0;
        f.soundNoiseMix = 256;
        f.soundGateThreshold = f.soundGateLevel = 0;
        f.soundGain = 1.0f;
        f.soundDcOffset = 0;
        f.soundVolume = 0x7FFF;
    }
    auto undo = [&] {
        saved.restore(p);
        if (firstData) {
            first->data = *firstData;
            first->frame = firstFrame;
        }
    };
    locateChunks(p, t.entries, dataStart);
    const std::string section = writeProjectSection(p, {kCurrentVersion, folderOf(target)});
    t.sectionPosition = dataStart + dataSize;
    const std::string table = encodeOffsetTable(t);
    if (!writeAt(out.fd, t.sectionPosition, section.data(), section.size()) ||
        !writeAt(out.fd, 0, table.data(), table.size()) || !syncFile(out.fd)) {
        undo();
        return abandon(true);
    }
    if (!soundTarget.empty() && std::rename(o.recordedSound.c_str(), soundTarget.c_str()) != 0) {
        std::error_code ec;
        std::filesystem::copy_file(o.recordedSound, soundTarget,
                                   std::filesystem::copy_options::overwrite_existing, ec);
        if (ec) {
            undo();
            return abandon(true);
        }
        ::unlink(o.recordedSound.c_str());
    }
    if (std::rename(part.c_str(), target.c_str()) != 0) {
        undo();
        return abandon(true);
    }
    ::flock(out.fd, LOCK_EX | LOCK_NB);
    p.openFile = holdOpen(out.release());
    p.filePath = target;
    p.wideOffsets = true;
    p.fileVersion = kCurrentVersion;
    ::unlink(files.indexPath.c_str());
    ::unlink(files.dataPath.c_str());
    return true;
}

} // namespace tavlo::project
