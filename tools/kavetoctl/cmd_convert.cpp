// detect and convert: the Japanese text code functions over stdin, byte for
// byte, for trying pages out and for scripts.
#include <cstdio>
#include <string>

#include "text/jconvert.h"
#include "tools/kavetoctl/commands.h"

namespace kaveto::ctl {
namespace {

int WriteAll(const std::string& text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
        std::fputs("kavetoctl: cannot write the output\n", stderr);
        return 2;
    }
    return 0;
}

bool ParseCode(const std::string& name, TextCode& code) {
    if (name == "jis") code = TextCode::JisNew;
    else if (name == "euc") code = TextCode::EucJp;
    else if (name == "sjis") code = TextCode::ShiftJis;
    else return false;
    return true;
}

// The one conversion routine from `from` to `to`.
std::string ConvertFrom(const std::string& text, TextCode from, TextCode to) {
    switch (from) {
    case TextCode::JisNew:
        if (to == TextCode::EucJp) return JisToEuc(text);
        if (to == TextCode::ShiftJis) return JisToShiftJis(text);
        break;
    case TextCode::EucJp:
        if (to == TextCode::JisNew) return EucToJis(text);
        if (to == TextCode::ShiftJis) return EucToShiftJis(text);
        break;
    default:
        if (to == TextCode::JisNew) return ShiftJisToJis(text);
        if (to == TextCode::EucJp) return ShiftJisToEuc(text);
        break;
    }
    return text;
}

}  // namespace

int CmdDetect(const Args& args) {
    if (!args.empty()) return Usage();
    std::string text;
    if (!ReadStandardInput(text)) {
        std::fputs("kavetoctl: cannot read the input\n", stderr);
        return 2;
    }
    return WriteAll(std::string(TextCodeName(DetectTextCode(text))) + "\n");
}

int CmdConvert(const Args& args) {
    bool has_from = false, has_to = false;
    TextCode from = TextCode::Ascii, to = TextCode::Ascii;
    for (std::size_t i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) return Usage();
        if (args[i] == "--from" && !has_from && ParseCode(args[i + 1], from)) has_from = true;
        else if (args[i] == "--to" && !has_to && ParseCode(args[i + 1], to)) has_to = true;
        else return Usage();
    }
    if (!has_to) return Usage();
    std::string text;
    if (!ReadStandardInput(text)) {
        std::fputs("kavetoctl: cannot read the input\n", stderr);
        return 2;
    }
    return WriteAll(has_from ? ConvertFrom(text, from, to) : ConvertTextCode(text, to));
}

}  // namespace kaveto::ctl
