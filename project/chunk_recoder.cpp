#include "project/chunk_recoder.h"

#include "project/image/chunk_transcoder.h"

namespace tavlo::project {

ChunkRecoder compressingRecoder(int frameWidth, int frameHeight, int captureQuality) {
    return [=](const std::string& chunk, FrameNode& node) -> std::optional<std::string> {
        Frame& f = node.frame;
        const PixelEncoding from = encodingOf(f.chunkTrueColour, f.chunkCompressed);
        if (from == PixelEncoding::Block) return chunk; // already compressed
        std::vector<std::uint8_t> out;
        recompressChunk(std::span(reinterpret_cast<const std::uint8_t*>(chunk.data()), chunk.size()), from,
                        PixelEncoding::Block, frameWidth, frameHeight, captureQuality, out, nullptr);
        f.chunkTrueColour = 1;
        f.chunkCompressed = 1;
        return std::string(out.begin(), out.end());
    };
}

} // namespace tavlo::project
