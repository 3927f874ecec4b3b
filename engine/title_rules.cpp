#include "engine/title_rules.h"

#include <algorithm>

#include "platform/errors.h"
#include "text/bregexp.h"
#include "text/text_helpers.h"
#include "text/page_code.h"
#include "text/unicode.h"

namespace kaveto {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    const std::size_t end = std::min(text.find('\0'), text.size());
    std::size_t start = 0;
    std::size_t p = 0;
    while (p < end) {
        const char c = text[p];
        if (c != '\r' && c != '\n') {
            ++p;
            continue;
        }
        lines.emplace_back(text, start, p - start);
        p += (c == '\r' && p + 1 < end && text[p + 1] == '\n') ? 2 : 1;
        start = p;
    }
    if (start < end) lines.emplace_back(text, start, end - start);
    return lines;
}

std::vector<std::string> RuleFields(const std::string& line) {
    // The line becomes a comma list of quoted items, so that blanks stay in
    // the fields and every comma splits.
    std::string list = line;
    ReplaceAll(list, ",", "\",\"");
    return ReadCommaList("\"" + list + "\"");
}

std::vector<std::string> RuleFieldsUtf8(const std::string& line) {
    std::string list = line;
    ReplaceAllUtf8(list, ",", "\",\"");
    return ReadCommaListUtf8("\"" + list + "\"");
}

RulesFile ReadRulesFile(const std::string& file_bytes) {
    RulesFile file;
    file.utf8 = StartsWithUtf8Bom(file_bytes);
    file.lines = SplitLines(file.utf8 ? file_bytes.substr(kUtf8ByteOrderMark.size()) : file_bytes);
    return file;
}

std::string RulePatternToShiftJis(std::string_view utf8_pattern) {
    std::string out;
    out.reserve(utf8_pattern.size());
    std::size_t backslashes = 0;  // just before the character, in a row
    for (std::size_t pos = 0; pos < utf8_pattern.size();) {
        const char32_t c = NextUtf8(utf8_pattern, pos);
        if (c < 0x80) {
            out += static_cast<char>(c);
            backslashes = c == '\\' ? backslashes + 1 : 0;
            continue;
        }
        std::string bytes;
        if (AppendShiftJis(c, bytes)) out += bytes;
        else out += backslashes % 2 == 1 ? "?" : "\\?";
        backslashes = 0;
    }
    return out;
}

std::string RuleExpression(const std::string& pattern) {
    std::string escaped = pattern;
    ReplaceAll(escaped, "/", "\\/");
    return "m/" + escaped + "/";
}

TitleRuleMatch MatchTitleRules(CaptureRecord& record, Environment& env) {
    const std::string path = env.program_folder + "title.txt";
    std::string text;
    try {
        text = env.files.ReadAll(path);
    } catch (const FileError&) {
        throw FileOpenError(path);
    }
    const RulesFile file = ReadRulesFile(text);
    // A field in the file's code in both forms.
    const auto both = [&](const std::string& field) { return file.utf8 ? FromUtf8(field) : FromShiftJis(field); };
    TBRegExp matcher;
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        const std::vector<std::string> fields = file.utf8 ? RuleFieldsUtf8(file.lines[i]) : RuleFields(file.lines[i]);
        if (fields.size() < 2) continue;
        const std::string pattern = file.utf8 ? RulePatternToShiftJis(fields[0]) : fields[0];
        if (!matcher.Match(RuleExpression(pattern), record.page_url.shift_jis)) continue;
        record.title_txt = both(fields[1]);
        if (fields.size() == 3) record.page_url = both(fields[2]);
        return {static_cast<int>(i + 1), fields.size() == 3};
    }
    return {};
}

int ApplyTitleRulesLine(CaptureRecord& record, Environment& env) { return MatchTitleRules(record, env).line; }

void ApplyTitleRules(CaptureRecord& record, Environment& env) { MatchTitleRules(record, env); }

}  // namespace kaveto
