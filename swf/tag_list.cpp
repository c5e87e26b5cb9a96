#include "swf/tag_list.h"

#include "swf/progress_line.h"
#include "swf/stream.h"
#include "swf/write.h"

#include <cstdio>
#include <unistd.h>

namespace tavlo::swf {

void SwfTagList::add(Tag tag) {
    if (tag.isShowFrame()) ++frames_;
    tags_.push_back(std::move(tag));
}

void SwfTagList::writeBody(SwfStream& stream) const {
    for (const Tag& t : tags_) writeTag(stream, t);
    writeTag(stream, Tag(End{}));
}

void SwfTagList::clear() {
    tags_.clear();
    frames_ = 0;
}

namespace {

enum class Copy { Ok, CacheFailed, Lost, WriteFailed };

// The stream's bytes with its blocks in place, straight from memory or from the cache.
Copy copyStream(const SwfStream& s, std::FILE* out, SwfContext& ctx) {
    const std::vector<uint8_t>& bytes = s.bytes();
    for (const StreamBlock& b : s.blocks())
        if (b.lost) return Copy::Lost;
    size_t at = 0;
    for (const StreamBlock& b : s.blocks()) {
        if (std::fwrite(bytes.data() + at, 1, b.position - at, out) != b.position - at)
            return Copy::WriteFailed;
        at = b.position;
        if (b.cached) {
            if (!ctx.cache.copyTo(b.cacheOffset, b.length, out))
                return std::ferror(out) ? Copy::WriteFailed : Copy::CacheFailed;
        } else if (b.length > 0 && std::fwrite(b.memory, 1, b.length, out) != b.length) {
            return Copy::WriteFailed;
        }
    }
    if (std::fwrite(bytes.data() + at, 1, bytes.size() - at, out) != bytes.size() - at)
        return Copy::WriteFailed;
    return Copy::Ok;
}

} // namespace

SaveResult SwfTagList::writeToFile(const std::string& path, int width, int height, int frameRate,
                                   SwfContext& ctx) {
    std::string part = path + ".part";
    std::FILE* out = std::fopen(part.c_str(), "wb");
    if (!out) return SaveResult::CannotCreate;

    // Tags are written one by one so that a tag whose payload cannot be had is left out whole:
    // the file is cut before it and the header counts only what is in the file.
    Header h;
    h.version = ctx.flash4Compatible ? 4 : 6;
    h.frameSize = Rect{Twips(0), Twips(width), Twips(0), Twips(height)};
    h.frameRate = Fixed8::fromInt(frameRate);
    SwfStream sizing;
    writeHeader(sizing, h); // only the size: length and frame count do not change it
    const std::vector<uint8_t> room(sizing.bytes().size(), 0);
    bool ioOk = std::fwrite(room.data(), 1, room.size(), out) == room.size();
    uint64_t written = room.size();
    int framesWritten = 0;
    SaveResult result = SaveResult::Written;
    {
        ProgressLine line(ctx.progress, "Writing movie to file");
        for (size_t i = 0; i < tags_.size() && ioOk; ++i) {
            if (line.cancelled()) {
                result = SaveResult::Cancelled;
                break;
            }
            SwfStream s;
            writeTag(s, tags_[i]);
            Copy c = copyStream(s, out, ctx);
            if (c == Copy::WriteFailed) {
                ioOk = false;
                break;
            }
            if (c != Copy::Ok) {
                if (c == Copy::CacheFailed) ctx.cacheFailed();
                // Drop whatever part of the tag reached the file.
                ioOk = std::fflush(out) == 0 && ftruncate(fileno(out), off_t(written)) == 0 &&
                       fseeko(out, off_t(written), SEEK_SET) == 0;
                result = SaveResult::CutShort;
                break;
            }
            written += s.length();
            if (tags_[i].isShowFrame()) ++framesWritten;
            line.set(long(i + 1), long(tags_.size()));
        }
    }
    SwfStream end;
    writeTag(end, Tag(End{}));
    ioOk = ioOk && std::fwrite(end.bytes().data(), 1, end.bytes().size(), out) == end.bytes().size();
    written += end.length();

    h.fileLength = uint32_t(written);
    h.frameCount = uint16_t(framesWritten);
    SwfStream head;
    writeHeader(head, h);
    ctx.characterIds = 0;

    ioOk = ioOk && fseeko(out, 0, SEEK_SET) == 0 &&
           std::fwrite(head.bytes().data(), 1, head.bytes().size(), out) == head.bytes().size();
    ioOk = ioOk && std::fflush(out) == 0 && fsync(fileno(out)) == 0;
    ioOk = std::fclose(out) == 0 && ioOk;
    if (!ioOk || std::rename(part.c_str(), path.c_str()) != 0) {
        std::remove(part.c_str());
        return SaveResult::WriteFailed;
    }
    return result;
}

} // namespace tavlo::swf
