#pragma once
#include "platform/pointer_source.h"

#include <memory>
#include <string>

namespace tavlo::platform::x11 {

// The pointer through xcb_query_pointer (position) and XFixes (shape). The XFixes cursor serial
// is the handle: it changes whenever the displayed shape changes.
std::unique_ptr<PointerSource> openPointer(std::string& error);

} // namespace tavlo::platform::x11
