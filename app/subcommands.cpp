#include "app/subcommands.h"

namespace tavlo {

extern const Subcommand kRecordCommand;
extern const Subcommand kControlCommand;
extern const Subcommand kFrameCommand;
extern const Subcommand kInfoCommand;
extern const Subcommand kPublishCommand;

const std::vector<Subcommand>& subcommands() {
    static const std::vector<Subcommand> list = {kRecordCommand, kControlCommand, kFrameCommand,
                                                 kInfoCommand, kPublishCommand};
    return list;
}

const Subcommand* findSubcommand(const std::string& name) {
    for (const Subcommand& s : subcommands())
        if (name == s.name) return &s;
    return nullptr;
}

} // namespace tavlo
