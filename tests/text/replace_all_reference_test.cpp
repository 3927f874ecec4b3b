// ReplaceAll against a plain reference that walks the text one character at
// a time from the start, on generated texts dense in lead bytes, backslashes
// and partial occurrences: both the in-place and the growing path.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/text/replace_all_reference.h"
#include "text/text_helpers.h"

namespace kaveto {
namespace {

using testing::ReferenceReplaceAll;

TEST(ReplaceAll, AgreesWithACharacterWalkOnGeneratedTexts) {
    std::mt19937 rng(20261208);
    const char alphabet[] = {'\x83', '\x95', '\\', 'r', 'n', 'a', '%', '\x5c', '\xe0', 'A'};
    const std::string searches[] = {"\\r\\n", "\\", "r", "\x83\\", "\\r", "%a%", "\x83\x83", "rn"};
    const std::string replacements[] = {"", "\r\n", "Z", "\x83", "long replacement \x95\x5c"};
    auto random_text = [&](std::size_t max) {
        std::string s(rng() % max, ' ');
        for (char& c : s) c = alphabet[rng() % sizeof alphabet];
        return s;
    };
    for (int i = 0; i < 4000; ++i) {
        const std::string text = random_text(40);
        const std::string& search = searches[rng() % std::size(searches)];
        const std::string& repl = replacements[rng() % std::size(replacements)];
        std::string got = text;
        ReplaceAll(got, search, repl);
        ASSERT_EQ(got, ReferenceReplaceAll(text, search, repl))
            << "text " << ::testing::PrintToString(text) << " search " << ::testing::PrintToString(search)
            << " replacement " << ::testing::PrintToString(repl);
    }
}

TEST(ReplaceAll, ReplacementTakenFromTheTextItself) {
    std::string text = "abcabc";
    const std::string_view inside(text.data() + 1, 1);  // "b", shorter than the search
    ReplaceAll(text, "ca", inside);
    EXPECT_EQ(text, "abbbc");
}

}  // namespace
}  // namespace kaveto
