#pragma once
#include "platform/screen_source.h"

#include <memory>
#include <string>

namespace tavlo::platform::x11 {

// The X11 screen: grabs through MIT-SHM when the server offers it, monitors from RandR, the
// active window from the window manager's _NET_ACTIVE_WINDOW and _NET_FRAME_EXTENTS.
std::unique_ptr<ScreenSource> openScreen(std::string& error);

} // namespace tavlo::platform::x11
