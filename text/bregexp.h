#pragma once
// TBRegExp: a matcher object over the program's own regular-expression
// engine. Patterns are in the Perl form "m/regex/flags"; the compiled pattern
// is kept while the same pattern text is matched again.
#include <memory>
#include <string>

#include "text/error.h"

namespace kaveto {

class TBRegExp {
public:
    TBRegExp();
    ~TBRegExp();
    TBRegExp(const TBRegExp&) = delete;
    TBRegExp& operator=(const TBRegExp&) = delete;

    // True when the target matches. Raises EBRegExpError with the engine's
    // message (at most 80 characters) for a rejected pattern.
    bool Match(const std::string& pattern, const std::string& target);
    // Group `index` of the last successful match (0: the whole match).
    // Raises EBRegExpError "no strings now" / "index out of range".
    std::string Strings(int index);
    // Groups of the last match, the whole match included.
    int GroupCount() const;
    // Byte offsets of group `index` in the target of the last match, or
    // -1/-1 for a group that did not take part. False (and -1/-1) when no
    // results may be read or the index is out of range.
    bool GroupSpan(int index, long& start, long& end) const;

private:
    std::string GroupText(int index) const;
    void ReleaseStalePattern(const std::string& pattern);

    struct Compiled;
    unsigned char ResultMode = 0;
    std::unique_ptr<Compiled> PatternHandle;
};

}  // namespace kaveto
