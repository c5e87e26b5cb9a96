#pragma once
// Global keys that work while another program has the focus.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tavlo::platform {

enum class HotKeyId { Snapshot, Stop, Pause, Chapter, Hide };

enum HotKeyModifier : std::uint16_t { kShift = 1, kControl = 4, kAlt = 8 };

struct HotKeySpec {
    HotKeyId id;
    std::uint32_t keysym; // X keysym, e.g. 0xFFFF for Delete
    std::uint16_t modifiers = 0;
    std::string name; // for the user, e.g. "Ctrl+Delete"
};

class HotKeys {
public:
    virtual ~HotKeys() = default;
    // Grabs every key; returns the ones another program already holds (they stay unregistered).
    virtual std::vector<HotKeySpec> registerKeys(const std::vector<HotKeySpec>& keys) = 0;
    virtual void unregisterAll() = 0;
    // Called from the hot-key thread when a registered key is pressed.
    virtual void setHandler(std::function<void(HotKeyId)> handler) = 0;
};

// The recorder's keys: Print Screen, Ctrl+Delete, Pause (or Alt+P), Alt+C, Ctrl+H.
std::vector<HotKeySpec> recorderHotKeys(bool alternatePause);

} // namespace tavlo::platform
