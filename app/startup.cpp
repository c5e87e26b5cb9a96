#include "app/startup.h"

#include "app/command_line.h"
#include "app/subcommands.h"
#include "core/cli_prompts.h"
#include "core/ui_prompts.h"

#include <cstdio>

namespace tavlo {

namespace {

void printHelp() {
    std::printf("%s: screen recordings into tutorials.\n\n"
                "Usage:\n"
                "  tavlo [SWITCHES] [PROJECT.tavlo]\n"
                "  tavlo COMMAND [ARGS] (each COMMAND takes --help)\n"
                "  tavlo --version | --help\n\n"
                "Switches:\n"
                "  -recover                 recover an interrupted recording (other arguments ignored)\n"
                "  /r:FILE.tavlo            record straight into FILE.tavlo\n"
                "  /s:TOP,LEFT,BOTTOM,RIGHT record the given screen area\n"
                "  /p                       pan with the pointer\n"
                "  /h                       hidden: no windows or tray icons while recording\n"
                "  /c                       after /r:, open the recording and create its movie\n"
                "  /v                       check that the movie file can be written before building\n"
                "  PROJECT.tavlo            open the project\n",
                kVersionText);
    if (!subcommands().empty()) {
        std::printf("\nCommands:\n");
        for (const Subcommand& s : subcommands()) std::printf("  %-24s %s\n", s.name, s.summary);
    }
}

} // namespace

int runTavlo(const std::vector<std::string>& args, WindowsEntry windows) {
    if (!args.empty()) {
        if (args[0] == "--version") {
            std::printf("%s\n", kVersionText);
            return 0;
        }
        if (args[0] == "--help" || args[0] == "-help") {
            printHelp();
            return 0;
        }
        if (const Subcommand* sub = findSubcommand(args[0]))
            return sub->run(std::vector<std::string>(args.begin() + 1, args.end()));
    }

    CommandLine cl = parseCommandLine(args);
    if (!cl.errors.empty()) {
        CliPrompts cli;
        for (const std::string& e : cl.errors) cli.message(e, "Tavlo 错误", Icon::Error);
        return 2;
    }
    if (!windows) {
        std::fprintf(stderr, "tavlo: this build has no windows; see \"tavlo --help\" for what it can do.\n");
        return 1;
    }
    return windows(args, cl);
}

} // namespace tavlo
