#include "app/custom_defaults.h"

#include "core/file_util.h"
#include "project/section_io.h"
#include "project/settings_block.h"

namespace tavlo {

std::string formatCustomDefaults(const CustomDefaults& d) {
    project::SectionWriter w;
    w.integer(kCustomDefaultsVersion);
    for (std::uint32_t c : d.controlBarColours) w.u32(c);
    project::writeSettingsBlock(w, d.annotationDefaults, d.settings, project::SettingsForm::CustomDefaults);
    for (int v : d.videoExport) w.integer(v);
    for (int v : d.htmlPage) w.integer(v);
    w.integer(d.flashEffects1);
    w.integer(d.htmlSetting);
    w.real(d.playbackSpeed);
    w.real(d.swfDelayScale);
    w.integer(d.flashEffects2);
    for (int v : d.controlBar) w.integer(v);
    w.integer(d.recorderValue1);
    w.integer(d.flashEffects3);
    w.integer(d.frameCanvasValue);
    w.integer(d.recorderValue2);
    for (int v : d.flashEffects4) w.integer(v);
    w.integer(d.showAllTime);
    w.integer(d.controlBar751);
    w.integer(d.largeControls);
    w.integer(d.useSwfContainer);
    w.integer(d.videoExport841);
    return w.take();
}

bool parseCustomDefaults(std::string_view bytes, CustomDefaults& out) {
    project::SectionReader r(bytes);
    int version = 0;
    if (!r.integer(version) || version < 100 || version > kCustomDefaultsVersion) return false;
    CustomDefaults d = out;
    for (std::uint32_t& c : d.controlBarColours)
        if (!r.u32(c)) return false;
    if (!project::readSettingsBlock(r, version, d.annotationDefaults, d.settings,
                                    project::SettingsForm::CustomDefaults))
        return false;
    auto ints = [&](auto& a) {
        for (int& v : a)
            if (!r.integer(v)) return false;
        return true;
    };
    auto flag = [&](bool& b) {
        int v;
        if (!r.integer(v)) return false;
        b = v != 0;
        return true;
    };
    bool ok = ints(d.videoExport) && ints(d.htmlPage) && r.integer(d.flashEffects1) &&
              r.integer(d.htmlSetting) && r.real(d.playbackSpeed) && r.real(d.swfDelayScale) &&
              r.integer(d.flashEffects2) && ints(d.controlBar) && r.integer(d.recorderValue1) &&
              r.integer(d.flashEffects3) && r.integer(d.frameCanvasValue) && r.integer(d.recorderValue2) &&
              ints(d.flashEffects4);
    if (ok && version >= 748) ok = flag(d.showAllTime);
    if (ok && version >= 751) ok = r.integer(d.controlBar751);
    if (ok && version >= 811) ok = flag(d.largeControls);
    if (ok && version >= 831) ok = flag(d.useSwfContainer);
    if (ok && version >= 841) ok = r.integer(d.videoExport841);
    if (!ok || !r.ok()) return false;
    out = d;
    return true;
}

bool saveCustomDefaults(UiPrompts& ui, const std::string& path, const CustomDefaults& d) {
    if (ui.question("保存当前 Tavlo 设置为默认值 ?    ", "保存自定义默认值...", Buttons::YesNoCancel,
                    Icon::Question, Answer::Yes) != Answer::Yes)
        return false;
    if (!writeFileReplacing(path, formatCustomDefaults(d))) {
        ui.message("无法保存自定义默认值    ", "Tavlo 错误", Icon::Error);
        return false;
    }
    return true;
}

bool loadCustomDefaults(const AppConfig& config, const std::string& path, CustomDefaults& d) {
    if (!config.useCustomDefaults || path.empty()) return false;
    auto bytes = readWholeFile(path);
    return bytes && parseCustomDefaults(*bytes, d);
}

CustomDefaults customDefaultsFrom(const AppConfig& config, const CustomDefaults& current) {
    CustomDefaults d = current;
    d.playbackSpeed = config.playbackSpeed;
    d.swfDelayScale = config.swfDelayScale;
    d.showAllTime = config.showAllTime;
    d.largeControls = config.largeControls;
    d.useSwfContainer = config.useSwfContainer;
    return d;
}

void applyCustomDefaults(const CustomDefaults& d, AppConfig& config) {
    config.playbackSpeed = d.playbackSpeed;
    config.swfDelayScale = d.swfDelayScale;
    config.showAllTime = d.showAllTime;
    config.largeControls = d.largeControls;
    config.useSwfContainer = d.useSwfContainer;
}

} // namespace tavlo
