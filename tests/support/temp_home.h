#pragma once
// A throw-away home folder for a test: HOME and the XDG variables point into it while the object
// lives, so nothing touches the real user's files or depends on the working directory.
#include "platform/paths.h"

#include <string>

namespace tavlo::test {

class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::string& root() const { return root_; }
    std::string path(const std::string& relative) const { return root_ + "/" + relative; }
    // An environment for Paths inside this home, with the program file in `programFolder`.
    Environment environment(const std::string& programFolder = "") const;
    void writeFile(const std::string& relative, const std::string& bytes) const;

private:
    std::string root_;
    std::string saved_[4];
    bool had_[4];
};

} // namespace tavlo::test
