// The "HTML Format" block, read back as readers read it: by its offsets.
#include "text/html_format.h"

#include <gtest/gtest.h>

#include "capture/drop_payloads.h"
#include "tests/text/html_format_reader.h"

namespace kaveto {
namespace {

std::string U8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

TEST(BuildHtmlFormat, OffsetsHoldForAsciiAndJapaneseWithAndWithoutTheSource) {
    const std::string long_fragment(20000, 'x');  // the offsets pass four digits
    struct Row {
        const char* name;
        std::string fragment, source_url;
    } rows[] = {
        {"ASCII", "<a href=\"http://x/\">X</a>", "http://x/"},
        {"ASCII without a source", "<b>bold</b>", ""},
        {"Japanese", U8(u8"<a href=\"https://例.jp/\">日本語のページ \U0001F600</a>"),
         "https://example.jp/%E6%A4%9C%E7%B4%A2"},
        {"Japanese without a source", U8(u8"<blockquote>引用\r\n二行目</blockquote>"), ""},
        {"empty", "", "http://x/"},
        {"long", long_fragment, "file:///C:/a.htm"},
        {"markers inside the fragment", "<!--EndFragment--><!--StartFragment-->", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string block = BuildHtmlFormat(row.fragment, row.source_url);
        const testing::HtmlFormatReading reading = testing::ReadHtmlFormatBlock(block);
        EXPECT_EQ(reading.error, "");
        EXPECT_EQ(reading.fragment, row.fragment);
        EXPECT_EQ(reading.source_url, row.source_url);
        // The program's own reader of dragged blocks finds the same.
        const HtmlFormatHeader header = ParseHtmlFormat(block);
        EXPECT_EQ(header.version, "0.9");
        EXPECT_EQ(header.source_url, row.source_url);
        ASSERT_TRUE(header.html && header.fragment);
        EXPECT_EQ(header.html->end, block.size());
        EXPECT_EQ(block.substr(header.fragment->begin, header.fragment->end - header.fragment->begin), row.fragment);
    }
}

TEST(BuildHtmlFormat, AFragmentEndsAtItsFirstZeroAsTheClipboardsTextsDo) {
    const std::string block = BuildHtmlFormat(std::string("before\0after", 12), "");
    EXPECT_EQ(block.find('\0'), std::string::npos);
    EXPECT_EQ(testing::ReadHtmlFormatBlock(block).fragment, "before");
}

}  // namespace
}  // namespace kaveto
