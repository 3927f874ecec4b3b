// The escapes a placeholder's value may be put in with, and the addresses an
// HTML snippet may link to.
#include "text/text_escapes.h"

#include <gtest/gtest.h>

namespace kaveto {
namespace {

std::string U8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

TEST(EscapeHtml, ReplacesTheFiveCharactersAndKeepsEveryOther) {
    EXPECT_EQ(EscapeHtml("a & b < c > d \" e ' f"), "a &amp; b &lt; c &gt; d &quot; e &#39; f");
    EXPECT_EQ(EscapeHtml("&amp;"), "&amp;amp;") << "an entity already there is text too";
    EXPECT_EQ(EscapeHtml(U8(u8"日本語 <b>")), U8(u8"日本語 &lt;b&gt;"));
    EXPECT_EQ(EscapeHtml("\x83\x5c<"), "\x83\x5c&lt;") << "Shift_JIS passes";
    EXPECT_EQ(EscapeHtml(""), "");
}

TEST(EscapeMarkdown, PutsABackslashBeforeEachMarkAndJoinsTheLines) {
    struct Row {
        const char* name;
        std::string text, utf8, shift_jis;  // the value, its UTF-8 result, the Shift_JIS result of its bytes
    } rows[] = {
        {"every mark", "\\`*_[]<>|", "\\\\\\`\\*\\_\\[\\]\\<\\>\\|", "\\\\\\`\\*\\_\\[\\]\\<\\>\\|"},
        {"other punctuation stays", "a#b!c(d)e{f}g~h+i-j.k", "a#b!c(d)e{f}g~h+i-j.k", "a#b!c(d)e{f}g~h+i-j.k"},
        {"each line end one space", "a\r\nb\rc\nd\n\ne", "a b c d  e", "a b c d  e"},
        {"Japanese in brackets", U8(u8"[見出し] a*b"), U8(u8"\\[見出し\\] a\\*b"), ""},
        // 83 5C is "ソ" and 95 5C "表": their second bytes are no backslash.
        {"second bytes are no marks", "\x83\x5c\x95\x5c[\x83\x7c]", "", "\x83\x5c\x95\x5c\\[\x83\x7c\\]"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (!row.utf8.empty()) {
            EXPECT_EQ(EscapeMarkdownUtf8(row.text), row.utf8);
        }
        if (!row.shift_jis.empty()) {
            EXPECT_EQ(EscapeMarkdown(row.text), row.shift_jis);
        }
    }
}

TEST(EscapeUrl, EncodesWhatBreaksALinkAndKeepsTheRest) {
    struct Row {
        const char* name;
        std::string text, expected;
    } rows[] = {
        {"a Japanese address with a space and brackets", U8(u8"https://example.jp/検索?q=a b(c)"),
         "https://example.jp/%E6%A4%9C%E7%B4%A2?q=a%20b%28c%29"},
        {"every listed character", " \"<>()\\^`{|}", "%20%22%3C%3E%28%29%5C%5E%60%7B%7C%7D"},
        {"control characters", std::string("a\tb\r\nc\x7F") + std::string(1, '\0'), "a%09b%0D%0Ac%7F%00"},
        {"an existing escape stays", "https://x.test/a%20b?c=%E3%81%82&d=1#f",
         "https://x.test/a%20b?c=%E3%81%82&d=1#f"},
        {"a lone percent sign stays", "100%", "100%"},
        {"reserved and unreserved stay", "!#$&'*+,/:;=?@[]~-._", "!#$&'*+,/:;=?@[]~-._"},
        {"an emoji is its four bytes", U8(u8"\U0001F600"), "%F0%9F%98%80"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string escaped = EscapeUrl(row.text);
        EXPECT_EQ(escaped, row.expected);
        for (const char c : escaped) EXPECT_TRUE(c > 0x20 && c < 0x7F) << "not plain ASCII: " << int(c);
    }
}

TEST(IsLinkableAddress, TakesWebFileAndMailAddressesInAnyCase) {
    for (const char* yes : {"http://x/", "HTTPS://x/", "file:///C:/a.htm", "mailto:a@b", "Http:x", "MailTo:"}) {
        SCOPED_TRACE(yes);
        EXPECT_TRUE(IsLinkableAddress(yes));
    }
    for (const char* no : {"javascript:alert(1)", "JavaScript:x", "data:text/html,<script>", "vbscript:x", "",
                           " http://x/", "\thttp://x/", "htt", "ftp://x/", "//x/", "relative/page.html"}) {
        SCOPED_TRACE(no);
        EXPECT_FALSE(IsLinkableAddress(no));
    }
}

}  // namespace
}  // namespace kaveto
