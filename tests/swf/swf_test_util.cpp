#include "tests/swf/swf_test_util.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

namespace tavlo::test {

std::vector<uint8_t> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string sourcePath(const std::string& relative) {
    return std::string(TAVLO_SOURCE_DIR) + "/" + relative;
}

int runCommand(const std::string& command, std::string* output) {
    std::FILE* p = popen(command.c_str(), "r");
    if (!p) return -1;
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) text.append(buffer, n);
    int status = pclose(p);
    if (output) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<uint8_t> rgbPixels(const std::string& picture) {
    const std::string raw = picture + ".rgb";
    EXPECT_EQ(
        runCommand("ffmpeg -loglevel error -y -i '" + picture + "' -f rawvideo -pix_fmt rgb24 '" + raw + "'"),
        0)
        << picture;
    return fileBytes(raw);
}

std::vector<uint8_t> ruffleShot(const std::string& swf, int width, int height, int waitMs,
                                const std::string& png) {
    using nlohmann::json;
    const json job = {{"swf", swf},
                      {"width", width},
                      {"height", height},
                      {"steps", json::array({{{"wait", waitMs}}, {{"screenshot", png}}})}};
    const std::string jobPath = png + ".json";
    std::ofstream(jobPath) << job.dump();
    std::string out;
    EXPECT_EQ(runCommand("node '" + sourcePath("tests/e2e/play.mjs") + "' '" + jobPath + "'", &out), 0)
        << out;
    const json result = json::parse(out, nullptr, false);
    EXPECT_FALSE(result.is_discarded()) << out;
    if (!result.is_discarded()) {
        EXPECT_TRUE(result["errors"].empty()) << result["errors"].dump();
    }
    std::vector<uint8_t> rgb = rgbPixels(png);
    EXPECT_EQ(rgb.size(), std::size_t(width) * height * 3) << png;
    return rgb;
}

std::string yaswfpProblems(const std::string& path) {
    std::string out;
    int rc = runCommand("/usr/bin/python3 '" + sourcePath("tests/e2e/check_swf.py") + "' '" + path + "' 2>&1",
                        &out);
    return rc == 0 ? "" : (out.empty() ? "yaswfp check could not run" : out);
}

swf::SwfFile parsedFile(const std::string& path) {
    swf::ReadResult r = swf::readSwf(fileBytes(path));
    EXPECT_TRUE(r.ok()) << path << ": " << r.error;
    return r.file;
}

} // namespace tavlo::test
