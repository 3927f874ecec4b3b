// kavetoctl: the console companion of Kaveto. Each command lives in a file of
// its own (cmd_*.cpp); this table names them and their usage lines.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/kavetoctl/commands.h"

namespace {

struct Command {
    const char* name;
    int (*run)(const kaveto::ctl::Args& args);
    const char* usage;
};

const Command kCommands[] = {
    {"shortcut", kaveto::ctl::CmdShortcut, "shortcut TEXT              parse a shortcut text and format it back"},
    {"settings", kaveto::ctl::CmdSettings, "settings FILE              load FILE as the settings file and print every key"},
    {"match", kaveto::ctl::CmdMatch, "match PATTERN              match stdin against m/regex/flags; print group offsets"},
    {"compose", kaveto::ctl::CmdCompose,
     "compose --folder DIR [--page-url U] [--title T] [--sel S] [--click-url C] [--url-txt X]\n"
     "          [--src S] [--ctrl] [--now \"YYYY-MM-DD hh:mm:ss\"] [--settings FILE] [--deliver] [--utf8]\n"
     "          [--html]\n"
     "                             compose the snippet of a capture (exit 3: no template applies);\n"
     "                             --utf8: the Unicode snippet in UTF-8, texts given in UTF-8 taken as such;\n"
     "                             --html: the HTML snippet, in UTF-8 (exit 4: the template has no .html)"},
    {"check", kaveto::ctl::CmdCheck,
     "check [--folder DIR]       check the templates, title rules and settings of a program folder\n"
     "                             (default: kavetoctl's own); exit 1 when something is wrong"},
    {"rules", kaveto::ctl::CmdRules, "rules --folder DIR URL     the title rule that matches URL: line, title, address"},
    {"detect", kaveto::ctl::CmdDetect,
     "detect                     print the text code stdin is read in as a page (Utf8 included)"},
    {"convert", kaveto::ctl::CmdConvert,
     "convert [--from C] --to C  convert stdin to the code C (jis, euc, sjis);\n"
     "                             with --from (also utf8), that conversion without detection"},
    {"title", kaveto::ctl::CmdTitle,
     "title                      print the title Kaveto quotes for the page on stdin (exit 1: none)"},
};

}  // namespace

namespace kaveto::ctl {

int Usage() {
    std::fputs("usage: kavetoctl COMMAND [ARGS]\n", stderr);
    for (const auto& command : kCommands) std::fprintf(stderr, "  %s\n", command.usage);
    std::fputs(SystemUsageNote(), stderr);
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
