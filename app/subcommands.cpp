#include "app/subcommands.h"

namespace tavlo {

const std::vector<Subcommand>& subcommands() {
    static const std::vector<Subcommand> list = {};
    return list;
}

const Subcommand* findSubcommand(const std::string& name) {
    for (const Subcommand& s : subcommands())
        if (name == s.name) return &s;
    return nullptr;
}

} // namespace tavlo
