#pragma once
// The user's title rules ("title.txt" in the program folder): one rule a
// line, "pattern,title" or "pattern,title,address".
#include <string>
#include <vector>

#include "engine/app_state.h"
#include "platform/seams.h"

namespace kaveto {

// Gives the first rule whose pattern matches page_url its say over
// title_txt (and, for a three-field rule, page_url). The file is read anew
// on every call. Raises FileOpenError when it cannot be read, and the
// matcher's EBRegExpError for a rejected pattern.
void ApplyTitleRules(CaptureRecord& record, Environment& env);

// The same; returns the number (from 1) of the line that matched, or 0.
int ApplyTitleRulesLine(CaptureRecord& record, Environment& env);

// The lines of a text: a zero byte ends it; CR LF, CR and LF each end a line,
// and a last line without an end still counts.
std::vector<std::string> SplitLines(const std::string& text);

// The fields of one rule line: every comma separates two fields.
std::vector<std::string> RuleFields(const std::string& line);

// The matcher's expression for a rule's pattern: slashes escaped, "m/"
// before and "/" after, no flags (the match is case-sensitive).
std::string RuleExpression(const std::string& pattern);

}  // namespace kaveto
