// Crash reports and restarts end or replace the process, so each runs in a child.
#include "platform/crash_handler.h"
#include "platform/restart.h"

#include "core/file_util.h"
#include "tests/support/temp_home.h"

#include <csignal>
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tavlo {
namespace {

template <typename F> int inChild(F body) {
    pid_t pid = fork();
    if (pid == 0) {
        body();
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

std::vector<std::string> entries(const std::string& folder, const std::string& prefix) {
    std::vector<std::string> out;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d))
            if (std::string(e->d_name).rfind(prefix, 0) == 0) out.push_back(e->d_name);
        closedir(d);
    }
    return out;
}

TEST(CrashHandler, FatalSignalWritesAReportWithTheSettingsFiles) {
    test::TempHome home;
    home.writeFile("user/Tavlo.ini", "866\n");
    home.writeFile("install/config.txt", "Professional_v8.60.66\r\n");
    int status = inChild([&] {
        installCrashHandler({home.path("user"), home.path("user"), home.path("install")});
        raise(SIGSEGV);
    });
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);

    auto reports = entries(home.path("user"), "crash-");
    ASSERT_EQ(reports.size(), 1u);
    std::string folder = home.path("user/" + reports[0]);
    auto trace = readWholeFile(folder + "/backtrace.txt");
    ASSERT_TRUE(trace);
    EXPECT_NE(trace->find("fatal signal: SIGSEGV"), std::string::npos);
    EXPECT_EQ(readWholeFile(folder + "/Tavlo.ini").value_or(""), "866\n");
    EXPECT_EQ(readWholeFile(folder + "/config.txt").value_or(""), "Professional_v8.60.66\r\n");
}

TEST(Restart, ReplacesTheProcessOrReportsThatItCannot) {
    int status = inChild([] {
        restartProgram("/bin/false"); // becomes /bin/false, which exits 1
        _exit(7);
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);

    EXPECT_FALSE(restartProgram("/nonexistent/tavlo"));
}

} // namespace
} // namespace tavlo
