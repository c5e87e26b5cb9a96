// `tavlo info PROJECT [--frames]`: a JSON summary of a project file, without a display.
#include "app/subcommands.h"
#include "project/project_file.h"
#include "project/text_convert.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace tavlo {

namespace {

int failInfo(const std::string& text, int code = 1) {
    std::fprintf(stderr, "tavlo info: %s\n", text.c_str());
    return code;
}

// Nobody to ask: questions take their fallback, and the last message becomes the error line.
class QuietPrompts : public UiPrompts {
public:
    std::string lastMessage;
    void message(const std::string& text, const std::string&, Icon) override { lastMessage = text; }
    Answer question(const std::string&, const std::string&, Buttons, Icon, Answer fallback) override {
        return fallback;
    }
    std::unique_ptr<Progress> progress(const std::string&) override {
        return std::make_unique<SilentProgress>();
    }
    std::optional<std::string> chooseFile(const FileChoice&) override { return std::nullopt; }
};

nlohmann::json textOrNull(const std::optional<std::u16string>& s) {
    return s ? nlohmann::json(project::utf16ToUtf8(*s)) : nlohmann::json(nullptr);
}

nlohmann::json frameJson(const project::Project& p, int number) {
    const project::FrameNode& n = *p.frameAt(number);
    const project::Frame& f = n.frame;
    nlohmann::json j;
    j["number"] = number;
    j["displayTime"] = f.displayTime;
    j["recordedTime"] = f.recordedTime;
    j["deleted"] = f.deleted != 0;
    j["keyImage"] = f.keyImage != 0;
    j["pointerX"] = f.pointerX;
    j["pointerY"] = f.pointerY;
    j["clickDown"] = f.clickDown != 0;
    j["clickUp"] = f.clickUp != 0;
    j["keyPress"] = f.keyPress != 0;
    j["bubblePlainText"] = textOrNull(n.data.bubblePlainText);
    j["hotspotOn"] = f.hotspotOn != 0;
    j["chapterTitle"] = textOrNull(n.data.chapterTitle);
    j["soundFile"] = n.data.soundFile ? nlohmann::json(*n.data.soundFile) : nlohmann::json(nullptr);
    return j;
}

int runInfo(const std::vector<std::string>& args) {
    std::string path;
    bool frames = false;
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") {
            std::printf(
                "Usage: tavlo info PROJECT.tavlo [--frames]\nPrints a JSON summary of the project: "
                "version, frame size, frame count, compressed flag, damage;\nwith --frames one object "
                "per frame.\n");
            return 0;
        }
        if (a == "--frames")
            frames = true;
        else if (path.empty())
            path = a;
        else
            return failInfo("unexpected argument \"" + a + "\"", 2);
    }
    if (path.empty()) return failInfo("usage: tavlo info PROJECT.tavlo [--frames]", 2);

    QuietPrompts ui;
    project::Project p;
    project::LoadOptions o;
    o.readOnly = true;
    project::LoadReport report;
    if (!project::load(ui, path, p, o, &report)) {
        std::string why = ui.lastMessage.empty() ? report.problem : ui.lastMessage;
        for (char& c : why)
            if (c == '\n') c = ' ';
        return failInfo("cannot open " + path + ": " + why);
    }
    nlohmann::json j;
    j["path"] = path;
    j["version"] = report.version;
    j["frameWidth"] = p.frameWidth;
    j["frameHeight"] = p.frameHeight;
    j["frameCount"] = p.frameCount();
    j["compressed"] = p.compressedImages;
    j["damaged"] = report.damaged;
    j["corrupted"] = p.corrupted;
    if (report.damaged) j["problem"] = report.problem;
    if (frames) {
        j["frames"] = nlohmann::json::array();
        for (int i = 1; i <= p.frameCount(); ++i) j["frames"].push_back(frameJson(p, i));
    }
    const std::string out = j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    std::printf("%s\n", out.c_str());
    return 0;
}

} // namespace

extern const Subcommand kInfoCommand;
const Subcommand kInfoCommand{"info", "print a JSON summary of a project file", runInfo};

} // namespace tavlo
