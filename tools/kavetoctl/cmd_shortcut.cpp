#include <cstdio>

#include "tools/kavetoctl/commands.h"

namespace kaveto::ctl {

int CmdShortcut(const Args& args) {
    if (args.size() != 1) return Usage();
    std::fputs("shortcut: not built yet\n", stderr);
    return 2;
}

}  // namespace kaveto::ctl
