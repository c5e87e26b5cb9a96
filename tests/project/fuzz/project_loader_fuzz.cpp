// libFuzzer target: any bytes as a project file must load or fail cleanly, and any bytes as a
// project section must read or be refused, without a crash, a leak or an unbounded allocation.
// With TAVLO_FUZZ_WRITE_SEED=DIR the fixture project is written into DIR first (scripts/fuzz).
#include "project/project_file.h"
#include "project/project_section.h"
#include "tests/project/project_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

class NoPrompts : public tavlo::UiPrompts {
public:
    void message(const std::string&, const std::string&, tavlo::Icon) override {}
    tavlo::Answer question(const std::string&, const std::string&, tavlo::Buttons, tavlo::Icon,
                           tavlo::Answer fallback) override {
        return fallback;
    }
    std::unique_ptr<tavlo::Progress> progress(const std::string&) override {
        return std::make_unique<tavlo::SilentProgress>();
    }
    std::optional<std::string> chooseFile(const tavlo::FileChoice&) override { return std::nullopt; }
};

std::string scratch;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::filesystem::path tmp = std::filesystem::temp_directory_path();
    scratch = (tmp / ("tavlo_fuzz_" + std::to_string(::getpid()) + ".tavlo")).string();
    std::atexit([] { std::remove(scratch.c_str()); });
    if (const char* dir = std::getenv("TAVLO_FUZZ_WRITE_SEED")) {
        const std::filesystem::path work = tmp / ("tavlo_fuzz_seed_" + std::to_string(::getpid()));
        std::filesystem::create_directories(work);
        for (int frames : {1, 4}) {
            tavlo::project::Project p;
            const std::string path =
                tavlo::test::savedRecording(work.string(), p, frames, frames > 1, 32, 24);
            if (!path.empty())
                std::filesystem::copy_file(path,
                                           std::filesystem::path(dir) / ("seed" + std::to_string(frames)),
                                           std::filesystem::copy_options::overwrite_existing);
        }
        std::filesystem::remove_all(work);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // A plain write: the file is scratch, it needs no flush to disk.
    std::FILE* f = std::fopen(scratch.c_str(), "wb");
    if (!f) return 0;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !written) return 0;
    NoPrompts ui;
    tavlo::project::Project p;
    tavlo::project::LoadOptions o;
    o.readOnly = true;
    tavlo::project::load(ui, scratch, p, o);
    // The same bytes as a section on their own, past the table that the file form needs.
    tavlo::project::Project q;
    q.frameWidth = 32;
    q.frameHeight = 24;
    int version = 0;
    tavlo::project::readProjectSection(bytes, q, version);
    return 0;
}
