// The frame image store: a 1080p key image must decode and paint in under 15 ms, a small step
// (one 200 × 40 rectangle) in under 1 ms, and the writer must keep up with 30 frames a second of
// typical desktop changes.
#include "project/image/block_codec.h"
#include "project/image/capture_writer.h"
#include "project/image/chunk_decoder.h"
#include "project/image/record_encoder.h"
#include "project/image/snapshot_codec.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <vector>

namespace {

using namespace tavlo::project;

constexpr int kW = 1920, kH = 1080;

// A desktop-like scene in column order: title bar, window backgrounds, lines of "text".
std::vector<std::uint32_t> desktopColumns(int w, int h, int seed = 0) {
    std::vector<std::uint32_t> out(std::size_t(w) * std::size_t(h));
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y) {
            std::uint32_t p = 0xF3F3F3;
            if (y < 30)
                p = 0x2B579A;
            else if (x < 260)
                p = 0xE6E6E6;
            else if ((y / 14) % 3 == 1 && ((x + seed) / 4) % 6 != 0 && x % 420 < 360)
                p = 0x202020;
            out[std::size_t(x) * h + y] = p;
        }
    return out;
}

std::vector<std::uint32_t> photoColumns(int w, int h) {
    std::mt19937 rng(5);
    std::vector<std::uint32_t> out(std::size_t(w) * std::size_t(h));
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y) {
            auto c = [&](double v) { return std::uint32_t(std::clamp(int(v) + int(rng() % 9) - 4, 0, 255)); };
            out[std::size_t(x) * h + y] = c(128 + 100 * std::sin(x * 0.01)) << 16 |
                                          c(128 + 90 * std::cos(y * 0.013)) << 8 |
                                          c(120 + 60 * std::sin((x + y) * 0.007));
        }
    return out;
}

enum Kind { kRle24 = 0, kZlib = 1, kJpeg = 2 };

const char* kindName(int k) {
    return k == kRle24 ? "rle24" : k == kZlib ? "zlib" : "jpeg";
}

// A chunk with one before/after pair of the given rectangle.
std::vector<std::uint8_t> pairChunk(int kind, const PixelRect& r, const std::vector<std::uint32_t>& before,
                                    const std::vector<std::uint32_t>& after) {
    std::vector<std::uint8_t> chunk;
    RecordEncoder enc;
    const PixelEncoding e = kind == kRle24 ? PixelEncoding::Rle24 : PixelEncoding::Block;
    const int quality = kind == kJpeg ? 100 : 80;
    enc.rectangle(RecordType::Before, 0, r, before.data(), e, quality, chunk, nullptr);
    enc.rectangle(RecordType::After, 0, r, after.data(), e, quality, chunk, nullptr);
    return chunk;
}

