// Telling a user's file in UTF-8 from one in Shift_JIS by its bytes.
#include <gtest/gtest.h>

#include <string>

#include "text/page_code.h"

namespace kaveto {
namespace {

std::string U8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

TEST(ReadsAsUtf8, TellsUtf8FromShiftJisAndAsciiFromBoth) {
    const struct {
        const char* name;
        std::string text;
        bool utf8;
    } cases[] = {
        {"empty", "", false},
        {"ASCII is both", "http://example.com/\r\n", false},
        {"Japanese in UTF-8", U8(u8"日本語 text"), true},
        {"accent and emoji", U8(u8"Caf\u00E9 \U0001F600"), true},
        {"a written replacement character is well formed", U8(u8"\uFFFD"), true},
        {"Japanese in Shift_JIS", "\x93\xfa\x96\x7b\x8c\xea", false},
        {"one kana in Shift_JIS", "x\x82\xa0", false},
        {"UTF-8 then a Shift_JIS character", U8(u8"日") + "\x93\xfa", false},
        {"a sequence cut at the end", "\xE6\x97", false},
        {"an overlong slash", "\xC0\xAF", false},
        {"a surrogate written in UTF-8", "\xED\xA0\x80", false},
        {"the byte order mark alone", "\xEF\xBB\xBF", true},
        // Half-width katakana pairs in Shift_JIS that happen to be UTF-8:
        // nothing in the bytes tells them apart.
        {"two half-width kana that form e-acute", "\xC3\xA9", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadsAsUtf8(c.text), c.utf8);
    }
}

}  // namespace
}  // namespace kaveto
