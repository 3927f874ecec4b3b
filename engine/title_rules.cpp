#include "engine/title_rules.h"

#include <algorithm>

#include "platform/errors.h"
#include "text/bregexp.h"
#include "text/text_helpers.h"

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

std::string RuleExpression(const std::string& pattern) {
    std::string escaped = pattern;
    ReplaceAll(escaped, "/", "\\/");
    return "m/" + escaped + "/";
}

int ApplyTitleRulesLine(CaptureRecord& record, Environment& env) {
    const std::string path = env.program_folder + "title.txt";
    std::string text;
    try {
        text = env.files.ReadAll(path);
    } catch (const FileError&) {
        throw FileOpenError(path);
    }
    const std::vector<std::string> lines = SplitLines(text);
    TBRegExp matcher;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::vector<std::string> fields = RuleFields(lines[i]);
        if (fields.size() < 2) continue;
        if (!matcher.Match(RuleExpression(fields[0]), record.page_url)) continue;
        record.title_txt = fields[1];
        if (fields.size() == 3) record.page_url = fields[2];
        return static_cast<int>(i + 1);
    }
    return 0;
}

void ApplyTitleRules(CaptureRecord& record, Environment& env) { ApplyTitleRulesLine(record, env); }

}  // namespace kaveto