void BM_DecodeKeyImage1080p(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    const bool both = state.range(1) != 0;
    const auto px = kind == kJpeg ? photoColumns(kW, kH) : desktopColumns(kW, kH);
    const auto chunk = pairChunk(kind, {0, 0, kW - 1, kH - 1}, px, px);
    const PixelEncoding e = kind == kRle24 ? PixelEncoding::Rle24 : PixelEncoding::Block;
    PixelBuffer picture(kW, kH);
    for (auto _ : state) {
        const DecodedChunk d =
            decodeChunk(chunk, e, kW, kH, both ? RecordSelection::Both : RecordSelection::ForwardOnly);
        paintForward(picture, d);
        benchmark::DoNotOptimize(picture.pixels.data());
    }
    state.SetLabel(std::string(kindName(kind)) + (both ? ", both records, " : ", forward only, ") +
                   std::to_string(chunk.size()) + " bytes");
}
BENCHMARK(BM_DecodeKeyImage1080p)
    ->ArgsProduct({{kRle24, kZlib, kJpeg}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

void BM_StepSmallChange(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    const PixelRect r{700, 500, 899, 539};
    const auto before = desktopColumns(200, 40, 1), after = desktopColumns(200, 40, 2);
    const auto chunk = pairChunk(kind, r, before, after);
    const PixelEncoding e = kind == kRle24 ? PixelEncoding::Rle24 : PixelEncoding::Block;
    PixelBuffer picture(kW, kH);
    for (auto _ : state) {
        const DecodedChunk d = decodeChunk(chunk, e, kW, kH);
        paintForward(picture, d);
        benchmark::DoNotOptimize(picture.pixels.data());
    }
    state.SetLabel(std::string(kindName(kind)) + " 200 x 40");
}
BENCHMARK(BM_StepSmallChange)->Arg(kRle24)->Arg(kZlib)->Unit(benchmark::kMicrosecond);

void BM_PaintKeyImage1080p(benchmark::State& state) {
    const auto px = desktopColumns(kW, kH);
    const auto chunk = pairChunk(kRle24, {0, 0, kW - 1, kH - 1}, px, px);
    const DecodedChunk d = decodeChunk(chunk, PixelEncoding::Rle24, kW, kH);
    PixelBuffer picture(kW, kH);
    for (auto _ : state) {
        paintForward(picture, d);
        benchmark::DoNotOptimize(picture.pixels.data());
    }
}
BENCHMARK(BM_PaintKeyImage1080p)->Unit(benchmark::kMillisecond);

void BM_Encode1080p(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    const auto px = kind == kJpeg ? photoColumns(kW, kH) : desktopColumns(kW, kH);
    RecordEncoder enc;
    BlockEncoder blocks;
    std::vector<std::uint8_t> out;
    ColourHistogram histogram{};
    for (auto _ : state) {
        out.clear();
        if (kind == kRle24)
            enc.rectangle(RecordType::After, 0, {0, 0, kW - 1, kH - 1}, px.data(), PixelEncoding::Rle24, 80,
                          out, &histogram);
        else if (kind == kZlib)
            blocks.encodeZlibBlock(px.data(), kW, kH, out);
        else
            blocks.encodeJpegBlock(px.data(), kW, kH, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetLabel(std::string(kindName(kind)) + ", " + std::to_string(out.size()) + " bytes");
    state.SetBytesProcessed(state.iterations() * std::int64_t(px.size()) * 4);
}
BENCHMARK(BM_Encode1080p)->Arg(kRle24)->Arg(kZlib)->Arg(kJpeg)->Unit(benchmark::kMillisecond);

// The choice itself (histogram and diversity count) that every compressed rectangle pays.
void BM_BlockChoice1080p(benchmark::State& state) {
    const auto px = desktopColumns(kW, kH);
    ColourHistogram histogram{};
    for (auto _ : state) benchmark::DoNotOptimize(blockDiversity(px.data(), px.size(), &histogram));
}
BENCHMARK(BM_BlockChoice1080p)->Unit(benchmark::kMillisecond);

// Snapshots of chapter frames: a 1080p picture through FastLZ each way.
void BM_Snapshot1080p(benchmark::State& state) {
    const bool decode = state.range(0) != 0;
    const auto cols = desktopColumns(kW, kH);
    PixelBuffer picture(kW, kH);
    for (int x = 0; x < kW; ++x)
        for (int y = 0; y < kH; ++y) picture.row(y)[x] = cols[std::size_t(x) * kH + y];
    const auto blob = encodeSnapshot(picture);
    for (auto _ : state) {
        if (decode) {
            auto back = decodeSnapshot(blob);
            benchmark::DoNotOptimize(back);
        } else {
            auto made = encodeSnapshot(picture);
            benchmark::DoNotOptimize(made.data());
        }
    }
    state.SetLabel(std::string(decode ? "decode, " : "encode, ") + std::to_string(blob.size()) + " bytes");
}
BENCHMARK(BM_Snapshot1080p)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One frame of typical desktop work for the writer: a few lines of text typed (three 200 × 40
// rectangles), a menu opening (400 × 300) and a pointer picture, before and after each. Written
// on this thread through the writer's own encoding path, so the time per frame is what the writer
// thread needs to keep up.
void BM_WriterTypicalFrame(benchmark::State& state) {
    const bool compressed = state.range(0) != 0;
    std::string folder = (std::filesystem::temp_directory_path() / "tavlo_bench_XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        state.SkipWithError("no temporary folder");
        return;
    }
    {
        CaptureWriter writer({folder, compressed, 80, false, 0});
        if (!writer.createFiles() || !writer.startCapture(kW, kH, compressed, false)) {
            state.SkipWithError("capture files");
            return;
        }
        const auto text0 = desktopColumns(200, 40, 0), text1 = desktopColumns(200, 40, 3);
        const auto menu0 = desktopColumns(400, 300, 0), menu1 = desktopColumns(400, 300, 5);
        const auto pointer = desktopColumns(32, 32, 1);
        auto message = [](MessageType t, PixelRect r, const std::vector<std::uint32_t>& px) {
            WriterMessage m;
            m.type = t;
            m.rect = r;
            m.pixels = px;
            return m;
        };
        int frame = 0;
        for (auto _ : state) {
            WriterMessage start;
            start.type = MessageType::FrameStart;
            start.value = static_cast<std::uint16_t>(frame++);
            writer.writeDirect(start);
            for (int i = 0; i < 3; ++i) {
                const PixelRect r{300, 200 + 50 * i, 499, 239 + 50 * i};
                writer.writeDirect(message(MessageType::Before, r, text0));
                writer.writeDirect(message(MessageType::After, r, text1));
            }
            const PixelRect m{900, 100, 1299, 399};
            writer.writeDirect(message(MessageType::Before, m, menu0));
            writer.writeDirect(message(MessageType::After, m, menu1));
            writer.writeDirect(message(MessageType::Pointer, {600, 600, 631, 631}, pointer));
        }
        state.SetItemsProcessed(state.iterations());
        state.SetLabel(std::string(compressed ? "blocks" : "rle24") + ", " +
                       std::to_string(writer.dataPosition() / std::max<std::int64_t>(frame, 1)) +
                       " bytes/frame");
        writer.removeFiles();
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_WriterTypicalFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
