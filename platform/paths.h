#pragma once
// Where Tavlo keeps things: the install location, the user folder (documents + "/Tavlo"), the
// projects folder, the folder for capture files and the MP3 temporary folder.
#include <string>

namespace tavlo {

// The parts of the process environment that decide the folders; tests build one by hand.
struct Environment {
    std::string home;
    std::string xdgConfigHome;   // "" = home + "/.config"
    std::string xdgCacheHome;    // "" = home + "/.cache"
    std::string xdgDocumentsDir; // "" = from user-dirs.dirs, else home + "/Documents"
    std::string executablePath;  // the running program file
    static Environment fromProcess();
};

class Paths {
public:
    explicit Paths(Environment env);

    const Environment& environment() const { return env_; }
    // Folder of the running program file, without a trailing "/".
    std::string programFolder() const;
    // The program folder when it holds the "tavlo" program, else the installed share folder.
    std::string installLocation() const;
    // Documents + "/Tavlo", created when missing; the install location when it cannot be made.
    std::string userFolder() const;
    // User folder + "/Projects", created.
    std::string defaultProjectsFolder() const;
    // Default folder of capture files: $XDG_CACHE_HOME/tavlo, created. It survives a reboot so that
    // an interrupted recording can still be recovered.
    std::string systemTempPath() const;
    // A settings file in the user folder, else in the install location, else "" when neither has it.
    std::string findSettingsFile(const std::string& name) const;

    // Creates and returns systemTempPath() + "/" + outputName + "_temp/", else the current folder +
    // "/_mp3_temp/"; when neither can be made, remembers the failure message once and returns the
    // system temporary path.
    std::string mp3TempFolder(const std::string& outputName);
    // The message kept by a failed mp3TempFolder, cleared by reading it.
    std::string takeMp3FolderMessage();

private:
    Environment env_;
    std::string mp3Message_;
    bool mp3MessageGiven_ = false;
};

// Deletes every "*.mp3" file in the folder; returns how many were removed.
int clearMp3TempFolder(const std::string& folder);
// mkdir -p; true when the folder exists afterwards.
bool makeFolders(const std::string& path);

} // namespace tavlo
