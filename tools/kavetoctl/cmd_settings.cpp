#include <cstdio>
#include <string>

#include "engine/settings.h"
#include "platform/system_profile.h"
#include "tools/kavetoctl/commands.h"

namespace kaveto::ctl {

// settings [--utf8] FILE: loads FILE as the settings file and prints every
// key, in the order the program reads them, each in the form it would be
// written back.
int CmdSettings(const Args& given) {
    Args args = given;
    const bool utf8 = TakeUtf8Flag(args);
    if (args.size() != 1) return Usage();
    const auto profile = MakeSystemProfile();
    const auto key_names = MakeSystemKeyNames();
    WindowPosition position;
    Settings settings;
    LoadSettings(*profile, *key_names, args[0], position, settings);
    const auto entries = SettingsEntries(position, settings, *key_names);
    static const char* const kReadOrder[] = {"Top",          "Left",       "Youbi",      "LogBool",
                                             "LogBetweenText", "LogOrderBool", "SaveFileName", "ExtendTime",
                                             "DoClipBool",   "HistoryBool", "PasteBool",  "ShortCut",
                                             "ClipbordTime", "LogCode",    "QuoteShortCut"};
    for (const char* key : kReadOrder)
        for (const SettingsEntry& entry : entries)
            if (entry.key == key) std::printf("%s=%s\n", entry.key.c_str(), DataText(entry.value, utf8).c_str());
    return 0;
}

}  // namespace kaveto::ctl
