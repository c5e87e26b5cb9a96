#pragma once
#include <string>

namespace tavlo {

// Replaces the running process with a fresh start of `program` (default: the running program
// file), without arguments and without the closing steps of a normal exit. Returns false only
// when the program cannot be started; the caller then closes normally.
bool restartProgram(const std::string& program = "");

} // namespace tavlo
