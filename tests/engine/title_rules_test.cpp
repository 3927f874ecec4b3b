#include "engine/title_rules.h"

#include <gtest/gtest.h>

#include "fakes/engine_fakes.h"
#include "platform/errors.h"

namespace kaveto {
namespace {

using fakes::FakeEnvironment;

TEST(RuleFields, EveryCommaSplitsAndBlanksStay) {
    struct Row {
        const char* name;
        std::string line;
        std::vector<std::string> fields;
    } rows[] = {
        {"two fields", "board/news,News", {"board/news", "News"}},
        {"blanks belong to the fields", "pattern, Title \t", {"pattern", " Title \t"}},
        {"blank before the comma", "pat ,T", {"pat ", "T"}},
        {"comma in the title splits", "pat,Hello, world", {"pat", "Hello", " world"}},
        {"trailing comma: empty title", "pat,", {"pat", ""}},
        {"leading comma: empty pattern", ",T", {"", "T"}},
        {"four fields", "a,b,c,d", {"a", "b", "c", "d"}},
        {"one field", "just a pattern", {"just a pattern"}},
        {"empty line", "", {""}},
        {"doubled quote", "a\"\"b,c", {"a\"b", "c"}},
        {"single quote", "a\"b,c", {"a", "b\"", "c"}},
        {"Shift_JIS kept whole", "\x83\x5c,\x95\x5c", {"\x83\x5c", "\x95\x5c"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(RuleFields(row.line), row.fields);
    }
    // Lines that leave a quote open: any split, but nothing read past the end.
    for (const char* line : {"pat,x\"", "\"", "a,\"", ",\"\"\""}) {
        SCOPED_TRACE(line);
        EXPECT_FALSE(RuleFields(line).empty());
    }
}

TEST(SplitLines, EveryLineEndAndTheZeroByte) {
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\n\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitLines("a\r\r\nb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitLines(std::string("a\nb\0c\nd", 7)), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(SplitLines("").empty());
}

struct TitleRulesTest : ::testing::Test {
    FakeEnvironment f;
    CaptureRecord r = fakes::ShiftJisRecord("", "", "Old title", "", "http://example.jp/board/news/1.html", "");
    int Apply(const std::string& rules) {
        f.files.Put("C:\\prog\\title.txt", rules);
        return ApplyTitleRulesLine(r, f.env);
    }
};

TEST_F(TitleRulesTest, FirstMatchingLineDecides) {
    struct Row {
        const char* name;
        std::string rules;
        int line;
        const char* title;
        const char* page_url;
    } rows[] = {
        {"empty file", "", 0, "Old title", "http://example.jp/board/news/1.html"},
        {"slash in the pattern", "board/news,News", 1, "News", "http://example.jp/board/news/1.html"},
        {"three fields replace the address", "example\\.jp,T,http://new/", 1, "T", "http://new/"},
        {"four fields set only the title", "news,T,a,b", 1, "T", "http://example.jp/board/news/1.html"},
        {"title with a comma", "news,Hello, world", 1, "Hello", " world"},
        {"trailing comma empties the title", "news,", 1, "", "http://example.jp/board/news/1.html"},
        {"blank before the comma is in the pattern", "news ,T", 0, "Old title",
         "http://example.jp/board/news/1.html"},
        {"case-sensitive", "BOARD/NEWS,T", 0, "Old title", "http://example.jp/board/news/1.html"},
        {"empty pattern matches all", ",Any", 1, "Any", "http://example.jp/board/news/1.html"},
        {"one-field lines skipped", "news\r\nboard,B", 2, "B", "http://example.jp/board/news/1.html"},
        {"first of several", "nomatch,X\nnews,First,http://a/\rboard,Second", 2, "First", "http://a/"},
        {"last line without an end", "zzz,X\r\nnews,N", 2, "N", "http://example.jp/board/news/1.html"},
        {"zero byte ends the text", std::string("zzz,X\n\0news,N", 13), 0, "Old title",
         "http://example.jp/board/news/1.html"},
        {"regular expression", "^http://[a-z]+\\.jp/b.ard,R", 1, "R", "http://example.jp/board/news/1.html"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        r.title_txt = FromShiftJis("Old title");
        r.page_url = FromShiftJis("http://example.jp/board/news/1.html");
        EXPECT_EQ(Apply(row.rules), row.line);
        EXPECT_EQ(r.title_txt.shift_jis, row.title);
        EXPECT_EQ(r.page_url.shift_jis, row.page_url);
    }
}

TEST_F(TitleRulesTest, EachLineSeesTheOriginalAddress) {
    // The first line's new address would match the second line; it stops.
    EXPECT_EQ(Apply("news,A,http://other/\nother,B"), 1);
    EXPECT_EQ(r.title_txt.shift_jis, "A");
}

TEST_F(TitleRulesTest, FileIsReadAnewEachTime) {
    EXPECT_EQ(Apply("news,One"), 1);
    r.title_txt = FromShiftJis("Old title");
    EXPECT_EQ(Apply("board,Two"), 1);
    EXPECT_EQ(r.title_txt.shift_jis, "Two");
}

TEST_F(TitleRulesTest, MissingFileNamesItsFullPath) {
    try {
        ApplyTitleRules(r, f.env);
        FAIL();
    } catch (const FileOpenError& e) {
        EXPECT_STREQ(e.what(), "\x83\x74\x83\x40\x83\x43\x83\x8b C:\\prog\\title.txt \x82\xcd\x8a\x4a\x82\xaf"
                               "\x82\xdc\x82\xb9\x82\xf1");
    }
    f.files.Put("C:\\prog\\title.txt", "");
    f.files.read_errors["C:\\prog\\title.txt"] = 32;
    EXPECT_THROW(ApplyTitleRules(r, f.env), FileOpenError);
    EXPECT_EQ(r.title_txt.shift_jis, "Old title");
}

TEST_F(TitleRulesTest, RejectedPatternStopsUnlessAnEarlierLineMatched) {
    EXPECT_THROW(Apply("nomatch,X\n(,Bad"), EBRegExpError);
    EXPECT_EQ(r.title_txt.shift_jis, "Old title");
    EXPECT_EQ(Apply("news,Good\n(,Bad"), 1);
    EXPECT_EQ(r.title_txt.shift_jis, "Good");
    // A slash the user escaped keeps the backslash: the expression then ends
    // early, at m/board\\/, and the rest reads as unknown flags.
    r.title_txt = FromShiftJis("Old title");
    EXPECT_THROW(Apply("board\\/news,T"), EBRegExpError);
    EXPECT_EQ(r.title_txt.shift_jis, "Old title");
}

}  // namespace
}  // namespace kaveto
