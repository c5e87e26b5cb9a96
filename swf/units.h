#pragma once
// Units of the SWF format as types, so a twip is never mistaken for a pixel or a 16.16 factor.
#include <cstdint>

namespace tavlo::swf {

// 1/20 of a pixel.
struct Twips {
    int32_t value = 0;
    constexpr Twips() = default;
    constexpr explicit Twips(int32_t v) : value(v) {}
    static constexpr Twips fromPixels(int32_t px) { return Twips(px * 20); }
    bool operator==(const Twips&) const = default;
};

// 8.8 fixed point (frame rate).
struct Fixed8 {
    uint16_t raw = 0;
    static constexpr Fixed8 fromInt(int v) { return Fixed8{uint16_t(v << 8)}; }
    bool operator==(const Fixed8&) const = default;
};

// 16.16 fixed point (scales and skews of a MATRIX). 0x10000 = 1.0.
struct Fixed16 {
    int32_t raw = 0;
    static constexpr Fixed16 one() { return Fixed16{0x10000}; }
    bool operator==(const Fixed16&) const = default;
};

} // namespace tavlo::swf
