#include <cstdio>

#include "engine/settings.h"
#include "platform/system_profile.h"
#include "tools/kavetoctl/commands.h"

namespace kaveto::ctl {

// shortcut [--utf8] TEXT: the value ParseShortCut gives and its
// FormatShortCut text.
int CmdShortcut(const Args& given) {
    Args args = given;
    const bool utf8 = TakeUtf8Flag(args);
    if (args.size() != 1) return Usage();
    const auto key_names = MakeSystemKeyNames();
    const ShortCutValue value = ParseShortCut(args[0], *key_names);
    std::printf("0x%04X\t%s\n", static_cast<unsigned>(value),
                DataText(FormatShortCut(value, *key_names), utf8).c_str());
    return 0;
}

}  // namespace kaveto::ctl
