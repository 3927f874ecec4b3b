#include <cstdio>
#include <exception>

#include "engine/title_rules.h"
#include "platform/system.h"
#include "text/page_code.h"
#include "tools/kavetoctl/commands.h"

namespace kaveto::ctl {

// rules --folder DIR [--utf8] URL: the title rule that matches URL, with the
// title and address it gives; with --utf8 in UTF-8, and a URL typed in
// UTF-8 taken as such.
int CmdRules(const Args& given) {
    Args args = given;
    const bool utf8 = TakeUtf8Flag(args);
    if (args.size() != 3 || args[0] != "--folder") return Usage();
    std::string folder = args[1];
    if (folder.empty()) return Usage();
    if (folder.back() != '\\' && folder.back() != '/') folder += PathSeparator();
    try {
        SystemServices system = MakeSystemServices();
        class Unused : public Clipboard {
            void SetText(const std::string&) override {}
        } unused;
        Environment env{folder, unused, *system.key_state, *system.clock, *system.files};
        CaptureRecord record;
        record.page_url = utf8 && ReadsAsUtf8(args[2]) ? FromUtf8(args[2]) : FromShiftJis(args[2]);
        const int line = ApplyTitleRulesLine(record, env);
        if (line == 0) {
            std::fputs("no rule\n", stdout);
            return 0;
        }
        const std::string& title = utf8 ? record.title_txt.utf8 : record.title_txt.shift_jis;
        const std::string& address = utf8 ? record.page_url.utf8 : record.page_url.shift_jis;
        std::printf("%d\t%s\t%s\n", line, title.c_str(), address.c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", ConsoleMessage(e.what(), folder).c_str());
        return 2;
    }
}

}  // namespace kaveto::ctl
