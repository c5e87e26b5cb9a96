// The recorder window as a user drives it: the Pause key starts a recording, Ctrl+Delete stops
// it, Enter keeps it in the finish dialog, the save dialog takes a name, Escape closes.
#include "project/project_file.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/temp_home.h"
#include "tests/support/xvfb.h"

#include <chrono>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tavlo {
namespace {

bool waitFor(const std::function<bool()>& condition, int ms = 8000) {
    for (int waited = 0; waited < ms; waited += 100) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

TEST(RecorderWindow, PauseKeyRecordsCtrlDeleteStopsAndTheRecordingIsKept) {
    test::TempHome home;
    test::XvfbDisplay display(1024, 700);
    ASSERT_TRUE(display.ok());
    mkdir(home.path("run").c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", home.path("run").c_str(), 1);
    pid_t pid = fork();
    if (pid == 0) {
        execl(TAVLO_BINARY, TAVLO_BINARY, static_cast<char*>(nullptr));
        _exit(127);
    }
    auto windowShown = [&](const char* name) {
        return display.run(std::string("xdotool search --onlyvisible --name '") + name +
                           "' >/dev/null 2>&1") == 0;
    };
    ASSERT_TRUE(waitFor([&] { return windowShown("Tavlo Studio"); })) << "the recorder window did not appear";
    // A picture of the window as the user sees it, kept with the test results.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    mkdir(TAVLO_ARTIFACTS, 0755);
    EXPECT_EQ(display.run("ffmpeg -loglevel error -y -f x11grab -video_size 1024x700 -i " +
                          display.display() + " -frames:v 1 " TAVLO_ARTIFACTS "/recorder_window.png"),
              0);

    display.run("xdotool key Pause"); // code 19 while idle: start
    ASSERT_TRUE(waitFor([&] { return !windowShown("Tavlo Studio"); }))
        << "the window did not hide for recording";
    for (int i = 0; i < 6; ++i) {
        display.run("xdotool mousemove " + std::to_string(100 + 80 * i) + " " + std::to_string(100 + 40 * i));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    display.run("xdotool key ctrl+Delete");
    ASSERT_TRUE(waitFor([&] { return windowShown("已暂停"); })) << "no finish dialog";
    // Without a window manager nobody moves the keyboard focus: give it to the dialog, then type.
    display.run("xdotool search --onlyvisible --name '已暂停' windowfocus %1 key Return"); // "停止并保存"
    ASSERT_TRUE(waitFor([&] { return windowShown("保存 Tavlo 影片为"); })) << "no save dialog";
    // The dialog opens in the projects folder; a bare name gets the extension added.
    const std::string out = home.path("Documents/Tavlo/Projects/kept.tavlo");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    display.run("xdotool search --onlyvisible --name '保存 Tavlo 影片为' windowfocus %1 type kept");
    // Enter once the dialog has taken the name (its completer may still be busy with the text).
    bool saved = false;
    for (int attempt = 0; attempt < 5 && !saved; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        display.run(
            "xdotool search --onlyvisible --name '保存 Tavlo 影片为' windowfocus %1 key Return 2>/dev/null");
        saved = waitFor([&] { return access(out.c_str(), F_OK) == 0; }, 1500);
    }
    ASSERT_TRUE(saved) << "nothing saved";
    ASSERT_TRUE(waitFor([&] { return windowShown("Tavlo Studio"); })) << "the window did not come back";

    test::RecordingPrompts ui;
    project::Project p;
    project::LoadOptions o;
    o.readOnly = true;
    EXPECT_TRUE(waitFor([&] { return project::load(ui, out, p, o); }));
    EXPECT_EQ(p.frameWidth, 1024);
    EXPECT_GT(p.frameCount(), 3);

    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
}

} // namespace
} // namespace tavlo
