// `tavlo frame PROJECT N -o OUT.png`: the picture of frame N as the editor would show it, without
// a display.
#include "app/subcommands.h"
#include "core/cli_prompts.h"
#include "project/frame_store.h"
#include "project/project_file.h"

#include <QImage>
#include <cstdio>

namespace tavlo {

namespace {

int failFrame(const std::string& text, int code = 1) {
    std::fprintf(stderr, "tavlo frame: %s\n", text.c_str());
    return code;
}

int runFrame(const std::vector<std::string>& args) {
    std::string path, out;
    long number = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            std::printf("Usage: tavlo frame PROJECT.tavlo N -o OUT.png\nWrites frame N (from 1) of the "
                        "project as a PNG.\n");
            return 0;
        }
        if (args[i] == "-o") {
            if (i + 1 >= args.size()) return failFrame("-o needs a file name", 2);
            out = args[++i];
        } else if (path.empty()) {
            path = args[i];
        } else if (number == 0) {
            char* end = nullptr;
            number = std::strtol(args[i].c_str(), &end, 10);
            if (!end || *end || number < 1)
                return failFrame("the frame number counts from 1, not \"" + args[i] + "\"", 2);
        } else {
            return failFrame("unexpected argument \"" + args[i] + "\"", 2);
        }
    }
    if (path.empty() || number == 0 || out.empty())
        return failFrame("usage: tavlo frame PROJECT.tavlo N -o OUT.png", 2);

    CliPrompts cli;
    project::Project p;
    project::LoadOptions o;
    o.readOnly = true;
    if (!project::load(cli, path, p, o)) return failFrame("cannot open " + path);
    if (number > p.frameCount())
        return failFrame("the project has " + std::to_string(p.frameCount()) + " frames, not " +
                         std::to_string(number));
    project::FrameStore store(p);
    std::string error;
    if (!store.open(error)) return failFrame(error);
    project::PixelBuffer pic;
    bool missing = false;
    if (!store.framePicture(int(number) - 1, pic, &missing))
        return failFrame("frame " + std::to_string(number) + " cannot be painted");
    if (missing)
        std::fprintf(stderr, "tavlo frame: a source file of this project is missing; parts stay blank\n");
    QImage image(reinterpret_cast<const uchar*>(pic.pixels.data()), pic.width, pic.height, pic.width * 4,
                 QImage::Format_RGB32);
    if (!image.save(QString::fromStdString(out), "PNG")) return failFrame("cannot write " + out);
    return 0;
}

} // namespace

extern const Subcommand kFrameCommand;
const Subcommand kFrameCommand{"frame", "write one frame of a project as a PNG", runFrame};

} // namespace tavlo
