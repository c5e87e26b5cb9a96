#pragma once
// Batch work of the same binary: `tavlo NAME ...`. Each subcommand answers --help, exits 0 on
// success and prints a one-line message on stderr otherwise.
#include <string>
#include <vector>

namespace tavlo {

struct Subcommand {
    const char* name;
    const char* summary;
    int (*run)(const std::vector<std::string>& args);
};

const std::vector<Subcommand>& subcommands();
const Subcommand* findSubcommand(const std::string& name);

} // namespace tavlo
