#include "app/subcommands.h"
#include "tests/project/project_fixture.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace tavlo;

namespace {

int runInfo(std::vector<std::string> args, std::string& out, std::string& err) {
    const Subcommand* info = findSubcommand("info");
    if (!info) return -1;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int rc = info->run(args);
    out = testing::internal::GetCapturedStdout();
    err = testing::internal::GetCapturedStderr();
    return rc;
}

std::string sectionCut(const std::string& path) {
    std::string b = readWholeFile(path).value_or("");
    std::size_t i = 1;
    auto entry = [&](std::size_t k) {
        std::uint64_t v = 0;
        for (int x = 7; x >= 0; --x) v = (v << 8) | std::uint8_t(b[k * 8 + std::size_t(x)]);
        return v;
    };
    while (entry(i) != 0) ++i;
    b.resize(std::size_t(entry(i + 1)));
    for (int k = 0; k < 8; ++k) b[(i + 1) * 8 + std::size_t(k)] = k < 4 ? char(0xFF) : 0;
    return b;
}

} // namespace

TEST(InfoCommand, SummarisesTheFixtureAndItsFrames) {
    test::TempHome home;
    project::Project p;
    const std::string path = test::savedRecording(home.root(), p, 4, true, 64, 48);
    ASSERT_FALSE(path.empty());
    std::string out, err;
    ASSERT_EQ(runInfo({path, "--frames"}, out, err), 0) << err;
    const auto j = nlohmann::json::parse(out);
    EXPECT_EQ(j["version"], 866);
    EXPECT_EQ(j["frameWidth"], 64);
    EXPECT_EQ(j["frameHeight"], 48);
    EXPECT_EQ(j["frameCount"], 4);
    EXPECT_EQ(j["compressed"], false);
    EXPECT_EQ(j["damaged"], false);
    ASSERT_EQ(j["frames"].size(), 4u);
    const auto& f1 = j["frames"][0];
    EXPECT_EQ(f1["number"], 1);
    EXPECT_EQ(f1["bubblePlainText"], "Hello, \u4e16\u754c");
    EXPECT_EQ(f1["chapterTitle"], "Chapter one");
    EXPECT_EQ(f1["soundFile"], "/tmp/sounds/voice one.wav");
    EXPECT_EQ(f1["hotspotOn"], true);
    EXPECT_EQ(f1["keyImage"], true);
    EXPECT_EQ(f1["pointerX"], -99999);
    const auto& f2 = j["frames"][1];
    EXPECT_EQ(f2["deleted"], true);
    EXPECT_EQ(f2["clickDown"], true);
    EXPECT_EQ(f2["keyPress"], true);
    EXPECT_EQ(f2["clickUp"], false);
    EXPECT_TRUE(f2["bubblePlainText"].is_null());
    for (const char* key : {"displayTime", "recordedTime"}) EXPECT_TRUE(f2[key].is_number()) << key;

    ASSERT_EQ(runInfo({path}, out, err), 0);
    EXPECT_FALSE(nlohmann::json::parse(out).contains("frames"));
}

TEST(InfoCommand, ReportsDamageAndRefusals) {
    test::TempHome home;
    project::Project p;
    const std::string path = test::savedRecording(home.root(), p, 3, false, 40, 30);
    ASSERT_FALSE(path.empty());
    const std::string damaged = home.path("damaged.tavlo");
    writeFileReplacing(damaged, sectionCut(path));
    std::string out, err;
    ASSERT_EQ(runInfo({damaged, "--frames"}, out, err), 0) << err;
    const auto j = nlohmann::json::parse(out);
    EXPECT_EQ(j["damaged"], true);
    EXPECT_EQ(j["corrupted"], true);
    EXPECT_EQ(j["frameCount"], 3);
    EXPECT_EQ(j["frameWidth"], 40);
    EXPECT_EQ(j["frames"][2]["displayTime"], 10);
    EXPECT_FALSE(j["problem"].get<std::string>().empty());

    writeFileReplacing(home.path("junk.tavlo"), std::string(40, '\x07'));
    EXPECT_EQ(runInfo({home.path("junk.tavlo")}, out, err), 1);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
    EXPECT_EQ(err.rfind("tavlo info: ", 0), 0u);

    EXPECT_EQ(runInfo({}, out, err), 2);
    EXPECT_EQ(runInfo({"--help"}, out, err), 0);
    EXPECT_NE(out.find("--frames"), std::string::npos);
}
