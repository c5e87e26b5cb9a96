#include "core/app_config.h"

#include "core/file_util.h"
#include "core/line_format.h"

#include <cstdio>
#include <vector>

namespace tavlo {

namespace {

enum class Kind { Text, Float, Int, YesNo };

struct Key {
    const char* name;
    Kind kind;
    void* (*field)(AppConfig&);
};

template <auto Member> void* fieldOf(AppConfig& c) {
    return &(c.*Member);
}

// The keyed options in the order the writer puts them.
const std::vector<Key>& keys() {
    static const std::vector<Key> k = {
        {"temp_directory=", Kind::Text, fieldOf<&AppConfig::tempDirectory>},
        {"delay_scale=", Kind::Float, fieldOf<&AppConfig::delayScale>},
        {"delay_minimum=", Kind::Int, fieldOf<&AppConfig::delayMinimum>},
        {"fixed_fps=", Kind::Int, fieldOf<&AppConfig::fixedFps>},
        {"export_timing_data=", Kind::YesNo, fieldOf<&AppConfig::exportTimingData>},
        {"record_auto_detect=", Kind::YesNo, fieldOf<&AppConfig::recordAutoDetect>},
        {"record_frequency=", Kind::Int, fieldOf<&AppConfig::recordFrequency>},
        {"record_channels=", Kind::Int, fieldOf<&AppConfig::recordChannels>},
        {"record_bits=", Kind::Int, fieldOf<&AppConfig::recordBits>},
        {"continue_playing=", Kind::YesNo, fieldOf<&AppConfig::continuePlaying>},
        {"enable_sync_sound=", Kind::YesNo, fieldOf<&AppConfig::enableSyncSound>},
        {"continuous_recording=", Kind::YesNo, fieldOf<&AppConfig::continuousRecording>},
        {"search_long_delays=", Kind::YesNo, fieldOf<&AppConfig::searchLongDelays>},
        {"long_delay_minimum=", Kind::Int, fieldOf<&AppConfig::longDelayMinimum>},
        {"allow_resync=", Kind::YesNo, fieldOf<&AppConfig::allowResync>},
        {"noise_filter=", Kind::Int, fieldOf<&AppConfig::noiseFilter>},
        {"alternate_pause=", Kind::YesNo, fieldOf<&AppConfig::alternatePause>},
        {"zoom_pan_rate=", Kind::Int, fieldOf<&AppConfig::zoomPanRate>},
        {"granularity=", Kind::Int, fieldOf<&AppConfig::granularity>},
        {"allow_keyboard_control=", Kind::YesNo, fieldOf<&AppConfig::allowKeyboardControl>},
        {"callout_navigation=", Kind::YesNo, fieldOf<&AppConfig::calloutNavigation>},
        {"use_custom_defaults=", Kind::YesNo, fieldOf<&AppConfig::useCustomDefaults>},
        {"meta_tag=", Kind::Text, fieldOf<&AppConfig::metaTag>},
        {"secure_load=", Kind::YesNo, fieldOf<&AppConfig::secureLoad>},
        {"external_ftp_settings=", Kind::YesNo, fieldOf<&AppConfig::externalFtpSettings>},
        {"remove_ghost_frames=", Kind::YesNo, fieldOf<&AppConfig::removeGhostFrames>},
    };
    return k;
}

bool writtenOnlyWhenSet(const std::string_view name) {
    return name == "meta_tag=" || name == "secure_load=" || name == "external_ftp_settings=" ||
           name == "remove_ghost_frames=";
}

std::string stripTrailingNonPrintable(std::string_view v) {
    while (!v.empty() && static_cast<unsigned char>(v.back()) <= 0x20) v.remove_suffix(1);
    return std::string(v);
}

} // namespace

std::string formatConfig(const AppConfig& config) {
    AppConfig c = config; // the key table hands out mutable fields
    char head[64];
    std::snprintf(head, sizeof head, "Professional_v%d.%2.2d.%2.2d\r\n", 8, 60, 66);
    std::string out = head;
    for (const Key& k : keys()) {
        void* f = k.field(c);
        std::string value;
        switch (k.kind) {
        case Kind::Text:
            value = *static_cast<std::string*>(f);
            break;
        case Kind::Float:
            value = formatFixed6(*static_cast<double*>(f));
            break;
        case Kind::Int:
            value = std::to_string(*static_cast<int*>(f));
            break;
        case Kind::YesNo:
            value = *static_cast<bool*>(f) ? "Y" : "N";
            break;
        }
        if (writtenOnlyWhenSet(k.name)) {
            bool set = k.kind == Kind::Text ? !value.empty() : *static_cast<bool*>(f);
            if (!set) continue;
        }
        out += k.name;
        out += value;
        out += "\r\n";
    }
    return out;
}

void parseConfig(std::string_view text, AppConfig& config) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        // An over-long line is dropped whole: reading it in pieces would turn its tail into a line
        // of its own.
        if (line.size() > kConfigMaxLine) continue;

        const Key* match = nullptr;
        for (const Key& k : keys()) {
            if (line.starts_with(k.name)) {
                match = &k;
                break;
            }
        }
        if (!match) {
            std::string folder = stripTrailingNonPrintable(line);
            if (isDirectory(folder)) config.tempDirectory = folder;
            continue;
        }
        std::string_view value = line.substr(std::string_view(match->name).size());
        void* f = match->field(config);
        switch (match->kind) {
        case Kind::Text:
            if (f == &config.tempDirectory) {
                std::string folder = stripTrailingNonPrintable(value);
                if (isDirectory(folder)) config.tempDirectory = folder;
            } else {
                *static_cast<std::string*>(f) = std::string(value);
            }
            break;
        case Kind::Float:
            *static_cast<double*>(f) = parseDecimalDouble(value);
            break;
        case Kind::Int:
            *static_cast<int*>(f) = parseDecimalInt(value);
            break;
        case Kind::YesNo:
            *static_cast<bool*>(f) = !value.empty() && (value[0] == 'Y' || value[0] == 'y');
            break;
        }
    }
}

bool readConfigFile(const std::string& path, AppConfig& config) {
    auto text = readWholeFile(path);
    if (!text) return false;
    parseConfig(*text, config);
    return true;
}

bool writeConfigFile(const std::string& path, const AppConfig& config) {
    return writeFileReplacing(path, formatConfig(config));
}

} // namespace tavlo
