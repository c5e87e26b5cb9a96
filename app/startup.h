#pragma once
#include <string>
#include <vector>

namespace tavlo {

inline constexpr const char* kVersionText = "Tavlo 8.60.66";

// The whole program: subcommands, --version and --help, else the classic command line.
int runTavlo(const std::vector<std::string>& args);

} // namespace tavlo
