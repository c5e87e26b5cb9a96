#pragma once
#include "app/command_line.h"

#include <string>
#include <vector>

namespace tavlo::gui {

// Starts Qt, reads the settings, installs the crash handler and runs the recorder window.
int runWindows(const std::vector<std::string>& args, const CommandLine& commandLine);

} // namespace tavlo::gui
