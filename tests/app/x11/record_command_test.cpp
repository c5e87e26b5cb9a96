// `tavlo record` and `tavlo control` as a user runs them, on a private X server driven by xdotool.
#include "project/project_file.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/temp_home.h"
#include "tests/support/xvfb.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <set>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tavlo {
namespace {

struct Session {
    test::TempHome home;
    test::XvfbDisplay display{800, 600};
    Session() {
        std::string run = home.path("run");
        mkdir(run.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    }
    int tavlo(const std::string& args) const { return display.run(std::string(TAVLO_BINARY) + " " + args); }
    // The exit status of a started program, which must end within `seconds`; -1 when it did not
    // (it is then killed, so a hang fails the test instead of stalling the run).
    static int waitFor(pid_t pid, int seconds = 60) {
        int status = 0;
        for (int i = 0; i < seconds * 20; ++i) {
            if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    project::Project load(const std::string& path) {
        test::RecordingPrompts ui;
        project::Project p;
        project::LoadOptions o;
        o.readOnly = true;
        EXPECT_TRUE(project::load(ui, path, p, o));
        return p;
    }
};

TEST(RecordCommand, RecordsPointerMovesAndAClickForTheGivenTime) {
    Session s;
    ASSERT_TRUE(s.display.ok());
    const std::string out = s.home.path("moves.tavlo");
    std::thread user([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        for (int i = 0; i < 8; ++i) {
            s.display.run("xdotool mousemove " + std::to_string(100 + i * 50) + " " +
                          std::to_string(100 + i * 30));
            std::this_thread::sleep_for(std::chrono::milliseconds(150)); // several pointer samples apart
        }
        s.display.run("xdotool click 1"); // at (450, 310)
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        s.display.run("xdotool key a");
        s.display.run("xsetroot -solid '#204080'");
    });
    EXPECT_EQ(s.tavlo("record -o " + out + " --seconds 3.5 --rate 10"), 0);
    user.join();
    project::Project p = s.load(out);
    EXPECT_EQ(p.frameWidth, 800);
    EXPECT_EQ(p.frameHeight, 600);
    EXPECT_GT(p.frameCount(), 5);
    int clicks = 0, pointers = 0, total = 0, keys = 0;
    std::set<std::pair<int, int>> positions; // where the pointer's hot spot was, per frame
    for (const auto& f : p.frames()) {
        keys += f->frame.keyPress;
        total += f->frame.recordedTime;
        if (!f->frame.pointerHandle) continue;
        ++pointers;
        int hx = 0, hy = 0;
        for (const auto& shape : p.pointerShapes.shapes)
            if (shape.handle == f->frame.pointerHandle) hx = shape.hotX, hy = shape.hotY;
        const std::pair<int, int> at{f->frame.pointerX + hx, f->frame.pointerY + hy};
        positions.insert(at);
        if (f->frame.clickDown) {
            ++clicks;
            EXPECT_EQ(at, (std::pair<int, int>{450, 310}))
                << "the click is on the frame where xdotool clicked";
        }
    }
    EXPECT_EQ(clicks, 1);
    EXPECT_GT(pointers, 3);
    EXPECT_GE(keys, 1);
    // Every place xdotool moved to is a recorded position.
    for (int i = 0; i < 8; ++i) EXPECT_TRUE(positions.count({100 + i * 50, 100 + i * 30})) << "move " << i;
    EXPECT_NEAR(total, 350, 40);

    // The last frame as a PNG, read back by an outside decoder: the new root colour fills it.
    const std::string png = s.home.path("last.png");
    ASSERT_EQ(s.tavlo("frame " + out + " " + std::to_string(p.frameCount()) + " -o " + png), 0);
    const std::string probe = s.home.path("probe.txt");
    ASSERT_EQ(std::system(("ffmpeg -loglevel error -i " + png +
                           " -vf crop=1:1:700:500 -f rawvideo -pix_fmt rgb24 - | od -An -tx1 > " + probe)
                              .c_str()),
              0);
    FILE* f = fopen(probe.c_str(), "r");
    ASSERT_NE(f, nullptr);
    char line[64] = {};
    ASSERT_NE(fgets(line, sizeof line, f), nullptr);
    fclose(f);
    EXPECT_EQ(std::string(line), " 20 40 80\n");
    EXPECT_NE(s.tavlo("frame " + out + " 9999 -o " + png + " 2>/dev/null"), 0);
}

TEST(RecordCommand, ControlStopsARecordingOfAnArea) {
    Session s;
    ASSERT_TRUE(s.display.ok());
    const std::string out = s.home.path("area.tavlo");
    pid_t pid = fork();
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c",
              (std::string(TAVLO_BINARY) + " record -o " + out + " --area 50,40,300,200").c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int answered = -1;
    for (int i = 0; i < 50 && answered != 0; ++i) { // until the recorder listens
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        answered = s.tavlo("control pause 2>/dev/null");
    }
    EXPECT_EQ(answered, 0);
    EXPECT_EQ(s.tavlo("control resume"), 0);
    EXPECT_EQ(s.tavlo("control stop"), 0);
    EXPECT_EQ(Session::waitFor(pid), 0);
    project::Project p = s.load(out);
    EXPECT_EQ(p.frameWidth, 300);
    EXPECT_EQ(p.frameHeight, 200);
    EXPECT_NE(s.tavlo("control stop 2>/dev/null"), 0); // nothing runs any more
}

TEST(RecordCommand, ClassicSwitchesRecordHiddenIntoAFileAndClose) {
    Session s;
    ASSERT_TRUE(s.display.ok());
    const std::string out = s.home.path("classic.tavlo");
    pid_t pid = fork();
    if (pid == 0) {
        execl(TAVLO_BINARY, TAVLO_BINARY, ("/r:" + out).c_str(), "/h", "/s:100,50,300,450",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int answered = -1;
    for (int i = 0; i < 80 && answered != 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        answered = s.tavlo("control save 2>/dev/null");
    }
    EXPECT_EQ(answered, 0);
    EXPECT_EQ(Session::waitFor(pid), 0); // "/r:" closes the program once saved
    project::Project p = s.load(out);
    EXPECT_EQ(p.frameWidth, 400 - 6); // the area lies 3 pixels inside the frame at left 50, top 100
    EXPECT_EQ(p.frameHeight, 200 - 6);
}

TEST(RecordCommand, ClassicCreateSwitchMakesTheMovieBesideTheRecording) {
    Session s;
    ASSERT_TRUE(s.display.ok());
    const std::string out = s.home.path("with_movie.tavlo");
    pid_t pid = fork();
    if (pid == 0) {
        execl(TAVLO_BINARY, TAVLO_BINARY, ("/r:" + out).c_str(), "/h", "/c", "/s:100,50,300,450",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    // The stop goes out as soon as the program answers, likely before its recording has started:
    // it still ends that recording.
    int answered = -1;
    for (int i = 0; i < 800 && answered != 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        answered = s.tavlo("control stop 2>/dev/null");
    }
    EXPECT_EQ(answered, 0);
    EXPECT_EQ(Session::waitFor(pid), 0);
    FILE* f = fopen(s.home.path("with_movie.swf").c_str(), "rb");
    ASSERT_NE(f, nullptr) << "no movie beside the recording";
    char sig[3] = {};
    EXPECT_EQ(fread(sig, 1, 3, f), 3u);
    fclose(f);
    EXPECT_TRUE(std::string(sig, 3) == "CWS" || std::string(sig, 3) == "FWS");
}

TEST(RecordCommand, BadArgumentsAreRefusedWithAMessage) {
    Session s;
    EXPECT_EQ(s.tavlo("record 2>/dev/null"), 2);
    EXPECT_EQ(s.tavlo("record -o x.tavlo --area 1,2,0,4 2>/dev/null"), 2);
    EXPECT_EQ(s.tavlo("record -o x.tavlo --monitor 3 2>/dev/null"), 1);
    EXPECT_EQ(s.tavlo("control jump 2>/dev/null"), 2);
    EXPECT_EQ(s.tavlo("record -o /no/such/folder/x.tavlo --seconds 1 2>/dev/null"),
              2); // refused before recording
}

TEST(RecordCommand, ARecordingWhoseFileCannotBeWrittenIsSavedInTheProjectsFolder) {
    Session s;
    ASSERT_TRUE(s.display.ok());
    const std::string folder = s.home.path("out");
    mkdir(folder.c_str(), 0755);
    // The folder goes away while recording, as a removed USB stick would.
    std::thread remover([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        rmdir(folder.c_str());
    });
    EXPECT_EQ(s.tavlo("record -o " + folder + "/lost.tavlo --seconds 2 2>/dev/null"), 0);
    remover.join();
    const std::string rescued = s.home.path("Documents/Tavlo/Projects/recording.tavlo");
    project::Project p = s.load(rescued);
    EXPECT_GT(p.frameCount(), 0);
}

} // namespace
} // namespace tavlo
