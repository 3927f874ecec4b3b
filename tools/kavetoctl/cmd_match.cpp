#include <cstdio>
#include <string>

#include "text/bregexp.h"
#include "tools/kavetoctl/commands.h"

namespace kaveto::ctl {

// Matches all of standard input against the pattern and prints the byte
// offsets of each group: "N<TAB>start<TAB>end", -1 for a group that did not
// take part. Exit 0 on a match, 1 on none, 2 on an error.
int CmdMatch(const Args& args) {
    if (args.size() != 1) return Usage();
    std::string target;
    if (!ReadStandardInput(target)) {
        std::fputs("match: cannot read standard input\n", stderr);
        return 2;
    }
    TBRegExp matcher;
    try {
        if (!matcher.Match(args[0], target)) return 1;
    } catch (const EBRegExpError& e) {
        std::fprintf(stderr, "match: %s\n", e.what());
        return 2;
    }
    for (int i = 0; i < matcher.GroupCount(); ++i) {
        long start, end;
        matcher.GroupSpan(i, start, end);
        std::printf("%d\t%ld\t%ld\n", i, start, end);
    }
    return 0;
}

}  // namespace kaveto::ctl
