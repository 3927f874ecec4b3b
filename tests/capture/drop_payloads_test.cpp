#include "capture/drop_payloads.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace kaveto {
namespace {

// UTF-16 little-endian bytes, as a global block holds them.
std::string Wide(std::u16string_view text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

std::string WithZero(std::u16string_view text) { return Wide(text) + std::string(2, '\0'); }

TEST(TextFromUtf16Block, StopsAtTheZeroUnitOrTheBlocksEnd) {
    struct Case {
        const char* name;
        std::string block;
        std::u16string text;
    } cases[] = {
        {"terminated", WithZero(u"日本語〜"), u"日本語〜"},
        {"rounded-up block with leftovers", WithZero(u"ab") + Wide(u"junk"), u"ab"},
        {"no terminator", Wide(u"abc"), u"abc"},
        {"odd last byte", Wide(u"ab") + "c", u"ab"},
        {"a zero high byte is no terminator", Wide(u"\u3042") + std::string("\x00\x30", 2), u"\u3042\u3000"},
        {"zero byte then odd end", std::string("a", 1) + std::string(1, '\0') + "\x00", u"a"},
        {"one byte", "x", u""},
        {"empty", "", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TextFromUtf16Block(c.block), c.text);
    }
}

// A FILEGROUPDESCRIPTORW block: the count, then one 592-byte record whose
// name starts 72 bytes in.
std::string DescriptorW(std::u16string_view name, std::uint32_t count = 1, std::size_t size = 4 + 592) {
    std::string block(std::max<std::size_t>(size, 4 + 72 + name.size() * 2), '\0');
    for (int i = 0; i < 4; ++i) block[i] = static_cast<char>(count >> (8 * i));
    block.replace(76, name.size() * 2, Wide(name));
    return block.substr(0, size);
}

TEST(DescriptorFirstNameW, ReadsTheFirstRecordsNameWithinTheBlock) {
    const std::u16string long_name(300, u'n');
    std::string with_next = DescriptorW(u"one.url", 2) + DescriptorW(u"two.url").substr(4);
    struct Case {
        const char* name;
        std::string block;
        std::u16string text;
    } cases[] = {
        {"a shortcut", DescriptorW(u"ページ.url"), u"ページ.url"},
        {"the first of two records", with_next, u"one.url"},
        {"a name filling its field", DescriptorW(long_name, 1, 4 + 592 + 600), std::u16string(260, u'n')},
        {"a block cut inside the name", DescriptorW(u"photo.png", 1, 76 + 7), u"pho"},
        {"a block ending before the name", DescriptorW(u"photo.png", 1, 76), u""},
        {"no record", DescriptorW(u"photo.png", 0), u""},
        {"a count of many", DescriptorW(u"a.url", 0xFFFFFFFFu), u"a.url"},
        {"empty", "", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DescriptorFirstNameW(c.block), c.text);
    }
}

TEST(AddressFromUrlBlock, TakesTheFirstLineWithoutBlanks) {
    struct Case {
        const char* name;
        std::u16string text;
        std::u16string address;
    } cases[] = {
        {"plain", u"https://example.jp/a?b=c", u"https://example.jp/a?b=c"},
        {"line end and more", u"http://x/\r\nsecond", u"http://x/"},
        {"lone LF", u"http://x/\nsecond", u"http://x/"},
        {"lone CR", u"http://x/\rsecond", u"http://x/"},
        {"blanks", u" \thttp://x/ \t", u"http://x/"},
        {"empty", u"", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AddressFromUrlBlockW(WithZero(c.text) + "garbage"), c.address);
        EXPECT_EQ(AddressFromUrlBlockW(Wide(c.text) + "z"), c.address) << "no terminator, odd size";
        std::string narrow(c.text.begin(), c.text.end());
        EXPECT_EQ(AddressFromUrlBlock(narrow + '\0' + "garbage"), std::string(c.address.begin(), c.address.end()));
        EXPECT_EQ(AddressFromUrlBlock(narrow), std::string(c.address.begin(), c.address.end()));
    }
}

// An "HTML Format" block with true offsets, as a browser writes it.
struct HtmlClip {
    std::string block;
    std::string html;
    std::string fragment;
};

std::string Offset(std::size_t n) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%010zu", n);
    return digits;
}

HtmlClip MakeClip(const std::string& source_url, const std::string& eol = "\r\n", bool with_source = true) {
    const std::string before = "<html><body>" + eol + "<!--StartFragment-->";
    const std::string fragment = "<b>\xE6\x97\xA5\xE6\x9C\xAC</b>";  // UTF-8 as written
    const std::string after = "<!--EndFragment-->" + eol + "</body></html>";
    std::string head = "Version:0.9" + eol + "StartHTML:" + Offset(0) + eol + "EndHTML:" + Offset(0) + eol +
                       "StartFragment:" + Offset(0) + eol + "EndFragment:" + Offset(0) + eol;
    if (with_source) head += "SourceURL:" + source_url + eol;
    const std::size_t start_html = head.size();
    const std::size_t start_fragment = start_html + before.size();
    const std::size_t end_fragment = start_fragment + fragment.size();
    const std::size_t end_html = end_fragment + after.size();
    auto put = [&](const std::string& field, std::size_t value) {
        const std::size_t at = head.find(field + ":") + field.size() + 1;
        head.replace(at, 10, Offset(value));
    };
    put("StartHTML", start_html);
    put("EndHTML", end_html);
    put("StartFragment", start_fragment);
    put("EndFragment", end_fragment);
    return {head + before + fragment + after, before + fragment + after, fragment};
}

std::string Field(const std::string& block, const std::string& name) {
    const std::size_t at = block.find(name + ":") + name.size() + 1;
    return block.substr(at, block.find_first_of("\r\n", at) - at);
}

std::string Replaced(std::string block, const std::string& name, const std::string& value) {
    const std::size_t at = block.find(name + ":") + name.size() + 1;
    return block.replace(at, block.find_first_of("\r\n", at) - at, value);
}

std::string Renamed(std::string block, const std::string& from, const std::string& to) {
    return block.replace(block.find(from), from.size(), to);
}

std::string SpanText(const std::string& block, const std::optional<HtmlFormatHeader::Span>& span) {
    return span ? block.substr(span->begin, span->end - span->begin) : "(none)";
}

TEST(ParseHtmlFormat, ReadsTheHeaderByItsLinesAndBelievesOnlyOffsetsThatHold) {
    const std::string url = "https://example.jp/page?q=1";
    const HtmlClip clip = MakeClip(url);
    const std::string& b = clip.block;
    const std::size_t body = b.find("<html>");
    const HtmlClip blanks = MakeClip(" " + url + "\t");
    // Each change keeps the block's length, so the other offsets stay true.
    struct Case {
        const char* name;
        std::string block;
        std::string version, source, html, fragment;
    } cases[] = {
        {"as browsers write it", b, "0.9", url, clip.html, clip.fragment},
        {"LF line ends", MakeClip(url, "\n").block, "0.9", url, MakeClip(url, "\n").html, clip.fragment},
        {"CR line ends", MakeClip(url, "\r").block, "0.9", url, MakeClip(url, "\r").html, clip.fragment},
        {"no SourceURL", MakeClip(url, "\r\n", false).block, "0.9", "", MakeClip(url, "\r\n", false).html,
         clip.fragment},
        {"blanks around the address", blanks.block, "0.9", url, blanks.html, clip.fragment},
        {"no Version", Renamed(b, "Version:", "Xersion:"), "", url, clip.html, clip.fragment},
        {"no EndHTML", Renamed(b, "EndHTML:", "EndHTMX:"), "0.9", url, "(none)", clip.fragment},
        {"EndHTML beyond the block", Replaced(b, "EndHTML", Offset(b.size() + 1)), "0.9", url, "(none)",
         clip.fragment},
        {"StartHTML inside the header", Replaced(b, "StartHTML", Offset(20)), "0.9", url, "(none)", clip.fragment},
        {"StartHTML negative: no context", Replaced(b, "StartHTML", "-000000001"), "0.9", url, "(none)",
         clip.fragment},
        {"StartHTML no number", Replaced(b, "StartHTML", "0x0000009A"), "0.9", url, "(none)", clip.fragment},
        {"StartHTML blank", Replaced(b, "StartHTML", std::string(10, ' ')), "0.9", url, "(none)", clip.fragment},
        {"fragment backwards", Replaced(Replaced(b, "EndFragment", Field(b, "StartFragment")), "StartFragment",
                                        Field(b, "EndFragment")),
         "0.9", url, clip.html, "(none)"},
        {"rounded-up block", b + std::string(1, '\0') + "SourceURL:http://junk/", "0.9", url, clip.html,
         clip.fragment},
        {"cut inside the page", b.substr(0, body + 5), "0.9", url, "(none)", "(none)"},
        {"cut inside SourceURL", b.substr(0, b.find("SourceURL:") + 18), "0.9", "", "(none)", "(none)"},
        {"cut after the header", b.substr(0, body), "0.9", url, "(none)", "(none)"},
        {"no header at all", "<html><body>SourceURL:http://x/</body></html>", "", "", "(none)", "(none)"},
        {"empty", "", "", "", "(none)", "(none)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const HtmlFormatHeader header = ParseHtmlFormat(c.block);
        EXPECT_EQ(header.version, c.version);
        EXPECT_EQ(header.source_url, c.source);
        EXPECT_EQ(SpanText(c.block, header.html), c.html);
        EXPECT_EQ(SpanText(c.block, header.fragment), c.fragment);
        EXPECT_LE(header.header_end, c.block.size());
    }
}

TEST(ParseHtmlFormat, APageLineAtTheStartOffsetIsNoHeaderLine) {
    // The page's own text looks like a header line; StartHTML says where the
    // page begins, so it is not read as the source.
    std::string head = "Version:1.0\r\nStartHTML:0000000000\r\nEndHTML:0000000000\r\n";
    const std::string page = "SourceURL:http://page-text/\r\n<p>x</p>";
    const std::size_t start = head.size();
    head.replace(head.find("StartHTML:") + 10, 10, Offset(start));
    head.replace(head.find("EndHTML:") + 8, 10, Offset(start + page.size()));
    const HtmlFormatHeader header = ParseHtmlFormat(head + page);
    EXPECT_EQ(header.source_url, "");
    EXPECT_EQ(header.header_end, start);
    EXPECT_EQ(SpanText(head + page, header.html), page);

    // An offset too long to be a number is none.
    const std::string huge = "Version:0.9\r\nStartHTML:99999999999999999999999\r\nEndHTML:0000000060\r\n" +
                             std::string(10, 'x');
    EXPECT_FALSE(ParseHtmlFormat(huge).html);

    // The first value of a field counts.
    const std::string twice = "Version:0.9\r\nSourceURL:http://first/\r\nSourceURL:http://second/\r\n";
    EXPECT_EQ(ParseHtmlFormat(twice).source_url, "http://first/");
}

TEST(ParseMozUrl, TakesTheAddressAndTheTitleLines) {
    struct Case {
        const char* name;
        std::u16string text;
        std::u16string address, title;
    } cases[] = {
        {"address and title", u"https://example.jp/\nページの題 〜", u"https://example.jp/", u"ページの題 〜"},
        {"CR LF", u"http://x/\r\nTitle\r\n", u"http://x/", u"Title"},
        {"lone CR", u"http://x/\rTitle", u"http://x/", u"Title"},
        {"more lines", u"http://x/\nTitle\nhttp://y/\nOther", u"http://x/", u"Title"},
        {"address only (the page's address)", u"http://page/", u"http://page/", u""},
        {"empty title", u"http://x/\n", u"http://x/", u""},
        {"empty first line", u"\nTitle", u"", u"Title"},
        {"empty", u"", u"", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const std::string& block : {WithZero(c.text) + Wide(u"\nleft over"), Wide(c.text) + "!"}) {
            const MozUrl url = ParseMozUrl(block);
            EXPECT_EQ(url.address, c.address);
            EXPECT_EQ(url.title, c.title);
        }
    }
}

TEST(DropAddressRules, PageAddressesAndPictureNames) {
    const std::pair<const char*, bool> addresses[] = {
        {"http://x/", true},       {"https://x/", true},   {"HTTPS://X/", true},    {"file:///C:/a.htm", true},
        {"File://server/a", true}, {"about:blank", false}, {"chrome://newtab", false}, {"data:text/html,x", false},
        {"httpx://x/", false},     {"http:/x", false},     {"", false},             {" http://x/", false},
    };
    for (const auto& [address, page] : addresses) {
        SCOPED_TRACE(address);
        EXPECT_EQ(IsWebOrFileAddress(address), page);
    }
    const std::pair<const char*, bool> names[] = {
        {"photo.png", true},  {"Example.url", false}, {"Example.URL", false}, {".url", false},
        {"a.url.png", true},  {"url", true},          {"", false},            {"\x83\x79\x81\x5B\x83\x57.Url", false},
    };
    for (const auto& [name, picture] : names) {
        SCOPED_TRACE(name);
        EXPECT_EQ(NamesCachedFile(name), picture);
    }
}

}  // namespace
}  // namespace kaveto
