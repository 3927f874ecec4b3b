#include <algorithm>
#include <cstdio>

#include "text/unicode.h"
#include "tools/kavetoctl/commands.h"

namespace kaveto::ctl {

std::string DataText(const std::string& shift_jis, bool utf8) { return utf8 ? ShiftJisToUtf8(shift_jis) : shift_jis; }

bool TakeUtf8Flag(Args& args) {
    const auto end = std::remove(args.begin(), args.end(), std::string("--utf8"));
    const bool found = end != args.end();
    args.erase(end, args.end());
    return found;
}

bool ReadStdin(std::string& text) {
    if (ReadStandardInput(text)) return true;
    std::fputs("kavetoctl: cannot read the input\n", stderr);
    return false;
}

int WriteStdout(const std::string& text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
        std::fputs("kavetoctl: cannot write the output\n", stderr);
        return 2;
    }
    return 0;
}

}  // namespace kaveto::ctl
