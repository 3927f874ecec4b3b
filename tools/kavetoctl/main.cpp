// kavetoctl: the console companion of Kaveto. Each command lives in a file of
// its own (cmd_*.cpp).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/kavetoctl/commands.h"

namespace {

struct Command {
    const char* name;
    int (*run)(const std::vector<std::string>& args);
};

const Command kCommands[] = {
    {"shortcut", kaveto::ctl::CmdShortcut},
    {"settings", kaveto::ctl::CmdSettings},
};

}  // namespace

namespace kaveto::ctl {

int Usage() {
    std::fputs(
        "usage: kavetoctl COMMAND [ARGS]\n"
        "  shortcut TEXT              parse a shortcut text and format it back\n"
        "  settings FILE              load FILE as the settings file and print every key\n",
        stderr);
    return 2;
}

}  // namespace kaveto::ctl

int main(int argc, char** argv) {
    kaveto::ctl::SetBinaryStdio();
    if (argc < 2) return kaveto::ctl::Usage();
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (const auto& command : kCommands)
        if (std::strcmp(argv[1], command.name) == 0) return command.run(args);
    return kaveto::ctl::Usage();
}
