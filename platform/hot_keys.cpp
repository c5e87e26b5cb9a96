#include "platform/hot_keys.h"

namespace tavlo::platform {

std::vector<HotKeySpec> recorderHotKeys(bool alternatePause) {
    std::vector<HotKeySpec> keys = {
        {HotKeyId::Snapshot, 0xFF61, 0, "Print Screen"},
        {HotKeyId::Stop, 0xFFFF, kControl, "Ctrl+Delete"},
    };
    if (alternatePause)
        keys.push_back({HotKeyId::Pause, 'p', kAlt, "Alt+P"});
    else
        keys.push_back({HotKeyId::Pause, 0xFF13, 0, "Pause"});
    keys.push_back({HotKeyId::Chapter, 'c', kAlt, "Alt+C"});
    keys.push_back({HotKeyId::Hide, 'h', kControl, "Ctrl+H"});
    return keys;
}

} // namespace tavlo::platform
