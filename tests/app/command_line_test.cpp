#include "app/command_line.h"

#include <gtest/gtest.h>

namespace tavlo {
namespace {

TEST(CommandLine, SwitchesAsScriptsUseThem) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        bool recover, mode, pan, hidden, create, verify;
        std::string record, project;
    } cases[] = {
        {"nothing", {}, false, false, false, false, false, false, "", ""},
        {"recover first ignores the rest",
         {"-RECOVER", "/r:a.tavlo", "b.tavlo"},
         true,
         false,
         false,
         false,
         false,
         false,
         "",
         ""},
        {"recover later is a path", {"/p", "-recover"}, false, true, true, false, false, false, "", ""},
        {"record hidden and create",
         {"/r:/tmp/out.tavlo", "/h", "/c"},
         false,
         true,
         false,
         true,
         true,
         false,
         "/tmp/out.tavlo",
         ""},
        {"verify alone is no command-line mode", {"/v"}, false, false, false, false, false, true, "", ""},
        {"project path",
         {"/p", "/home/u/demo.TAVLO"},
         false,
         true,
         true,
         false,
         false,
         false,
         "",
         "/home/u/demo.TAVLO"},
        {"a .txt path is ignored and ends the list",
         {"notes.txt", "/h", "x.tavlo"},
         false,
         false,
         false,
         false,
         false,
         false,
         "",
         ""},
        {"a project path ends the list",
         {"a.tavlo", "/h"},
         false,
         false,
         false,
         false,
         false,
         false,
         "",
         "a.tavlo"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CommandLine cl = parseCommandLine(c.args);
        EXPECT_EQ(cl.recover, c.recover);
        EXPECT_EQ(cl.commandLineMode, c.mode);
        EXPECT_EQ(cl.pan, c.pan);
        EXPECT_EQ(cl.hidden, c.hidden);
        EXPECT_EQ(cl.createAfterSave, c.create);
        EXPECT_EQ(cl.verifyOutput, c.verify);
        EXPECT_EQ(cl.recordPath, c.record);
        EXPECT_EQ(cl.projectPath, c.project);
        EXPECT_TRUE(cl.errors.empty());
    }
}

TEST(CommandLine, ProjectFolderIsThePathsFolderOrTheCurrentOne) {
    EXPECT_EQ(parseCommandLine({"/home/u/demo.tavlo"}).projectFolder, "/home/u");
    EXPECT_EQ(parseCommandLine({"/demo.tavlo"}).projectFolder, "/");
    EXPECT_FALSE(parseCommandLine({"demo.tavlo"}).projectFolder.empty());
}

TEST(CommandLine, AreaSwitchPlacesTheCaptureFrame) {
    CommandLine cl = parseCommandLine({"/s:10,20,300,400"});
    ASSERT_TRUE(cl.area);
    EXPECT_TRUE(cl.commandLineMode);
    EXPECT_EQ(cl.area->left, 20);
    EXPECT_EQ(cl.area->top, 10);
    EXPECT_EQ(cl.area->width(), 380);
    EXPECT_EQ(cl.area->height(), 290);
}

TEST(CommandLine, BadAreasAreReportedNeverUsed) {
    for (const char* arg : {"/s:300,20,10,400", "/s:10,400,300,20", "/s:10,20,10,400", "/s:10,20,300",
                            "/s:a,b,c,d", "/s:10,20,300,400,5", "/s:10;20;300;400", "/s:"}) {
        SCOPED_TRACE(arg);
        CommandLine cl = parseCommandLine({arg});
        EXPECT_FALSE(cl.area);
        ASSERT_EQ(cl.errors.size(), 1u);
        EXPECT_NE(cl.errors[0].find("/s:"), std::string::npos);
    }
    EXPECT_EQ(parseCommandLine({"/r:"}).errors.size(), 1u);
}

} // namespace
} // namespace tavlo
