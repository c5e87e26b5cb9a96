#pragma once
// PCM sound from a WAV file, the source of event and stream sounds.
#include "swf/adpcm.h"

#include <optional>
#include <string>
#include <vector>

namespace tavlo::swf {

// 8-bit or 16-bit integer PCM, mono or stereo (format 1, or WAVE_FORMAT_EXTENSIBLE carrying it).
// Nothing for anything else or for chunks that run past the end of the data.
std::optional<PcmSound> readWav(const std::vector<uint8_t>& bytes);
std::optional<PcmSound> readWavFile(const std::string& path);

} // namespace tavlo::swf
