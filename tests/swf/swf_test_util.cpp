#include "tests/swf/swf_test_util.h"

#include <gtest/gtest.h>

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
