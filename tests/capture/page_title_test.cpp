#include "capture/page_title.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace kaveto {
namespace {

using namespace std::string_literals;

TEST(FindTitleElement, FindsTheFirstTitleElementAsABrowserDoes) {
    struct Case {
        const char* name;
        std::string page;
        std::optional<std::string> text;
    } cases[] = {
        {"one line", "<head><title>Hi</title></head>", "Hi"},
        {"three lines", "<title>\r\n  one\r\n  two\r\n</title>", "\r\n  one\r\n  two\r\n"},
        {"attributes", "<title data-rh=\"true\">Hi</title>", "Hi"},
        {"attributes over lines", "<title\r\n  lang=ja\r\n  id='t'>Hi</title>", "Hi"},
        {"quoted > in an attribute", "<title data-x=\"a>b\" data-y='c>d'>Hi</title>", "Hi"},
        {"tag names in any case", "<TITLE>Hi</Title >", "Hi"},
        {"end tag with a slash", "<title>Hi</title/>", "Hi"},
        {"self-closing start tag", "<title/>Hi</title>", "Hi"},
        {"longer tag names skipped", "<titles>x</titles><title-x>y<title>Hi</title>", "Hi"},
        {"other end tags are text", "<title>a</titles>b</b></title>", "a</titles>b</b>"},
        {"first element wins", "<title>\nOne\n</title><title>Two</title>", "\nOne\n"},
        {"empty", "<title></title>", ""},
        {"second byte 5C", "<title>\x83\x5c</title>", "\x83\x5c"},
        {"no end tag", "<title>Hi\r\n<body>", std::nullopt},
        {"end tag cut off", "<title>Hi</title", std::nullopt},
        {"start tag never ends", "<title data-x=\"Hi</title>", std::nullopt},
        {"start tag name cut off", "<title", std::nullopt},
        {"no title", "<html><body>x</body></html>", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto found = FindTitleElement(c.page);
        EXPECT_EQ(found ? std::optional<std::string>(std::string(*found)) : std::nullopt, c.text);
    }
}

TEST(FindTitleElement, LooksOnlyWithinItsBounds) {
    const std::string element = "<title>\r\nFar\r\n</title>";
    const auto at = [&](std::size_t offset) { return FindTitleElement(std::string(offset, 'x') + element); };
    EXPECT_TRUE(at(kTitleSearchLimit - 1).has_value());
    EXPECT_FALSE(at(kTitleSearchLimit).has_value()) << "a title that starts past the limit";

    // The whole element within the stretch, end tag included.
    const std::string fill = std::string(kTitleStretch - 7 - 8 - 2, 'a');
    EXPECT_TRUE(FindTitleElement("<title>" + fill + "\r\n</title>").has_value());
    EXPECT_FALSE(FindTitleElement("<title>" + fill + "\r\n \r\n</title>").has_value());
    EXPECT_FALSE(FindTitleElement("<title>" + std::string(kTitleStretch, 'a') + "</title><title>B</title>").has_value())
        << "an element too long is the title still; no later one is taken";
}

TEST(LayOutTitle, DecodesReferencesAndCollapsesWhiteSpace) {
    struct Case {
        const char* name;
        std::string raw, shown;
    } cases[] = {
        {"markup references", "Tom &amp; Jerry &lt;3&gt; &quot;x&quot; &apos;y&#39;", "Tom & Jerry <3> \"x\" 'y'"},
        {"numeric references", "&#65;&#x42;&#X43;&#x3042;", "ABC\x82\xa0"},
        {"no-break space kept as a plain space", "a&nbsp;b&#160;c&#xA0;&nbsp;d", "a b c  d"},
        {"no-break space not trimmed", "&nbsp;a&nbsp;", " a "},
        {"white space collapsed and trimmed", "  \r\n\ta \t b\r\n\r\n  c \f", "a b c"},
        {"white space written as references", "&#32;a&#10;&#9;b&#13;&#x20;", "a b"},
        {"in Shift_JIS", "&times;&divide;&alpha;&Omega;&hellip;&minus;&cent;&pound;&not;&sect;",
         "\x81\x7e\x81\x80\x83\xbf\x83\xb6\x81\x63\x81\x7c\x81\x91\x81\x92\x81\xca\x81\x98"},
        {"JIS dashes", "&mdash;&#8212;&#151;&#x2015;&#x301C;", "\x81\x5c\x81\x5c\x81\x5c\x81\x5c\x81\x60"},
        {"outside Shift_JIS", "caf&eacute; &copy; &ndash; &#150; &#x1F600;!", "caf? ? ? ? ?!"},
        {"malformed references stay", "AT&T &amp &AMP; &foo; &#; &#x; &#12a; & amp; &#0; &#xD800;",
         "AT&T &amp &AMP; &foo; &#; &#x; &#12a; & amp; &#0; &#xD800;"},
        {"decoded once", "&amp;amp; &amp;#38;", "&amp; &#38;"},
        {"Shift_JIS around references", "\x93\xfa\x96\x7b&amp;\x83\x5c", "\x93\xfa\x96\x7b&\x83\x5c"},
        {"a lead byte takes the next byte with it", "\x83&amp;", "\x83&amp;"},
        {"nothing but white space", " \r\n\t ", ""},
        {"empty", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LayOutTitle(c.raw), c.shown);
    }
}

}  // namespace
}  // namespace kaveto
