#include "platform/paths.h"

#include "core/file_util.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

namespace tavlo {
namespace {

TEST(Paths, FoldersLiveUnderTheUsersHomeAndAreCreated) {
    test::TempHome home;
    Paths p(home.environment());
    EXPECT_EQ(p.userFolder(), home.path("Documents/Tavlo"));
    EXPECT_TRUE(isDirectory(home.path("Documents/Tavlo")));
    EXPECT_EQ(p.defaultProjectsFolder(), home.path("Documents/Tavlo/Projects"));
    EXPECT_TRUE(isDirectory(home.path("Documents/Tavlo/Projects")));
    // Capture files must survive a reboot for recovery: not /tmp.
    EXPECT_EQ(p.systemTempPath(), home.path(".cache/tavlo"));
    EXPECT_TRUE(isDirectory(home.path(".cache/tavlo")));
}

TEST(Paths, DocumentsFolderFollowsTheXdgUserDirs) {
    test::TempHome home;
    home.writeFile(".config/user-dirs.dirs", "# comment\nXDG_DESKTOP_DIR=\"$HOME/Desk\"\n"
                                             "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
    EXPECT_EQ(Paths(home.environment()).userFolder(), home.path("Dokumente/Tavlo"));

    Environment e = home.environment();
    e.xdgDocumentsDir = home.path("Explicit");
    EXPECT_EQ(Paths(e).userFolder(), home.path("Explicit/Tavlo"));
}

TEST(Paths, UnusableDocumentsFolderFallsBackToTheInstallLocation) {
    test::TempHome home;
    home.writeFile("Documents", "a file, not a folder");
    home.writeFile("bin/tavlo", "");
    Paths p(home.environment());
    EXPECT_EQ(p.installLocation(), home.path("bin"));
    EXPECT_EQ(p.userFolder(), home.path("bin"));
}

TEST(Paths, InstallLocationIsTheProgramFolderElseTheSharedFolder) {
    test::TempHome home;
    home.writeFile("prefix/share/tavlo/x", "");
    Paths installed(home.environment(home.path("prefix/bin")));
    EXPECT_EQ(installed.programFolder(), home.path("prefix/bin"));
    EXPECT_EQ(installed.installLocation(), home.path("prefix/share/tavlo"));
    home.writeFile("prefix/bin/tavlo", "");
    EXPECT_EQ(installed.installLocation(), home.path("prefix/bin"));
}

TEST(Paths, SettingsFilesAreFoundInTheUserFolderFirst) {
    test::TempHome home;
    home.writeFile("bin/tavlo", "");
    Paths p(home.environment());
    EXPECT_EQ(p.findSettingsFile("config.txt"), "");
    home.writeFile("bin/config.txt", "install");
    EXPECT_EQ(p.findSettingsFile("config.txt"), home.path("bin/config.txt"));
    home.writeFile("Documents/Tavlo/config.txt", "user");
    EXPECT_EQ(p.findSettingsFile("config.txt"), home.path("Documents/Tavlo/config.txt"));
}

TEST(Paths, Mp3TempFolderIsMadeAndClearedOfMp3FilesOnly) {
    test::TempHome home;
    Paths p(home.environment());
    std::string folder = p.mp3TempFolder("lesson");
    EXPECT_EQ(folder, home.path(".cache/tavlo/lesson_temp/"));
    EXPECT_TRUE(isDirectory(folder));
    home.writeFile(".cache/tavlo/lesson_temp/a.mp3", "x");
    home.writeFile(".cache/tavlo/lesson_temp/B.MP3", "x");
    home.writeFile(".cache/tavlo/lesson_temp/keep.wav", "x");
    EXPECT_EQ(clearMp3TempFolder(folder), 2);
    EXPECT_TRUE(fileExists(folder + "keep.wav"));
    EXPECT_FALSE(fileExists(folder + "a.mp3"));
    EXPECT_EQ(p.takeMp3FolderMessage(), "");
}

} // namespace
} // namespace tavlo
