#include "platform/paths.h"

#include "core/file_util.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#ifndef TAVLO_INSTALL_SHARE
#define TAVLO_INSTALL_SHARE "/usr/local/share/tavlo"
#endif

namespace tavlo {

namespace {
std::string envOr(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string parentFolder(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// XDG_DOCUMENTS_DIR from user-dirs.dirs: a line XDG_DOCUMENTS_DIR="$HOME/Documents".
std::string documentsFromUserDirs(const std::string& configHome, const std::string& home) {
    auto text = readWholeFile(joinPath(configHome, "user-dirs.dirs"));
    if (!text) return "";
    const std::string key = "XDG_DOCUMENTS_DIR=";
    std::size_t pos = 0;
    while (pos < text->size()) {
        std::size_t end = text->find('\n', pos);
        if (end == std::string::npos) end = text->size();
        std::string line = text->substr(pos, end - pos);
        pos = end + 1;
        if (line.rfind(key, 0) != 0) continue;
        std::string v = line.substr(key.size());
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
        if (v.rfind("$HOME", 0) == 0) v = home + v.substr(5);
        if (!v.empty() && v[0] == '/') return v;
    }
    return "";
}
} // namespace

Environment Environment::fromProcess() {
    Environment e;
    e.home = envOr("HOME");
    if (e.home.empty()) {
        if (const passwd* pw = getpwuid(getuid())) e.home = pw->pw_dir;
    }
    e.xdgConfigHome = envOr("XDG_CONFIG_HOME");
    e.xdgCacheHome = envOr("XDG_CACHE_HOME");
    e.xdgDocumentsDir = envOr("XDG_DOCUMENTS_DIR");
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n > 0) e.executablePath.assign(buf, static_cast<std::size_t>(n));
    return e;
}

bool makeFolders(const std::string& path) {
    if (path.empty()) return false;
    if (isDirectory(path)) return true;
    std::string parent = parentFolder(path);
    if (parent != path && !isDirectory(parent)) makeFolders(parent);
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return false;
    return isDirectory(path);
}

Paths::Paths(Environment env) : env_(std::move(env)) {}

std::string Paths::programFolder() const {
    return parentFolder(env_.executablePath);
}

std::string Paths::installLocation() const {
    std::string folder = programFolder();
    if (fileExists(joinPath(folder, "tavlo"))) return folder;
    std::string share = joinPath(parentFolder(folder), "share/tavlo");
    if (isDirectory(share)) return share;
    if (isDirectory(TAVLO_INSTALL_SHARE)) return TAVLO_INSTALL_SHARE;
    return folder;
}

std::string Paths::userFolder() const {
    std::string configHome = env_.xdgConfigHome.empty() ? joinPath(env_.home, ".config") : env_.xdgConfigHome;
    std::string docs = env_.xdgDocumentsDir;
    if (docs.empty()) docs = documentsFromUserDirs(configHome, env_.home);
    if (docs.empty()) docs = joinPath(env_.home, "Documents");
    std::string folder = joinPath(docs, "Tavlo");
    if (makeFolders(folder) && ::access(folder.c_str(), R_OK | W_OK | X_OK) == 0) return folder;
    return installLocation();
}

std::string Paths::defaultProjectsFolder() const {
    std::string folder = joinPath(userFolder(), "Projects");
    makeFolders(folder);
    return folder;
}

std::string Paths::systemTempPath() const {
    std::string cache = env_.xdgCacheHome.empty() ? joinPath(env_.home, ".cache") : env_.xdgCacheHome;
    std::string folder = joinPath(cache, "tavlo");
    if (makeFolders(folder)) return folder;
    return "/tmp";
}

std::string Paths::findSettingsFile(const std::string& name) const {
    std::string user = joinPath(userFolder(), name);
    if (fileExists(user)) return user;
    std::string install = joinPath(installLocation(), name);
    if (fileExists(install)) return install;
    return "";
}

std::string Paths::mp3TempFolder(const std::string& outputName) {
    std::string first = joinPath(systemTempPath(), outputName + "_temp");
    if (makeFolders(first)) return first + "/";
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd)) {
        std::string second = joinPath(cwd, "_mp3_temp");
        if (makeFolders(second)) return second + "/";
    }
    if (!mp3MessageGiven_) {
        mp3Message_ = "Unable to create temporary MP3 directory.\n    ";
        mp3MessageGiven_ = true;
    }
    return systemTempPath() + "/";
}

std::string Paths::takeMp3FolderMessage() {
    return std::exchange(mp3Message_, std::string());
}

int clearMp3TempFolder(const std::string& folder) {
    DIR* d = ::opendir(folder.c_str());
    if (!d) return 0;
    int removed = 0;
    while (dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        std::string ext = name.size() > 4 ? name.substr(name.size() - 4) : "";
        for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (ext == ".mp3") {
            std::string full = joinPath(folder, name);
            if (fileExists(full) && ::unlink(full.c_str()) == 0) ++removed;
        }
    }
    ::closedir(d);
    return removed;
}

} // namespace tavlo
