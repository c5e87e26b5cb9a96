#include "tests/support/temp_home.h"

#include "core/file_util.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace tavlo::test {

namespace {
const char* kVars[4] = {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DOCUMENTS_DIR"};
}

TempHome::TempHome() {
    std::string base = std::filesystem::temp_directory_path().string() + "/tavlo-test-XXXXXX";
    if (!mkdtemp(base.data())) throw std::runtime_error("mkdtemp failed");
    root_ = base;
    for (int i = 0; i < 4; ++i) {
        const char* v = std::getenv(kVars[i]);
        had_[i] = v != nullptr;
        if (v) saved_[i] = v;
    }
    setenv("HOME", root_.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root_ + "/.config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (root_ + "/.cache").c_str(), 1);
    unsetenv("XDG_DOCUMENTS_DIR");
}

TempHome::~TempHome() {
    for (int i = 0; i < 4; ++i) {
        if (had_[i])
            setenv(kVars[i], saved_[i].c_str(), 1);
        else
            unsetenv(kVars[i]);
    }
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

Environment TempHome::environment(const std::string& programFolder) const {
    Environment e;
    e.home = root_;
    e.xdgConfigHome = root_ + "/.config";
    e.xdgCacheHome = root_ + "/.cache";
    std::string folder = programFolder.empty() ? root_ + "/bin" : programFolder;
    std::filesystem::create_directories(folder);
    e.executablePath = folder + "/tavlo";
    return e;
}

void TempHome::writeFile(const std::string& relative, const std::string& bytes) const {
    std::filesystem::path p(path(relative));
    std::filesystem::create_directories(p.parent_path());
    if (!writeFileReplacing(p.string(), bytes)) throw std::runtime_error("cannot write " + p.string());
}

} // namespace tavlo::test
