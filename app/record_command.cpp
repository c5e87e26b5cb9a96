// `tavlo record`: a recording of the current X display without any window, stopped after a time,
// by `tavlo control stop`, by the stop hot key or by Ctrl+C, and saved as the finish dialog's
// "keep" would save it.
#include "app/application.h"
#include "app/subcommands.h"
#include "capture/recording_control.h"
#include "core/cli_prompts.h"
#include "core/file_util.h"
#include "platform/control_socket.h"
#include "platform/disk_space.h"
#include "platform/x11/x11_input.h"
#include "platform/x11/x11_pointer.h"
#include "platform/x11/x11_screen.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace tavlo {

namespace {

const char* kRecordUsage =
    "Usage: tavlo record -o FILE.tavlo [--area X,Y,W,H | --window | --monitor N] [--seconds S]\n"
    "                    [--no-pointer] [--rate FPS] [--compressed]\n"
    "Records the X display into FILE.tavlo. Without an area option it records the first monitor.\n"
    "It stops after S seconds, on `tavlo control stop`, on Ctrl+Delete or on Ctrl+C.\n";

std::atomic<bool> gInterrupted{false};
extern "C" void onStopSignal(int) {
    gInterrupted = true;
}

int fail(const std::string& text, int code = 1) {
    std::fprintf(stderr, "tavlo record: %s\n", text.c_str());
    return code;
}

bool parseArea(const std::string& s, Rect& out) {
    int x, y, w, h;
    char tail;
    if (std::sscanf(s.c_str(), "%d,%d,%d,%d%c", &x, &y, &w, &h, &tail) != 4 || w <= 0 || h <= 0) return false;
    out = Rect{x, y, x + w, y + h};
    return true;
}

int runRecord(const std::vector<std::string>& args) {
    std::string output;
    std::optional<Rect> area;
    bool window = false, pointer = true, compressed = false;
    int monitor = 1, rate = 0;
    double seconds = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        // The argument after an option, when there is one.
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) return std::nullopt;
            return args[++i];
        };
        if (a == "--help" || a == "-h") {
            std::printf("%s", kRecordUsage);
            return 0;
        } else if (a == "-o" || a == "--output") {
            auto v = value();
            if (!v) return fail("-o needs a file name", 2);
            output = *v;
        } else if (a == "--area") {
            auto v = value();
            Rect r;
            if (!v || !parseArea(*v, r))
                return fail("--area needs X,Y,W,H with a width and height above 0", 2);
            area = r;
        } else if (a == "--window") {
            window = true;
        } else if (a == "--monitor") {
            auto v = value();
            if (!v || std::sscanf(v->c_str(), "%d", &monitor) != 1 || monitor < 1)
                return fail("--monitor needs a monitor number from 1", 2);
        } else if (a == "--seconds") {
            auto v = value();
            if (!v || std::sscanf(v->c_str(), "%lf", &seconds) != 1 || seconds <= 0)
                return fail("--seconds needs a number of seconds above 0", 2);
        } else if (a == "--rate") {
            auto v = value();
            if (!v || std::sscanf(v->c_str(), "%d", &rate) != 1 || rate < 1 || rate > 1000)
                return fail("--rate needs 1 to 1000 frames a second", 2);
        } else if (a == "--no-pointer") {
            pointer = false;
        } else if (a == "--compressed") {
            compressed = true;
        } else {
            return fail("unknown argument \"" + a + "\" (see tavlo record --help)", 2);
        }
    }
    if (output.empty()) return fail("-o FILE.tavlo is required (see tavlo record --help)", 2);
    if ((area ? 1 : 0) + (window ? 1 : 0) > 1) return fail("choose one of --area and --window", 2);
    {
        // Find out now, not after the recording, that the file cannot be written there.
        const auto slash = output.find_last_of('/');
        const std::string folder = slash == std::string::npos ? "."
                                   : slash == 0               ? "/"
                                                              : output.substr(0, slash);
        if (!isDirectory(folder) || access(folder.c_str(), W_OK) != 0)
            return fail("cannot write " + output + ": the folder " + folder +
                            " does not exist or is not writable",
                        2);
    }

    CliPrompts cli;
    Application app(Paths(Environment::fromProcess()), cli);
    app.loadSettings();

    std::string error;
    auto screen = platform::x11::openScreen(error);
    if (!screen) return fail(error);
    std::unique_ptr<platform::PointerSource> pointerSource;
    if (pointer && !(pointerSource = platform::x11::openPointer(error)))
        std::fprintf(stderr, "tavlo record: %s Recording without the pointer.\n", error.c_str());
    auto input = platform::x11::openInputEvents(error);
    if (!input) std::fprintf(stderr, "tavlo record: %s\n", error.c_str());

    capture::RecordingSetup setup;
    setup.tempFolder = app.config().tempDirectory;
    // The recording options of the state file, unless the command line says otherwise.
    const RecordingOptions& ro = app.state().recording;
    setup.capture.captureRate = rate > 0 ? rate : ro.captureRate;
    setup.capture.pointerRate = ro.pointerRate;
    setup.capture.recordPointer = ro.recordPointer;
    setup.capture.smoothPointer = ro.smoothPointer;
    setup.capture.compressed = compressed || ro.compressed;
    setup.quality = ro.quality;
    setup.capture.bubbleNavigation = app.config().calloutNavigation;
    setup.capture.freeDiskBytes = platform::freeDiskBytes(setup.tempFolder);
    if (area || window) {
        Rect r;
        if (area) {
            r = *area;
        } else {
            auto active = screen->activeWindow();
            if (!active) return fail("the desktop does not say which window is active");
            r = *active;
        }
        setup.capture.mode = window ? 2 : 1;
        setup.capture.frameWindow = Rect{r.left - 3, r.top - 3, r.right + 3, r.bottom + 3};
    } else {
        if (monitor > int(screen->monitors().size()))
            return fail("there is no monitor " + std::to_string(monitor) + " (the display has " +
                        std::to_string(screen->monitors().size()) + ")");
        setup.capture.monitor = monitor;
    }

    project::Project project;
    capture::RecordingControl control(project, cli, *screen, pointerSource.get(), input.get());
    if (!control.start(setup, error)) return fail(error);

    platform::ControlServer server;
    std::string controlError;
    if (!server.start(
            platform::defaultControlSocketPath(),
            [&control](const std::string& command) -> std::string {
                if (command == "pause")
                    control.setExternalPause(true);
                else if (command == "resume")
                    control.setExternalPause(false);
                else if (command == "save" || command == "stop")
                    control.requestStop();
                else
                    return "unknown command \"" + command + "\"";
                return "ok";
            },
            controlError))
        std::fprintf(stderr, "tavlo record: %s\n", controlError.c_str());

    auto hotKeys = platform::x11::openHotKeys(error);
    if (hotKeys) {
        hotKeys->setHandler([&control](platform::HotKeyId id) {
            if (id == platform::HotKeyId::Stop)
                control.requestStop();
            else if (id == platform::HotKeyId::Pause)
                control.requestTogglePause();
        });
        for (const auto& taken :
             hotKeys->registerKeys(platform::recorderHotKeys(app.config().alternatePause)))
            std::fprintf(stderr,
                         "tavlo record: the desktop already uses %s, so that key does nothing here.\n",
                         taken.name.c_str());
    }

    struct sigaction sa {};
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);

    std::fprintf(stderr, "Recording %dx%d into %s. Stop with Ctrl+Delete, `tavlo control stop` or Ctrl+C.\n",
                 control.session()->area().width(), control.session()->area().height(), output.c_str());
    const auto started = std::chrono::steady_clock::now();
    while (!control.stopRequested()) {
        if (gInterrupted) control.requestStop();
        if (seconds > 0 &&
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count() >= seconds)
            control.requestStop();
        const int delay = control.tick();
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    }
    if (hotKeys) hotKeys->unregisterAll();
    server.stop();
    control.stop();
    if (!control.keep(output)) {
        // The recording is never thrown away: it goes to the projects folder instead.
        std::string rescue = joinPath(app.paths().defaultProjectsFolder(), "recording.tavlo");
        for (int n = 2; fileExists(rescue); ++n)
            rescue =
                joinPath(app.paths().defaultProjectsFolder(), "recording-" + std::to_string(n) + ".tavlo");
        if (!control.keep(rescue))
            return fail("the recording could not be saved; its capture files stay in " + setup.tempFolder);
        std::fprintf(stderr, "tavlo record: %s could not be written; the recording is saved as %s\n",
                     output.c_str(), rescue.c_str());
        output = rescue;
    }
    std::printf("Recorded %d frames of %dx%d into %s\n", project.frameCount(), project.frameWidth,
                project.frameHeight, output.c_str());
    return 0;
}

int runControl(const std::vector<std::string>& args) {
    if (args.size() != 1 || args[0] == "--help" || args[0] == "-h") {
        std::printf("Usage: tavlo control pause|resume|save|stop\n"
                    "Pauses, resumes, or stops and saves the running recording.\n");
        return args.size() == 1 ? 0 : 2;
    }
    const std::string& command = args[0];
    if (command != "pause" && command != "resume" && command != "save" && command != "stop") {
        std::fprintf(stderr, "tavlo control: unknown command \"%s\" (pause, resume, save or stop)\n",
                     command.c_str());
        return 2;
    }
    std::string answer, error;
    if (!platform::sendControlCommand(platform::defaultControlSocketPath(), command, answer, error)) {
        std::fprintf(stderr, "tavlo control: %s\n", error.c_str());
        return 1;
    }
    if (answer != "ok") {
        std::fprintf(stderr, "tavlo control: %s\n", answer.c_str());
        return 1;
    }
    return 0;
}

} // namespace

extern const Subcommand kRecordCommand;
const Subcommand kRecordCommand{"record", "record the X display into a project file", runRecord};
extern const Subcommand kControlCommand;
const Subcommand kControlCommand{"control", "pause, resume, save or stop a running recording", runControl};

} // namespace tavlo
