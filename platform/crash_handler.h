#pragma once
// Our crash reporter: on a fatal signal it writes a report folder (the signal, a backtrace, and
// copies of "Tavlo.ini" and "config.txt") under the user folder and tells the user where it is.
#include <string>

namespace tavlo {

struct CrashReportSetup {
    std::string reportsFolder;          // where "crash-..." folders go (the user folder)
    std::string settingsFolder;         // where "Tavlo.ini" and "config.txt" are taken from
    std::string fallbackSettingsFolder; // used when a file is missing in settingsFolder
};

// Installs the handler once per process; later calls only update the folders.
void installCrashHandler(const CrashReportSetup& setup);

} // namespace tavlo
