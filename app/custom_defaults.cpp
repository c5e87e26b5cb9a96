#include "app/custom_defaults.h"

#include "core/file_util.h"
#include "core/line_format.h"

namespace tavlo {

std::string formatCustomDefaults(const CustomDefaults& d) {
    LineWriter w;
    w.putInt(kCustomDefaultsVersion);
    for (std::uint32_t c : d.controlBarColours) w.putU32(c);
    w.putFloat(d.playbackSpeed);
    w.putFloat(d.swfDelayScale);
    w.putInt(d.showAllTime);
    w.putInt(d.largeControls);
    w.putInt(d.useSwfContainer);
    return w.take();
}

bool parseCustomDefaults(std::string_view bytes, CustomDefaults& out) {
    LineReader lines(bytes);
    int version = 0;
    if (!lines.getInt(version) || version < 100 || version > kCustomDefaultsVersion) return false;
    CustomDefaults d = out;
    VersionedReader r(lines, version);
    for (std::uint32_t& c : d.controlBarColours) r.item(100, c);
    r.item(100, d.playbackSpeed);
    r.item(100, d.swfDelayScale);
    r.item(748, d.showAllTime);
    r.item(811, d.largeControls);
    r.item(831, d.useSwfContainer);
    if (lines.failed()) return false;
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
