#include "text/bregexp.h"

#include <vector>

#include "text/regex_engine.h"

namespace kaveto {

// The compiled pattern, the text it was compiled from (compared on the next
// Match) and the results of the last match. The whole match is copied out
// when it is found, so that the groups stay readable even if the caller
// changes or frees its target afterwards; the target itself is never copied.
struct TBRegExp::Compiled {
    explicit Compiled(const std::string& text) : pattern(text), regex(text) {}
    std::string pattern;
    regex::Regex regex;
    std::vector<long> spans;
    std::string matched;  // the bytes of group 0
};

TBRegExp::TBRegExp() = default;
TBRegExp::~TBRegExp() = default;

void TBRegExp::ReleaseStalePattern(const std::string& pattern) {
    if (PatternHandle && PatternHandle->pattern != pattern) PatternHandle.reset();
}

bool TBRegExp::Match(const std::string& pattern, const std::string& target) {
    ReleaseStalePattern(pattern);
    ResultMode = 0;
    if (!PatternHandle) {
        try {
            PatternHandle = std::make_unique<Compiled>(pattern);
        } catch (const regex::SyntaxError& e) {
            throw EBRegExpError(e.what());
        }
    }
    // An empty target is matched as one zero byte.
    static const char kZero = '\0';
    const std::string_view range = target.empty() ? std::string_view(&kZero, 1) : std::string_view(target);
    Compiled& c = *PatternHandle;
    if (!c.regex.Match(range, c.spans)) return false;
    c.matched.assign(range.substr(c.spans[0], c.spans[1] - c.spans[0]));
    ResultMode = 1;
    return true;
}

std::string TBRegExp::Strings(int index) {
    if (ResultMode == 0) throw EBRegExpError("no strings now");
    return GroupText(index);
}

int TBRegExp::GroupCount() const { return PatternHandle ? PatternHandle->regex.GroupCount() : 0; }

std::string TBRegExp::GroupText(int index) const {
    if (index < 0 || index >= GroupCount()) throw EBRegExpError("index out of range");
    const Compiled& c = *PatternHandle;
    const long start = c.spans[2 * index];
    const long end = c.spans[2 * index + 1];
    if (start < 0) return std::string();
    return c.matched.substr(start - c.spans[0], end - start);
}

bool TBRegExp::GroupSpan(int index, long& start, long& end) const {
    start = end = -1;
    if (ResultMode == 0 || index < 0 || index >= GroupCount()) return false;
    start = PatternHandle->spans[2 * index];
    end = PatternHandle->spans[2 * index + 1];
    return true;
}

}  // namespace kaveto
