// check: the program folder as the program will use it, checked without
// running it.
#include <cstdio>
#include <exception>
#include <string>

#include "engine/folder_check.h"
#include "platform/system.h"
#include "platform/system_profile.h"
#include "text/text_helpers.h"
#include "tools/kavetoctl/commands.h"

namespace kaveto::ctl {

// Prints one line per finding and a summary. Exit 0 when nothing is wrong, 1
// when something is, 2 when the folder cannot be read.
int CmdCheck(const Args& args) {
    std::string folder;
    if (args.size() == 2 && args[0] == "--folder" && !args[1].empty()) folder = FolderArgument(args[1]);
    else if (!args.empty()) return Usage();
    else {
        // Without --folder: the folder kavetoctl lies in, beside kaveto.exe.
        const std::string executable = ExecutablePath();
        folder = executable.substr(0, PathNameStart(executable));
        if (folder.empty()) {
            std::fputs("check: cannot tell which folder kavetoctl lies in; name it with --folder\n", stderr);
            return 2;
        }
    }
    // The separator the folder's name already uses, the system's otherwise.
    const std::size_t last = PathNameStart(folder);
    if (last != folder.size()) folder += last > 0 ? folder[last - 1] : PathSeparator();

    std::vector<Finding> findings;
    try {
        SystemServices system = MakeSystemServices();
        findings = CheckProgramFolder(folder, *system.files, *MakeSystemProfile(), *MakeSystemKeyNames(),
                                      system.clock->Now(), PathSeparator());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "check: %s\n", ConsoleMessage(e.what(), folder).c_str());
        return 2;
    }
    std::string out;
    for (const Finding& finding : findings) out += FormatFinding(finding) + "\n";
    if (findings.empty()) out += "No problems found in " + folder + "\n";
    else
        out += std::to_string(findings.size()) + (findings.size() == 1 ? " problem" : " problems") + " found in " +
               folder + "\n";
    out = ConsoleMessage(out, folder);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    return findings.empty() ? 0 : 1;
}

}  // namespace kaveto::ctl
