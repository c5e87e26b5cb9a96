// `tavlo publish PROJECT [-o OUT.swf]`: builds the project's Flash movie without a display, with
// progress on the terminal. Prints a JSON summary; a build that stops early ends non-zero with its
// message.
#include "app/subcommands.h"
#include "core/app_config.h"
#include "core/cli_prompts.h"
#include "movie/publish_file.h"
#include "platform/paths.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace tavlo {

namespace {

const char* kPublishUsage =
    "Usage: tavlo publish PROJECT.tavlo [-o OUT.swf] [--no-compress] [--quality Q] [--colours N]\n"
    "                     [--frame-rate FPS] [--size WxH] [--start-button] [--from N]\n"
    "                     [--no-pointer] [--no-shadow] [--halo] [--no-click-flash]\n"
    "                     [--fade-in] [--zoom-in] [--fade-out] [--zoom-out]\n"
    "Builds the Flash movie of the project (OUT.swf, its information text beside it) with the\n"
    "options stored in the project; the switches change them for this build.\n"
    "Without -o the movie goes beside the project, named after it. --from starts at frame N.\n"
    "--colours 0 is true colour; --size resizes the movie; --start-button holds it behind\n"
    "a play button. The pointer shows with its shadow unless switched off; --halo lights it up.\n"
    "--fade-in/--zoom-in open the movie from the background, --fade-out/--zoom-out close it.\n";

// Switches that set one option of the movie.
struct OptionSwitch {
    const char* name;
    bool movie::MovieOptions::*option;
    bool value;
};
constexpr OptionSwitch kSwitches[] = {
    {"--no-compress", &movie::MovieOptions::compress, false},
    {"--start-button", &movie::MovieOptions::startButton, true},
    {"--no-pointer", &movie::MovieOptions::showPointer, false},
    {"--no-shadow", &movie::MovieOptions::pointerShadow, false},
    {"--halo", &movie::MovieOptions::pointerHalo, true},
    {"--no-click-flash", &movie::MovieOptions::clickFlash, false},
    {"--fade-in", &movie::MovieOptions::fadeInAtStart, true},
    {"--zoom-in", &movie::MovieOptions::zoomInAtStart, true},
    {"--fade-out", &movie::MovieOptions::fadeOutAtEnd, true},
    {"--zoom-out", &movie::MovieOptions::zoomOutAtEnd, true},
};

const OptionSwitch* findSwitch(const std::string& a) {
    for (const OptionSwitch& s : kSwitches)
        if (a == s.name) return &s;
    return nullptr;
}

int failPublish(const std::string& text, int code = 1) {
    std::fprintf(stderr, "tavlo publish: %s\n", text.c_str());
    return code;
}

bool number(const std::string& s, int lo, int hi, int& out) {
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end || v < lo || v > hi) return false;
    out = int(v);
    return true;
}

// "1280x720" → 1280, 720.
bool size(const std::string& s, int& w, int& h) {
    const std::size_t x = s.find('x');
    return x != std::string::npos && number(s.substr(0, x), 16, 8000, w) &&
           number(s.substr(x + 1), 16, 8000, h);
}

int runPublish(const std::vector<std::string>& args) {
    std::string path, out;
    std::vector<movie::OptionEdits> edits; // the switches, applied over the project's options
    int from = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        int v = 0, w = 0, h = 0;
        if (a == "--help" || a == "-h") {
            std::printf("%s", kPublishUsage);
            return 0;
        } else if (a == "-o") {
            if (!hasValue) return failPublish("-o needs a file name", 2);
            out = args[++i];
        } else if (const OptionSwitch* sw = findSwitch(a)) {
            edits.push_back([sw](movie::MovieOptions& o) { o.*(sw->option) = sw->value; });
        } else if (a == "--quality") {
            if (!hasValue || !number(args[++i], 0, 100, v)) return failPublish("--quality takes 0 to 100", 2);
            edits.push_back([v](movie::MovieOptions& o) { o.jpegQuality = v; });
        } else if (a == "--colours") {
            if (!hasValue || !number(args[++i], 0, 32768, v) || (v > 0 && v < 16))
                return failPublish("--colours takes 0 (true colour) or 16 to 32768", 2);
            edits.push_back([v](movie::MovieOptions& o) { o.maximumColours = v; });
        } else if (a == "--frame-rate") {
            if (!hasValue || !number(args[++i], 1, 120, v))
                return failPublish("--frame-rate takes 1 to 120", 2);
            edits.push_back([v](movie::MovieOptions& o) { o.frameRate = v; });
        } else if (a == "--size") {
            if (!hasValue || !size(args[++i], w, h))
                return failPublish("--size takes WIDTHxHEIGHT, each 16 to 8000", 2);
            edits.push_back([w, h](movie::MovieOptions& o) {
                o.outputWidth = w;
                o.outputHeight = h;
            });
        } else if (a == "--from") {
            if (!hasValue || !number(args[++i], 1, 1 << 30, from))
                return failPublish("--from takes a frame number", 2);
        } else if (path.empty() && (a.empty() || a[0] != '-')) {
            path = a;
        } else {
            return failPublish("unexpected argument \"" + a + "\"", 2);
        }
    }
    if (path.empty()) return failPublish("usage: tavlo publish PROJECT.tavlo [-o OUT.swf]", 2);
    // The advanced options that the movie reads, then the switches.
    AppConfig config;
    Paths paths(Environment::fromProcess());
    if (std::string file = paths.findSettingsFile("config.txt"); !file.empty()) readConfigFile(file, config);
    const auto adjust = [&](movie::MovieOptions& o) {
        movie::applyConfig(config, o);
        for (const auto& e : edits) e(o);
    };

    CliPrompts cli;
    CliPrompts::catchInterrupt();
    movie::BuildRequest request;
    request.outputPath = out;
    request.startFrame = from;
    const movie::BuildResult r = movie::publishProjectFile(path, request, cli, adjust);
    if (r.outcome == movie::BuildResult::Outcome::Failed ||
        r.outcome == movie::BuildResult::Outcome::Cancelled)
        return failPublish(trimForTerminal(r.error));

    nlohmann::json summary = {{"movie", r.files.movie},
                              {"information", r.files.info},
                              {"swf_frames", r.swfFrames},
                              {"frame_rate", r.frameRate},
                              {"segments", r.segments},
                              {"size_kb", r.sizeKb},
                              {"twips_per_pixel", r.unit.twipsPerPixel},
                              {"regions", r.regions},
                              {"new_bitmaps", r.newBitmaps},
                              {"reused_bitmaps", r.reusedBitmaps},
                              {"plain_rectangles", r.plainRectangles}};
    if (r.loader) summary["main_movie"] = r.files.mainMovie;
    std::printf("%s\n", summary.dump().c_str());
    if (r.outcome == movie::BuildResult::Outcome::Truncated) return failPublish(trimForTerminal(r.error));
    return 0;
}

} // namespace

extern const Subcommand kPublishCommand;
const Subcommand kPublishCommand{"publish", "build the Flash movie of a project", runPublish};

} // namespace tavlo
