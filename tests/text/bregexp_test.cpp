// The matcher object: results readable only after a successful match, the
// compiled pattern kept while the pattern text stays the same, the empty
// target matched as one zero byte, the engine's messages passed on.
#include "text/bregexp.h"

#include <gtest/gtest.h>

#include <string>

#include "text/regex_engine.h"

namespace kaveto {
namespace {

const std::string kTitlePattern = "m/\\<title\\>(.+)\\<\\/title\\>/i";

std::string ErrorOf(TBRegExp& re, int index) {
    try {
        re.Strings(index);
    } catch (const EBRegExpError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(TBRegExp, ReadsTheTitleBetweenCapitalTags) {
    struct Page {
        const char* name;
        std::string html;
        bool matches;
        std::string title;
    };
    const Page kPages[] = {
        {"capital tags", "<HTML><HEAD>\r\n<TITLE>Kaveto news</TITLE>\r\n</HEAD>", true, "Kaveto news"},
        {"mixed case", "<html><Title>a</tItLe>", true, "a"},
        {"two titles on a line: the first opening to the last closing tag",
         "<title>One</title><title>Two</title>\n<title>Three</title>", true, "One</title><title>Two"},
        {"title broken over lines", "<title>One\nTwo</title>", false, ""},
        {"empty title", "<title></title>", false, ""},
        {"kanji title whose second bytes are backslashes",
         "<title>\x95\x5c\x8e\xa6\x83\x5c</title>", true, "\x95\x5c\x8e\xa6\x83\x5c"},
        {"no title", "<html><body>title</body></html>", false, ""},
    };
    for (const Page& page : kPages) {
        SCOPED_TRACE(page.name);
        TBRegExp re;
        ASSERT_EQ(re.Match(kTitlePattern, page.html), page.matches);
        if (page.matches) {
            EXPECT_EQ(re.Strings(1), page.title);
            EXPECT_EQ(re.GroupCount(), 2);
        } else {
            EXPECT_EQ(ErrorOf(re, 1), "no strings now");
        }
    }
}

TEST(TBRegExp, GroupZeroIsTheWholeMatchAndSpansAreTargetOffsets) {
    TBRegExp re;
    ASSERT_TRUE(re.Match("m/b(c)(x)?/", "abcd"));
    EXPECT_EQ(re.Strings(0), "bc");
    EXPECT_EQ(re.Strings(1), "c");
    EXPECT_EQ(re.Strings(2), "");  // did not take part
    long start, end;
    EXPECT_TRUE(re.GroupSpan(1, start, end));
    EXPECT_EQ(start, 2);
    EXPECT_EQ(end, 3);
    EXPECT_TRUE(re.GroupSpan(2, start, end));
    EXPECT_EQ(start, -1);
    EXPECT_EQ(end, -1);
    EXPECT_FALSE(re.GroupSpan(3, start, end));
}

TEST(TBRegExp, IndexOutOfRange) {
    TBRegExp re;
    ASSERT_TRUE(re.Match("m/(a)(b)/", "ab"));
    EXPECT_EQ(re.GroupCount(), 3);
    EXPECT_EQ(ErrorOf(re, 3), "index out of range");  // parenthesised groups plus one
    EXPECT_EQ(ErrorOf(re, -1), "index out of range");
    EXPECT_EQ(re.Strings(2), "b");
}

TEST(TBRegExp, NoStringsBeforeAMatchOrAfterAFailedOne) {
    TBRegExp re;
    EXPECT_EQ(ErrorOf(re, 0), "no strings now");
    ASSERT_TRUE(re.Match("m/(a)/", "a"));
    EXPECT_EQ(re.Strings(1), "a");
    ASSERT_FALSE(re.Match("m/(a)/", "b"));  // the earlier success no longer counts
    EXPECT_EQ(ErrorOf(re, 1), "no strings now");
    long start, end;
    EXPECT_FALSE(re.GroupSpan(0, start, end));
}

TEST(TBRegExp, MalformedPatternRaisesTheEnginesMessage) {
    TBRegExp re;
    ASSERT_TRUE(re.Match("m/a/", "a"));
    try {
        re.Match("m/(a/", "a");
        FAIL() << "no error";
    } catch (const EBRegExpError& e) {
        EXPECT_STREQ(e.what(), "unmatched ( in regex");
    }
    EXPECT_EQ(ErrorOf(re, 0), "no strings now");
    EXPECT_THROW(re.Match("m/a/q", "a"), EBRegExpError);
    // The matcher still works with a good pattern afterwards.
    EXPECT_TRUE(re.Match("m/a/", "a"));
}

TEST(TBRegExp, KeepsTheCompiledPatternWhileThePatternTextStaysTheSame) {
    TBRegExp re;
    const auto before = regex::CompiledPatternCount();
    EXPECT_TRUE(re.Match("m/ab/", "xab"));
    EXPECT_FALSE(re.Match("m/ab/", "xa"));
    EXPECT_TRUE(re.Match("m/ab/", "ab"));
    EXPECT_EQ(regex::CompiledPatternCount(), before + 1);
    EXPECT_TRUE(re.Match("m/ab/i", "AB"));  // another text: compiled anew
    EXPECT_EQ(regex::CompiledPatternCount(), before + 2);
    EXPECT_TRUE(re.Match("m/ab/", "ab"));
    EXPECT_EQ(regex::CompiledPatternCount(), before + 3);
}

TEST(TBRegExp, TitleRulePatternsWithEscapedSlashes) {
    // A rule's pattern is passed with every "/" written as "\/".
    TBRegExp re;
    EXPECT_TRUE(re.Match("m/^http:\\/\\/www\\.example\\.com\\//", "http://www.example.com/news/1.html"));
    EXPECT_FALSE(re.Match("m/^http:\\/\\/www\\.example\\.com\\//", "https://www.example.com/"));
    EXPECT_TRUE(re.Match("m/\\/\\d+\\.html$/", "http://a/b/12.html"));
}

// The empty target is matched as one zero byte: a pattern that needs an
// empty text (^$) does not match it, one that takes any character does, and
// offsets refer to that byte.
TEST(TBRegExp, EmptyTargetIsOneZeroByte) {
    struct Case {
        const char* pattern;
        bool matches;
        std::string whole;
    };
    const Case kCases[] = {
        {"m/^$/", false, ""},
        {"m/^\\z/", false, ""},
        {"m/^\\0$/", true, std::string(1, '\0')},
        {"m/./", true, std::string(1, '\0')},
        {"m/^/", true, ""},
        {"m/a*/", true, ""},
        {"m/a/", false, ""},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.pattern);
        TBRegExp re;
        ASSERT_EQ(re.Match(c.pattern, ""), c.matches);
        if (c.matches) {
            EXPECT_EQ(re.Strings(0), c.whole);
        }
    }
    TBRegExp re;
    ASSERT_TRUE(re.Match("m/.$/", ""));
    long start, end;
    re.GroupSpan(0, start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 1);
}

TEST(TBRegExp, GroupTextsOutliveAChangeOfTheTarget) {
    TBRegExp re;
    std::string target = "<title>Old</title>";
    ASSERT_TRUE(re.Match(kTitlePattern, target));
    target.assign(target.size(), 'x');
    EXPECT_EQ(re.Strings(1), "Old");
}

TEST(TBRegExp, DoubleByteCharactersAreWhole) {
    TBRegExp re;
    // 表 (0x95 0x5C) in the pattern: its second byte is no escape.
    EXPECT_TRUE(re.Match("m/\x95\x5c(.)/", "a\x95\x5c\x8a\xbf"));
    EXPECT_EQ(re.Strings(1), "\x8a\xbf");
    EXPECT_FALSE(re.Match("m/\x95\x5c/", "\\\\"));
    // A class of kanji and a range of katakana.
    EXPECT_TRUE(re.Match("m/[\x8a\xbf\x8e\x9a]+/", "a\x8e\x9a\x8a\xbf" "b"));
    EXPECT_EQ(re.Strings(0), "\x8e\x9a\x8a\xbf");
    EXPECT_TRUE(re.Match("m/[\x83\x41-\x83\x93]+/", "\x83\x40\x83\x41\x83\x5c" "A"));
    EXPECT_EQ(re.Strings(0), "\x83\x41\x83\x5c");
    // No match starts on a second byte: "\" inside 表, "A" inside ア.
    EXPECT_FALSE(re.Match("m/\\\\/", "\x95\x5c"));
    EXPECT_FALSE(re.Match("m/A/i", "\x83\x41"));
    EXPECT_TRUE(re.Match("m/a/i", "\x83\x41" "A"));
    long start, end;
    re.GroupSpan(0, start, end);
    EXPECT_EQ(start, 2);
}

}  // namespace
}  // namespace kaveto
