#include <cstdio>

#include "tools/kavetoctl/commands.h"

namespace kaveto::ctl {

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
