#pragma once
// "TavloCustom.ini": the user's own defaults for new projects ("使用自定义为默认值").
#include "core/app_config.h"
#include "core/ui_prompts.h"
#include "project/project_defaults.h"
#include "project/publish_settings.h"

#include <array>
#include <cstdint>
#include <string>

namespace tavlo {

inline constexpr int kCustomDefaultsVersion = 866;

struct CustomDefaults {
    // symbol, border, button, rollover, pressed, panel as 0x00BBGGRR: the "Tavlo" scheme.
    std::array<std::uint32_t, 6> controlBarColours{0x646464, 0x000000, 0xC2FFFF,
                                                   0xFF8080, 0xFF5A5A, 0xE1E1E1};
    // The settings block of a project without its project-only items.
    project::ProjectDefaults annotationDefaults;
    project::SettingsBlock settings;
    std::array<int, 3> videoExport{7, 640, 480};
    std::array<int, 6> htmlPage{};
    int flashEffects1 = 0;
    int htmlSetting = 0;
    double playbackSpeed = 1.0;
    double swfDelayScale = 1.0;
    int flashEffects2 = 0;
    std::array<int, 3> controlBar{};
    int recorderValue1 = 0;
    int flashEffects3 = 0;
    int frameCanvasValue = 0;
    int recorderValue2 = 0;
    std::array<int, 2> flashEffects4{};
    bool showAllTime = false;
    int controlBar751 = 0;
    bool largeControls = false;
    bool useSwfContainer = false;
    int videoExport841 = 0;
};

std::string formatCustomDefaults(const CustomDefaults& d);
bool parseCustomDefaults(std::string_view bytes, CustomDefaults& d);

// Asks "保存当前 Tavlo 设置为默认值 ?    " and on Yes writes the file; a failed write is reported.
// True only when the file was written.
bool saveCustomDefaults(UiPrompts& ui, const std::string& path, const CustomDefaults& d);
// Reads the file over `d` when the configuration asks for custom defaults; true when it did.
bool loadCustomDefaults(const AppConfig& config, const std::string& path, CustomDefaults& d);

// The values of the current settings that custom defaults carry, and back.
CustomDefaults customDefaultsFrom(const AppConfig& config, const CustomDefaults& current);
void applyCustomDefaults(const CustomDefaults& d, AppConfig& config);

} // namespace tavlo
