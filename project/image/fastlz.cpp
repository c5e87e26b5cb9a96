#include "project/image/fastlz.h"

#include <algorithm>
#include <cstring>

namespace tavlo::project {

namespace {

constexpr std::size_t kMaxLiteralRun = 32;
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxLevel1Match = 264;     // 7 + 2 + 255
constexpr std::size_t kMaxLevel2Match = 1 << 16; // the format has no limit; this keeps instructions short
constexpr std::size_t kNearDistance1 = 8192;     // level 1: distance fields 0..8191
constexpr std::size_t kNearDistance2 = 8191;     // level 2: field 8191 means "far"
constexpr std::size_t kFarDistance2 = 8191 + 65536;
constexpr int kHashBits = 14;

std::uint32_t read24(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
}

std::uint32_t hash24(std::uint32_t v) {
    return (v * 2654435761u) >> (32 - kHashBits);
}

void emitLiterals(const std::uint8_t* from, std::size_t count, std::vector<std::uint8_t>& out) {
    while (count > 0) {
        const std::size_t run = std::min(count, kMaxLiteralRun);
        out.push_back(static_cast<std::uint8_t>(run - 1));
        out.insert(out.end(), from, from + run);
        from += run;
        count -= run;
    }
}

void emitMatch(int level, std::size_t length, std::size_t distance, std::vector<std::uint8_t>& out) {
    const std::size_t lengthField = length - 2; // 1.. ; 7 and above take extra bytes
    const std::size_t d = distance - 1;
    const auto top = static_cast<std::uint8_t>(std::min<std::size_t>(lengthField, 7) << 5);
    if (level == 1) {
        out.push_back(static_cast<std::uint8_t>(top | (d >> 8)));
        if (lengthField >= 7) out.push_back(static_cast<std::uint8_t>(lengthField - 7));
        out.push_back(static_cast<std::uint8_t>(d & 0xFF));
        return;
    }
    const bool far = d >= kNearDistance2;
    out.push_back(static_cast<std::uint8_t>(top | (far ? 31 : (d >> 8))));
    if (lengthField >= 7) {
        std::size_t rest = lengthField - 7;
        for (; rest >= 255; rest -= 255) out.push_back(255);
        out.push_back(static_cast<std::uint8_t>(rest));
    }
    if (far) {
        const std::size_t extra = d - kNearDistance2;
        out.push_back(255);
        out.push_back(static_cast<std::uint8_t>(extra >> 8));
        out.push_back(static_cast<std::uint8_t>(extra & 0xFF));
    } else {
        out.push_back(static_cast<std::uint8_t>(d & 0xFF));
    }
}

} // namespace

void fastlzCompress(int level, std::span<const std::uint8_t> input, std::vector<std::uint8_t>& out) {
    if (level != 2) level = 1;
    const std::size_t n = input.size();
    if (n == 0) return;
    const std::size_t start = out.size();
    const std::uint8_t* in = input.data();
    const std::size_t maxDistance = level == 1 ? kNearDistance1 : kFarDistance2;
    const std::size_t maxLength = level == 1 ? kMaxLevel1Match : kMaxLevel2Match;
    // Positions + 1 of the last occurrence of each hashed 3-byte sequence (0 = none).
    std::vector<std::uint32_t> table(std::size_t(1) << kHashBits, 0);

    std::size_t anchor = 0;
    std::size_t ip = 0;
    while (ip + kMinMatch <= n) {
        const std::uint32_t seq = read24(in + ip);
        const std::uint32_t h = hash24(seq);
        const std::size_t candidate = table[h];
        table[h] = static_cast<std::uint32_t>(ip + 1);
        if (candidate != 0) {
            const std::size_t ref = candidate - 1;
            const std::size_t distance = ip - ref;
            if (distance <= maxDistance && read24(in + ref) == seq) {
                std::size_t length = kMinMatch;
                const std::size_t cap = std::min(maxLength, n - ip);
                while (length < cap && in[ref + length] == in[ip + length]) ++length;
                // A far match costs five bytes: only worth it when it is longer than that.
                if (level == 2 && distance > kNearDistance2 && length < 5) {
                    ++ip;
                    continue;
                }
                emitLiterals(in + anchor, ip - anchor, out);
                emitMatch(level, length, distance, out);
                // Remember a few positions inside the match so later data can refer to them.
                const std::size_t end = ip + length;
                for (std::size_t p = ip + 1; p + kMinMatch <= n && p < end && p < ip + 8; ++p)
                    table[hash24(read24(in + p))] = static_cast<std::uint32_t>(p + 1);
                ip = end;
                anchor = ip;
                continue;
            }
        }
        ++ip;
    }
    emitLiterals(in + anchor, n - anchor, out);
    if (level == 2) out[start] |= 1 << 5; // the first instruction is always a literal run
}

std::optional<std::size_t> fastlzDecompress(std::span<const std::uint8_t> input,
                                            std::span<std::uint8_t> out) {
    const std::uint8_t* ip = input.data();
    const std::uint8_t* const ipEnd = ip + input.size();
    std::uint8_t* const opStart = out.data();
    std::uint8_t* op = opStart;
    std::uint8_t* const opEnd = opStart + out.size();
    if (ip == ipEnd) return 0;
    const int level = (*ip >> 5) + 1;
    if (level != 1 && level != 2) return std::nullopt;
    std::size_t ctrl = *ip++ & 31;
    while (true) {
        if (ctrl >= 32) {
            std::size_t length = (ctrl >> 5) - 1;
            std::size_t distance = (ctrl & 31) << 8;
            if (length == 6) {
                if (level == 1) {
                    if (ip >= ipEnd) return std::nullopt;
                    length += *ip++;
                } else {
                    std::uint8_t code;
                    do {
                        if (ip >= ipEnd) return std::nullopt;
                        code = *ip++;
                        length += code;
                    } while (code == 255);
                }
            }
            if (ip >= ipEnd) return std::nullopt;
            const std::uint8_t low = *ip++;
            distance += low;
            length += 3;
            if (level == 2 && low == 255 && (ctrl & 31) == 31) {
                if (ipEnd - ip < 2) return std::nullopt;
                distance = (std::size_t(ip[0]) << 8 | ip[1]) + kNearDistance2;
                ip += 2;
            }
            distance += 1;
            if (distance > std::size_t(op - opStart) || length > std::size_t(opEnd - op)) return std::nullopt;
            const std::uint8_t* ref = op - distance;
            if (distance >= length) {
                std::memcpy(op, ref, length);
                op += length;
            } else {
                // Overlapping copy: the match repeats the bytes it is producing.
                for (std::size_t i = 0; i < length; ++i) *op++ = *ref++;
            }
        } else {
            const std::size_t run = ctrl + 1;
            if (std::size_t(ipEnd - ip) < run || std::size_t(opEnd - op) < run) return std::nullopt;
            std::memcpy(op, ip, run);
            ip += run;
            op += run;
        }
        if (ip >= ipEnd) break;
        ctrl = *ip++;
    }
    return std::size_t(op - opStart);
}

} // namespace tavlo::project
