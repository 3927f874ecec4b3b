#pragma once
// The plainest ReplaceAll there is: walks the text one character at a time
// from the start. The fast one is checked against it.
#include <string>

#include "text/text_helpers.h"

namespace kaveto::testing {

inline std::string ReferenceReplaceAll(const std::string& text, const std::string& search, const std::string& repl) {
    if (search.empty()) return text;
    std::string out;
    std::size_t p = 0;
    while (p < text.size()) {
        if (text.compare(p, search.size(), search) == 0) {
            out += repl;
            p += search.size();
            continue;
        }
        const std::size_t len = CharLength(text, p);
        out.append(text, p, len);
        p += len;
    }
    return out;
}

}  // namespace kaveto::testing
