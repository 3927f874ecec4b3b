#include "text/html_references.h"

#include <gtest/gtest.h>

#include <string>

namespace kaveto {
namespace {

TEST(ReadCharacterReference, ReadsNamedAndNumericReferences) {
    struct Case {
        std::string text;
        char32_t character;
        std::size_t length;
    } cases[] = {
        // Markup and the Latin-1 set, first and last of each run.
        {"&amp;", '&', 5}, {"&lt;", '<', 4}, {"&gt;", '>', 4}, {"&quot;", '"', 6}, {"&apos;", '\'', 6},
        {"&nbsp;", 0xA0, 6}, {"&copy;", 0xA9, 6}, {"&frac34;", 0xBE, 8}, {"&Agrave;", 0xC0, 8},
        {"&THORN;", 0xDE, 7}, {"&szlig;", 0xDF, 7}, {"&eacute;", 0xE9, 8}, {"&yuml;", 0xFF, 6},
        // Symbols.
        {"&fnof;", 0x192, 6}, {"&Alpha;", 0x391, 7}, {"&Sigma;", 0x3A3, 7}, {"&Omega;", 0x3A9, 7},
        {"&alpha;", 0x3B1, 7}, {"&sigmaf;", 0x3C2, 8}, {"&omega;", 0x3C9, 7}, {"&thetasym;", 0x3D1, 10},
        {"&piv;", 0x3D6, 5}, {"&bull;", 0x2022, 6}, {"&hellip;", 0x2026, 8}, {"&frasl;", 0x2044, 7},
        {"&image;", 0x2111, 7}, {"&weierp;", 0x2118, 8}, {"&alefsym;", 0x2135, 9}, {"&larr;", 0x2190, 6},
        {"&crarr;", 0x21B5, 7}, {"&lArr;", 0x21D0, 6}, {"&hArr;", 0x21D4, 6}, {"&forall;", 0x2200, 8},
        {"&minus;", 0x2212, 7}, {"&there4;", 0x2234, 8}, {"&sdot;", 0x22C5, 6}, {"&lceil;", 0x2308, 7},
        {"&lang;", 0x2329, 6}, {"&rang;", 0x232A, 6}, {"&loz;", 0x25CA, 5}, {"&diams;", 0x2666, 7},
        // Special.
        {"&OElig;", 0x152, 7}, {"&Yuml;", 0x178, 6}, {"&circ;", 0x2C6, 6}, {"&tilde;", 0x2DC, 7},
        {"&ensp;", 0x2002, 6}, {"&rlm;", 0x200F, 5}, {"&ndash;", 0x2013, 7}, {"&mdash;", 0x2014, 7},
        {"&bdquo;", 0x201E, 7}, {"&permil;", 0x2030, 8}, {"&rsaquo;", 0x203A, 8}, {"&euro;", 0x20AC, 6},
        // Numbers.
        {"&#38;", '&', 5}, {"&#x26;", '&', 6}, {"&#X26;", '&', 6}, {"&#0038;", '&', 7}, {"&#x3042;", 0x3042, 8},
        {"&#x1f600;", 0x1F600, 9}, {"&#1114111;", 0x10FFFF, 10}, {"&#160;", 0xA0, 6}, {"&#10;", '\n', 5},
        {"&#150;", 0x2013, 6}, {"&#151;", 0x2014, 6}, {"&#x80;", 0x20AC, 6}, {"&#x81;", 0x81, 6},
        {"&#159;", 0x178, 6},
        // What follows the reference is not read.
        {"&amp;amp;", '&', 5}, {"&#38;38;", '&', 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto reference = ReadCharacterReference(c.text);
        ASSERT_TRUE(reference.has_value());
        EXPECT_EQ(reference->character, c.character);
        EXPECT_EQ(reference->length, c.length);
    }
}

TEST(ReadCharacterReference, LeavesWhatIsNotWellFormedOrNamesNothing) {
    for (const char* text : {"", "&", "&;", "&amp", "&amp ;", "& amp;", "&AMP;", "&Amp;", "&foo;", "&thetasyms;",
                             "&#;", "&#x;", "&#12a;", "&# 38;", "&#-1;", "&#38", "&#x26", "&#0;", "&#x0;",
                             "&#xD800;", "&#xDFFF;", "&#x110000;", "&#99999999999999999999;", "x&amp;",
                             "&nbsp", "&ap;", "&apos"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ReadCharacterReference(text).has_value());
    }
}

}  // namespace
}  // namespace kaveto
