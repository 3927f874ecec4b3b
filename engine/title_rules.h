#pragma once
// The user's title rules ("title.txt" in the program folder): one rule a
// line, "pattern,title" or "pattern,title,address".
#include <string>
#include <string_view>
#include <vector>

#include "engine/app_state.h"
#include "platform/seams.h"

namespace kaveto {

// Gives the first rule whose pattern matches page_url its say over
// title_txt (and, for a three-field rule, page_url), in both forms. The
// file is read anew on every call. Raises FileOpenError when it cannot be
// read, and the matcher's EBRegExpError for a rejected pattern.
void ApplyTitleRules(CaptureRecord& record, Environment& env);

// The same; returns the number (from 1) of the line that matched, or 0.
int ApplyTitleRulesLine(CaptureRecord& record, Environment& env);

// The same; what the matching rule gave: its line (from 1; 0 when none
// matched, and nothing was given), and whether it gave the address too.
struct TitleRuleMatch {
    int line = 0;
    bool address = false;
};
TitleRuleMatch MatchTitleRules(CaptureRecord& record, Environment& env);

// The lines of a text: a zero byte ends it; CR LF, CR and LF each end a line,
// and a last line without an end still counts.
std::vector<std::string> SplitLines(const std::string& text);

// The rules file as lines. A file that begins with the UTF-8 byte order
// mark is UTF-8 (the mark is no part of the first line); any other is
// Shift_JIS.
struct RulesFile {
    bool utf8 = false;
    std::vector<std::string> lines;
};
RulesFile ReadRulesFile(const std::string& file_bytes);

// The fields of one rule line: every comma separates two fields.
std::vector<std::string> RuleFields(const std::string& line);
// The same for a line in UTF-8.
std::vector<std::string> RuleFieldsUtf8(const std::string& line);

// The Shift_JIS form of a pattern written in UTF-8, for the matcher, which
// matches the Shift_JIS address. A character that Shift_JIS cannot hold is
// in the address as the "?" that stands in for it, so in the pattern it
// stands for that "?" too: it becomes "\?" (a plain "?" after a backslash
// that escapes it), never the quantifier a bare "?" would be.
std::string RulePatternToShiftJis(std::string_view utf8_pattern);

// The matcher's expression for a rule's pattern: slashes escaped, "m/"
// before and "/" after, no flags (the match is case-sensitive).
std::string RuleExpression(const std::string& pattern);

}  // namespace kaveto
