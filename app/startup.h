#pragma once
#include <string>
#include <vector>

namespace tavlo {

inline constexpr const char* kVersionText = "Tavlo 8.60.66";

struct CommandLine;

// The windows of the program, given the checked classic command line; supplied by the GUI.
using WindowsEntry = int (*)(const std::vector<std::string>& args, const CommandLine& commandLine);

// The whole program: subcommands, --version and --help, else the classic command line, whose
// windows `windows` opens.
int runTavlo(const std::vector<std::string>& args, WindowsEntry windows = nullptr);

} // namespace tavlo
