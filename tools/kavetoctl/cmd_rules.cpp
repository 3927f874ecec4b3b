#include <cstdio>
#include <exception>

#include "engine/title_rules.h"
#include "platform/system.h"
#include "tools/kavetoctl/commands.h"

namespace kaveto::ctl {

int CmdRules(const Args& args) {
    if (args.size() != 3 || args[0] != "--folder") return Usage();
    std::string folder = args[1];
    if (folder.empty()) return Usage();
    if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
    try {
        SystemServices system = MakeSystemServices();
        class Unused : public Clipboard {
            void SetText(const std::string&) override {}
        } unused;
        Environment env{folder, unused, *system.key_state, *system.clock, *system.files};
        CaptureRecord record;
        record.page_url = FromShiftJis(args[2]);
        const int line = ApplyTitleRulesLine(record, env);
        if (line == 0) {
            std::fputs("no rule\n", stdout);
            return 0;
        }
        std::printf("%d\t%s\t%s\n", line, record.title_txt.shift_jis.c_str(), record.page_url.shift_jis.c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
}

}  // namespace kaveto::ctl
