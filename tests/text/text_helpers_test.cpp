#include "text/text_helpers.h"

#include <gtest/gtest.h>

namespace kaveto {
namespace {

std::string Replaced(std::string text, std::string_view search, std::string_view replacement) {
    ReplaceAll(text, search, replacement);
    return text;
}

TEST(ReplaceAll, ReplacesLeftToRightWithoutOverlapOrRescanning) {
    EXPECT_EQ(Replaced("aaaa", "aa", "b"), "bb");
    EXPECT_EQ(Replaced("aaa", "aa", "b"), "ba");
    EXPECT_EQ(Replaced("%a%", "%a%", "%a%%a%"), "%a%%a%");  // inserted text not searched again
    EXPECT_EQ(Replaced("x/y/z", "/", "\\/"), "x\\/y\\/z");
    EXPECT_EQ(Replaced("abc", "", "X"), "abc");
    EXPECT_EQ(Replaced("", "a", "X"), "");
    EXPECT_EQ(Replaced("ABC", "b", "X"), "ABC");  // case-sensitive
    EXPECT_EQ(Replaced("abc", "c", ""), "ab");
}

TEST(ReplaceAll, NeverMatchesOnTheSecondByteOfADoubleByteCharacter) {
    // 0x95 0x5C is one Shift_JIS character whose second byte is a backslash.
    const std::string hyo = "\x95\x5c";
    EXPECT_EQ(Replaced(hyo + "r\\n", "\\r\\n", "\r\n"), hyo + "r\\n");
    EXPECT_EQ(Replaced(hyo + "\\r\\n", "\\r\\n", "\r\n"), hyo + "\r\n");
    // 0x83 0x41 (ア): "A" is its second byte; only the lone A is replaced.
    EXPECT_EQ(Replaced("\x83\x41" "A", "A", "B"), "\x83\x41" "B");
    // A lead byte at the very end stands alone.
    EXPECT_EQ(Replaced("a\x83", "\x83", "Z"), "aZ");
}

TEST(ReplaceAllIgnoreCase, FoldsAsciiLettersAndKeepsTheRest) {
    std::string text = "Example.URL and .url and .Url";
    ReplaceAllIgnoreCase(text, ".url", "");
    EXPECT_EQ(text, "Example and  and ");
    std::string dbcs = "\x83\x2e" "url";  // a double-byte character ending in '.'
    ReplaceAllIgnoreCase(dbcs, ".url", "");
    EXPECT_EQ(dbcs, "\x83\x2e" "url");
}

std::string U8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

// UTF-8 bytes are lead bytes of Shift_JIS often enough: "あ" is E3 81 82,
// three of them in a row. Read as Shift_JIS, the last pairs with the next
// byte and hides it; read as UTF-8, nothing is hidden.
TEST(ReplaceAllUtf8, FindsEveryOccurrenceWhereTheDoubleByteRuleWouldHideOne) {
    const std::string a = U8(u8"あ");
    std::string code_page = a + "\\r\\n";
    ReplaceAll(code_page, "\\r\\n", "\r\n");
    EXPECT_EQ(code_page, a + "\\r\\n") << "the double-byte rule takes the backslash for a second byte";
    std::string utf8 = a + "\\r\\n" + U8(u8"\U0001F600") + "%d%";
    ReplaceAllUtf8(utf8, "\\r\\n", "\r\n");
    ReplaceAllUtf8(utf8, "%d%", "7");
    EXPECT_EQ(utf8, a + "\r\n" + U8(u8"\U0001F600") + "7");
    // Whole characters are searched for as bytes, never half of one.
    std::string text = U8(u8"日本日");
    ReplaceAllUtf8(text, U8(u8"日"), "x");
    EXPECT_EQ(text, "x" + U8(u8"本") + "x");

    std::string name = a + "Example.URL" + a + ".url";
    ReplaceAllIgnoreCaseUtf8(name, ".url", "");
    EXPECT_EQ(name, a + "Example" + a);
}

TEST(ReadCommaListUtf8, SplitsAtEveryCommaAfterAnyCharacter) {
    const std::string a = U8(u8"あ");
    EXPECT_EQ(ReadCommaList(a + "," + a), (std::vector<std::string>{a + "," + a}))
        << "read as Shift_JIS, the comma hides inside a character";
    EXPECT_EQ(ReadCommaListUtf8(a + "," + a), (std::vector<std::string>{a, a}));
    EXPECT_EQ(ReadCommaListUtf8("\"" + a + ",\"\"x\"," + U8(u8"\U0001F600") + ","),
              (std::vector<std::string>{a + ",\"x", U8(u8"\U0001F600"), ""}));
}

TEST(TwoDigit, PadsBelowTen) {
    EXPECT_EQ(TwoDigit(0), "00");
    EXPECT_EQ(TwoDigit(7), "07");
    EXPECT_EQ(TwoDigit(10), "10");
    EXPECT_EQ(TwoDigit(2026), "2026");
}

TEST(PathNameStart, FindsTheLastRealSeparator) {
    const std::string hyo = "\x95\x5c";  // its second byte is a backslash
    struct Row {
        const char* name;
        std::string path;
        std::size_t start;
    } rows[] = {
        {"empty", "", 0},
        {"bare name", "log.txt", 0},
        {"backslash", "C:\\prog\\log.txt", 8},
        {"slash", "/tmp/log.txt", 5},
        {"trailing separator", "C:\\prog\\", 8},
        {"double-byte name", "C:\\log\\" + hyo + ".txt", 7},
        {"double-byte folder", "C:\\" + hyo + "\\x", 6},
        {"ends in a double-byte character", "C:\\" + hyo, 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(PathNameStart(row.path), row.start);
    }
}

using List = std::vector<std::string>;

TEST(ReadCommaList, ReadsItemsQuotesAndBlanks) {
    struct Case {
        const char* name;
        std::string text;
        List expected;
    } cases[] = {
        {"plain", "Sun,Mon,Tue", {"Sun", "Mon", "Tue"}},
        {"blank after comma", "Sun, Mon", {"Sun", "Mon"}},
        {"blank ends an item", "Sun Mon", {"Sun", "Mon"}},
        {"trailing comma", "a,b,", {"a", "b", ""}},
        {"trailing comma then blank", "a,b, ", {"a", "b"}},
        {"leading blanks", "  \t a", {"a"}},
        {"empty", "", {}},
        {"only blanks", "   ", {}},
        {"empty middle", "a,,b", {"a", "", "b"}},
        {"quoted comma", "\"a,b\",c", {"a,b", "c"}},
        {"doubled quote", "\"a\"\"b\",\"c\"", {"a\"b", "c"}},
        {"quote then text", "\"a\"b\",\"c\"", {"a", "b\"", "c"}},
        {"two quotes", "\"\"", {""}},
        {"unclosed quote", "\"abc", {"abc"}},
        {"zero byte ends", std::string("a,b\0,c", 6), {"a", "b"}},
        {"double-byte", "\x93\xfa,\x8c\x8e", {"\x93\xfa", "\x8c\x8e"}},
        {"quoted blank", "\"Holy day\",x", {"Holy day", "x"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadCommaList(c.text), c.expected);
    }
}

TEST(WriteCommaList, QuotesWhatNeedsItAndReadsBack) {
    EXPECT_EQ(WriteCommaList({"Sun", "Mon"}), "Sun,Mon");
    EXPECT_EQ(WriteCommaList({"Holy day", "x"}), "\"Holy day\",x");
    EXPECT_EQ(WriteCommaList({"a\"b"}), "\"a\"\"b\"");
    EXPECT_EQ(WriteCommaList({"a,b"}), "\"a,b\"");
    EXPECT_EQ(WriteCommaList({""}), "\"\"");
    EXPECT_EQ(WriteCommaList({}), "");
    EXPECT_EQ(WriteCommaList({"a", "b", ""}), "a,b,");
    for (const List& items : {List{"a", "", "b"}, List{"x y", "\"q\"", ",", "\x93\xfa"}, List{"a", "b", ""}}) {
        EXPECT_EQ(ReadCommaList(WriteCommaList(items)), items);
    }
}

TEST(ProgramTexts, AreShiftJisBytes) {
    // The sources are UTF-8; the compiler turns the program's texts into the
    // ANSI code page. 終了 is 8F 49 97 B9 in Shift_JIS.
    EXPECT_EQ(std::string("終了(&Z)"), "\x8f\x49\x97\xb9(&Z)");
    EXPECT_EQ(std::string("年"), "\x94\x4e");
}

}  // namespace
}  // namespace kaveto
