#include "movie/movie_compression.h"

#include "swf/progress_line.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace tavlo::movie {

namespace {

constexpr std::size_t kChunk = 32000;

struct File {
    std::FILE* f = nullptr;
    ~File() {
        if (f) std::fclose(f);
    }
};

} // namespace

CompressResult compressMovie(const std::string& path, Progress* progress) {
    swf::ProgressLine line(progress, "Compressing movie");
    File in;
    in.f = std::fopen(path.c_str(), "rb");
    if (!in.f) return CompressResult::Failed;
    std::uint8_t header[8];
    if (std::fread(header, 1, 8, in.f) != 8 || std::memcmp(header, "FWS", 3) != 0)
        return CompressResult::Failed;
    if (std::fseek(in.f, 0, SEEK_END) != 0) return CompressResult::Failed;
    const long total = std::ftell(in.f) - 8;
    if (total < 0 || std::fseek(in.f, 8, SEEK_SET) != 0) return CompressResult::Failed;

    const std::string temp = path + ".cws.tmp";
    File out;
    out.f = std::fopen(temp.c_str(), "wb");
    if (!out.f) return CompressResult::Failed;
    auto fail = [&](CompressResult r) {
        std::fclose(out.f);
        out.f = nullptr;
        unlink(temp.c_str());
        return r;
    };
    header[0] = 'C';
    if (std::fwrite(header, 1, 8, out.f) != 8) return fail(CompressResult::Failed);

    z_stream z{};
    if (deflateInit(&z, 9) != Z_OK) return fail(CompressResult::Failed);
    std::vector<std::uint8_t> input(kChunk), output(kChunk * 2);
    long done = 0;
    int flush = Z_NO_FLUSH;
    int rc = Z_OK;
    do {
        const std::size_t got = std::fread(input.data(), 1, kChunk, in.f);
        if (std::ferror(in.f)) {
            deflateEnd(&z);
            return fail(CompressResult::Failed);
        }
        done += long(got);
        flush = std::feof(in.f) || done >= total ? Z_FINISH : Z_NO_FLUSH;
        z.next_in = input.data();
        z.avail_in = uInt(got);
        do {
            z.next_out = output.data();
            z.avail_out = uInt(output.size());
            rc = deflate(&z, flush);
            if (rc == Z_STREAM_ERROR) {
                deflateEnd(&z);
                return fail(CompressResult::Failed);
            }
            const std::size_t have = output.size() - z.avail_out;
            if (std::fwrite(output.data(), 1, have, out.f) != have) {
                deflateEnd(&z);
                return fail(CompressResult::Failed);
            }
        } while (z.avail_out == 0);
        line.set(std::min(done, total), total);
        if (line.cancelled()) {
            deflateEnd(&z);
            return fail(CompressResult::Cancelled);
        }
    } while (flush != Z_FINISH);
    deflateEnd(&z);
    if (rc != Z_STREAM_END) return fail(CompressResult::Failed);
    if (std::fflush(out.f) != 0 || fsync(fileno(out.f)) != 0) return fail(CompressResult::Failed);
    std::fclose(out.f);
    out.f = nullptr;
    std::fclose(in.f);
    in.f = nullptr;
    // The compressed file takes the name in one step, so the movie is never missing.
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        return CompressResult::Failed;
    }
    return CompressResult::Compressed;
}

} // namespace tavlo::movie
