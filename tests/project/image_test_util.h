#pragma once
// Small pictures made by code for the frame image store tests.
#include "project/image/image_record.h"
#include "project/image/pixel_buffer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace tavlo::project::test {

// Column-order pixels of a w × h rectangle, from a function of (x, y).
template <typename F> std::vector<std::uint32_t> columns(int w, int h, F f) {
    std::vector<std::uint32_t> out(std::size_t(w) * std::size_t(h));
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y) out[std::size_t(x) * h + y] = f(x, y) & 0x00FFFFFF;
    return out;
}

inline std::vector<std::uint32_t> flat(int w, int h, std::uint32_t colour) {
    return columns(w, h, [&](int, int) { return colour; });
}

// A desktop-like scene: a few flat colours with text-like stripes.
inline std::vector<std::uint32_t> desktop(int w, int h, int seed = 0) {
    return columns(w, h, [&](int x, int y) -> std::uint32_t {
        if (y < 20) return 0x2B579A;
        if ((y / 12) % 3 == 1 && ((x + seed) / 3) % 5 != 0 && x % 200 < 150) return 0x202020;
        return 0xF3F3F3;
    });
}

// A smooth photographic gradient with mild noise: takes the JPEG path and compresses well there.
inline std::vector<std::uint32_t> photo(int w, int h, unsigned seed = 1) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> jitter(-6, 6);
    return columns(w, h, [&](int x, int y) -> std::uint32_t {
        auto c = [&](double v) { return std::uint32_t(std::clamp(int(v) + jitter(rng), 0, 255)); };
        return c(128 + 100 * std::sin(x * 0.05)) << 16 | c(128 + 100 * std::cos(y * 0.07)) << 8 |
               c(128 + 60 * std::sin((x + y) * 0.03));
    });
}

inline std::vector<std::uint32_t> noise(int w, int h, unsigned seed = 7) {
    std::mt19937 rng(seed);
    return columns(w, h, [&](int, int) { return std::uint32_t(rng()); });
}

inline std::vector<std::uint32_t> toRows(const std::vector<std::uint32_t>& cols, int w, int h) {
    std::vector<std::uint32_t> rows(cols.size());
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y) rows[std::size_t(y) * w + x] = cols[std::size_t(x) * h + y];
    return rows;
}

// Peak signal-to-noise ratio over the three channels, in dB.
inline double psnr(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        for (int s = 0; s < 24; s += 8) {
            const double d = double((a[i] >> s) & 0xFF) - double((b[i] >> s) & 0xFF);
            sum += d * d;
        }
    const double mse = sum / (3.0 * double(a.size()));
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

// A fresh folder under the system temporary folder, removed at the end of the test.
class TempFolder {
public:
    TempFolder() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "tavlo_image_XXXXXX").string();
        path_ = mkdtemp(tmpl.data());
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

inline std::vector<std::uint8_t> readFile(const std::string& path) {
    std::vector<std::uint8_t> out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    std::uint8_t buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
}

} // namespace tavlo::project::test
