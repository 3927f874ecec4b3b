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
    {"detect", kaveto::ctl::CmdDetect},
    {"convert", kaveto::ctl::CmdConvert},
};

}  // namespace

namespace kaveto::ctl {

int Usage() {
    std::fputs(
        "usage: kavetoctl COMMAND [ARGS]\n"
        "  shortcut TEXT              parse a shortcut text and format it back\n"
        "  detect                     print the Japanese text code of stdin\n"
        "  convert [--from C] --to C  convert stdin to the code C (jis, euc, sjis);\n"
        "                             with --from, that conversion without detection\n",
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
