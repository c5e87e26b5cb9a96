#pragma once
#include "platform/hot_keys.h"
#include "platform/input_events.h"

#include <memory>
#include <string>

namespace tavlo::platform::x11 {

// Clicks and keys from XInput 2.2 raw events, on a connection of their own.
std::unique_ptr<InputEvents> openInputEvents(std::string& error);
// Global keys through xcb_grab_key on the root window, for every combination of the lock keys.
std::unique_ptr<HotKeys> openHotKeys(std::string& error);

} // namespace tavlo::platform::x11
