#include "app/gui/gui_main.h"

#include "app/application.h"
#include "app/gui/qt_prompts.h"
#include "app/gui/recorder_window.h"
#include "platform/crash_handler.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace tavlo::gui {

int runWindows(const std::vector<std::string>& args, const CommandLine& commandLine) {
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!display || !*display) && (!wayland || !*wayland)) {
        std::fprintf(stderr, "tavlo: the windows need a display, and none is set (DISPLAY). "
                             "See \"tavlo --help\" for the commands that run without one.\n");
        return 1;
    }
    // Capture goes through X11, so the windows do too (XWayland on a Wayland desktop).
    if (display && *display) qputenv("QT_QPA_PLATFORM", "xcb");
    static std::string name = "tavlo";
    static std::vector<char*> argv = {name.data(), nullptr};
    static int argc = 1;
    (void)args;
    QApplication qt(argc, argv.data());
    QApplication::setApplicationName(QStringLiteral("Tavlo"));
    QtPrompts prompts;
    Application app(Paths(Environment::fromProcess()), prompts);
    installCrashHandler({app.paths().userFolder(), app.paths().userFolder(), app.paths().installLocation()});
    app.loadSettings();
    if (commandLine.recover) {
        prompts.message("Recovering interrupted recordings is not part of this build yet.", "Tavlo",
                        Icon::Information);
    }
    return runRecorderGui(app, commandLine, prompts);
}

} // namespace tavlo::gui
