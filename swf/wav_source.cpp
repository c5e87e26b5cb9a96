#include "swf/wav_source.h"

#include "core/file_util.h"

namespace tavlo::swf {

namespace {

uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t le16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}

} // namespace

std::optional<PcmSound> readWav(const std::vector<uint8_t>& b) {
    if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
        std::string(b.begin() + 8, b.begin() + 12) != "WAVE")
        return std::nullopt;
    PcmSound pcm;
    bool haveFormat = false, haveData = false;
    size_t at = 12;
    while (at + 8 <= b.size() && !haveData) {
        std::string id(b.begin() + long(at), b.begin() + long(at) + 4);
        uint32_t size = le32(&b[at + 4]);
        size_t body = at + 8;
        if (size > b.size() - body) {
            // A data chunk cut short (a recording that was not finished) keeps what is there.
            if (id != "data") return std::nullopt;
            size = uint32_t(b.size() - body);
        }
        if (id == "fmt ") {
            if (size < 16) return std::nullopt;
            uint16_t format = le16(&b[body]);
            if (format == 0xFFFE && size >= 26)
                format = le16(&b[body + 24]); // sub-format GUID starts with it
            pcm.channels = le16(&b[body + 2]);
            pcm.rate = int(le32(&b[body + 4]));
            pcm.bits = le16(&b[body + 14]);
            if (format != 1 || (pcm.channels != 1 && pcm.channels != 2) ||
                (pcm.bits != 8 && pcm.bits != 16) || pcm.rate <= 0)
                return std::nullopt;
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) return std::nullopt;
            size_t frameBytes = size_t(pcm.bits / 8 * pcm.channels);
            pcm.data.assign(b.begin() + long(body), b.begin() + long(body + size - size % frameBytes));
            haveData = true;
        }
        at = body + size + (size & 1);
    }
    if (!haveData) return std::nullopt;
    return pcm;
}

std::optional<PcmSound> readWavFile(const std::string& path) {
    auto bytes = readWholeFile(path);
    if (!bytes) return std::nullopt;
    return readWav(std::vector<uint8_t>(bytes->begin(), bytes->end()));
}

} // namespace tavlo::swf
