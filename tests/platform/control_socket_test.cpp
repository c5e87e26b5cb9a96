#include "platform/control_socket.h"
#include "platform/disk_space.h"

#include "tests/support/temp_home.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tavlo::platform {
namespace {

TEST(ControlSocket, CommandsReachTheRecorderOnlyThroughAPrivateSocket) {
    test::TempHome home;
    const std::string path = home.path("control");
    std::vector<std::string> got;
    ControlServer server;
    std::string error;
    ASSERT_TRUE(server.start(
        path,
        [&](const std::string& c) {
            got.push_back(c);
            return c == "stop" ? "stopped" : "ok";
        },
        error))
        << error;
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    std::string answer;
    ASSERT_TRUE(sendControlCommand(path, "pause", answer, error)) << error;
    EXPECT_EQ(answer, "ok");
    ASSERT_TRUE(sendControlCommand(path, "stop", answer, error));
    EXPECT_EQ(answer, "stopped");
    EXPECT_EQ(got, (std::vector<std::string>{"pause", "stop"}));

    // A second recorder may not take the socket over while the first one answers on it.
    ControlServer second;
    EXPECT_FALSE(second.start(
        path, [](const std::string&) { return ""; }, error));
    EXPECT_NE(error.find("Another Tavlo"), std::string::npos);

    server.stop();
    EXPECT_FALSE(sendControlCommand(path, "stop", answer, error));
    EXPECT_NE(error.find("No Tavlo recording is running"), std::string::npos);
}

TEST(ControlSocket, ASocketLeftByAnEndedProgramIsReplaced) {
    test::TempHome home;
    const std::string path = home.path("control");
    home.writeFile("control", ""); // stands where a dead program's socket was
    ControlServer server;
    std::string error, answer;
    ASSERT_TRUE(server.start(
        path, [](const std::string&) { return "ok"; }, error))
        << error;
    EXPECT_TRUE(sendControlCommand(path, "resume", answer, error));
}

TEST(DiskSpace, KnownForAFolderUnknownForNothing) {
    test::TempHome home;
    EXPECT_GT(freeDiskBytes(home.root()), 0);
    EXPECT_EQ(freeDiskBytes(home.path("missing/folder")), -1);
}

} // namespace
} // namespace tavlo::platform
