// detect and convert: the Japanese text code functions over stdin, byte for
// byte, for trying pages out and for scripts. Without --from, stdin is read
// as a capture reads a page: UTF-8 by its mark, its declaration or its
// bytes, and a declared code where the bytes leave it open.
#include <cstdio>
#include <string>

#include "text/jconvert.h"
#include "text/page_code.h"
#include "text/unicode.h"
#include "tools/kavetoctl/commands.h"

namespace kaveto::ctl {
namespace {

// UTF-8 is read, never written: the program's texts are Shift_JIS.
bool ParseCode(const std::string& name, TextCode& code, bool as_source) {
    if (name == "jis") code = TextCode::JisNew;
    else if (name == "euc") code = TextCode::EucJp;
    else if (name == "sjis") code = TextCode::ShiftJis;
    else if (name == "utf8" && as_source) code = TextCode::Utf8;
    else return false;
    return true;
}

// The one conversion routine from `from` to `to`. UTF-8 goes through
// Shift_JIS, the code that the Unicode rule writes; a byte order mark is no
// character.
std::string ConvertFrom(const std::string& text, TextCode from, TextCode to) {
    switch (from) {
    case TextCode::Utf8: {
        std::string_view body(text);
        if (StartsWithUtf8Bom(body)) body.remove_prefix(3);
        const std::string sjis = Utf8ToShiftJis(body);
        return to == TextCode::ShiftJis ? sjis : ConvertFrom(sjis, TextCode::ShiftJis, to);
    }
    case TextCode::JisNew:
    case TextCode::JisOld:
        if (to == TextCode::EucJp) return JisToEuc(text);
        if (to == TextCode::ShiftJis) return JisToShiftJis(text);
        break;
    case TextCode::EucJp:
        if (to == TextCode::JisNew) return EucToJis(text);
        if (to == TextCode::ShiftJis) return EucToShiftJis(text);
        break;
    case TextCode::ShiftJis:
        if (to == TextCode::JisNew) return ShiftJisToJis(text);
        if (to == TextCode::EucJp) return ShiftJisToEuc(text);
        break;
    default:
        break;
    }
    return text;
}

// Converts from the code the page reading gives. Where that is what the
// plain detection gives, this is ConvertTextCode as it always was; UTF-8 and
// a declared code take their own routine.
std::string ConvertDetected(const std::string& text, TextCode to) {
    const TextCode code = DetectPageCode(text);
    if (code == DetectTextCode(text)) return ConvertTextCode(text, to);
    return ConvertFrom(text, code, to);
}

}  // namespace

int CmdDetect(const Args& args) {
    if (!args.empty()) return Usage();
    std::string text;
    if (!ReadStdin(text)) return 2;
    return WriteStdout(std::string(TextCodeName(DetectPageCode(text))) + "\n");
}

int CmdConvert(const Args& args) {
    bool has_from = false, has_to = false;
    TextCode from = TextCode::Ascii, to = TextCode::Ascii;
    for (std::size_t i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) return Usage();
        if (args[i] == "--from" && !has_from && ParseCode(args[i + 1], from, true)) has_from = true;
        else if (args[i] == "--to" && !has_to && ParseCode(args[i + 1], to, false)) has_to = true;
        else return Usage();
    }
    if (!has_to) return Usage();
    std::string text;
    if (!ReadStdin(text)) return 2;
    return WriteStdout(has_from ? ConvertFrom(text, from, to) : ConvertDetected(text, to));
}

}  // namespace kaveto::ctl
