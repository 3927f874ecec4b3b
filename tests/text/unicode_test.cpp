#include "text/unicode.h"

#include <gtest/gtest.h>

#include <string>

namespace kaveto {
namespace {

// The compiler's own UTF-8 and UTF-16 of a literal stand as the reference.
std::string U8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

std::string Hex(std::string_view bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : bytes) {
        if (!out.empty()) out += ' ';
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

struct EncodeCase {
    const char* name;
    std::u16string utf16;
    std::u8string utf8;
    std::string sjis;
};

TEST(UnicodeToShiftJis, WritesWhatJapaneseUsersExpect) {
    const EncodeCase cases[] = {
        {"WAVE DASH", u"\u301C", u8"\u301C", "\x81\x60"},
        {"DOUBLE VERTICAL LINE", u"\u2016", u8"\u2016", "\x81\x61"},
        {"MINUS SIGN", u"\u2212", u8"\u2212", "\x81\x7C"},
        {"EM DASH", u"\u2014", u8"\u2014", "\x81\x5C"},
        {"CENT SIGN", u"\u00A2", u8"\u00A2", "\x81\x91"},
        {"POUND SIGN", u"\u00A3", u8"\u00A3", "\x81\x92"},
        {"NOT SIGN", u"\u00AC", u8"\u00AC", "\x81\xCA"},
        {"BROKEN BAR", u"\u00A6", u8"\u00A6", "\xFA\x55"},
        {"FULLWIDTH TILDE", u"\uFF5E", u8"\uFF5E", "\x81\x60"},
        {"PARALLEL TO", u"\u2225", u8"\u2225", "\x81\x61"},
        {"FULLWIDTH HYPHEN-MINUS", u"\uFF0D", u8"\uFF0D", "\x81\x7C"},
        {"HORIZONTAL BAR", u"\u2015", u8"\u2015", "\x81\x5C"},
        {"FULLWIDTH CENT SIGN", u"\uFFE0", u8"\uFFE0", "\x81\x91"},
        {"FULLWIDTH POUND SIGN", u"\uFFE1", u8"\uFFE1", "\x81\x92"},
        {"FULLWIDTH NOT SIGN", u"\uFFE2", u8"\uFFE2", "\x81\xCA"},
        {"FULLWIDTH BROKEN BAR", u"\uFFE4", u8"\uFFE4", "\xFA\x55"},
        {"ASCII, backslash and tilde kept", u"a\\~", u8"a\\~", "a\\~"},
        {"half-width katakana", u"\uFF61\uFF76\uFF9E\uFF9F", u8"\uFF61\uFF76\uFF9E\uFF9F", "\xA1\xB6\xDE\xDF"},
        {"hiragana and kanji", u"あ日本", u8"あ日本", "\x82\xA0\x93\xFA\x96\x7B"},
        {"NEC row 13", u"①㈱№", u8"①㈱№", "\x87\x40\x87\x8A\x87\x82"},
        {"IBM extension", u"髙", u8"髙", "\xFB\xFC"},
        {"small roman numeral from the IBM rows", u"\u2170", u8"\u2170", "\xFA\x40"},
        {"IBM kanji from the IBM rows, not ED-EE", u"\u7E8A", u8"\u7E8A", "\xFA\x5C"},
        {"NEC symbol repeating JIS X 0208", u"\u2252\u2235", u8"\u2252\u2235", "\x81\xE0\x81\xE6"},
        {"e acute, no look-alike", u"caf\u00E9", u8"caf\u00E9", "caf?"},
        {"yen and overline, no look-alikes", u"\u00A5\u203E", u8"\u00A5\u203E", "??"},
        {"emoji is one character", u"a\U0001F600b", u8"a\U0001F600b", "a?b"},
        {"private use", u"\uE000", u8"\uE000", "?"},
        {"C1 control and replacement character", u"\u0080\uFFFD", u8"\u0080\uFFFD", "??"},
        {"en dash", u"\u2013", u8"\u2013", "?"},
        {"empty", u"", u8"", ""},
    };
    for (const EncodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Hex(Utf16ToShiftJis(c.utf16)), Hex(c.sjis));
        EXPECT_EQ(Hex(Utf8ToShiftJis(U8(c.utf8))), Hex(c.sjis));
    }
}

TEST(UnicodeToShiftJis, SaysWhenACharacterHasNoCode) {
    std::string out;
    EXPECT_TRUE(AppendShiftJis(U'\u3042', out));
    EXPECT_FALSE(AppendShiftJis(U'\u00E9', out));
    EXPECT_FALSE(AppendShiftJis(U'\U0001F600', out));
    EXPECT_FALSE(AppendShiftJis(0x110000, out));
    EXPECT_TRUE(AppendShiftJis(0, out));
    EXPECT_EQ(out, std::string("\x82\xA0???\0", 6));
}

TEST(ShiftJisToUnicode, ReadsJisX0208AsPagesAreShownAndTheExtensionsAsWindowsDoes) {
    struct Case {
        const char* name;
        std::string sjis;
        std::u16string utf16;
    } cases[] = {
        {"WAVE DASH", "\x81\x60", u"\u301C"},
        {"DOUBLE VERTICAL LINE", "\x81\x61", u"\u2016"},
        {"MINUS SIGN", "\x81\x7C", u"\u2212"},
        {"EM DASH", "\x81\x5C", u"\u2014"},
        {"cent, pound, not", "\x81\x91\x81\x92\x81\xCA", u"\u00A2\u00A3\u00AC"},
        {"full-width backslash", "\x81\x5F", u"\uFF3C"},
        {"ASCII", "a\\~", u"a\\~"},
        {"half-width katakana", "\xA1\xDF", u"\uFF61\uFF9F"},
        {"kanji", "\x93\xFA\x96\x7B", u"日本"},
        {"NEC row 13", "\x87\x40", u"①"},
        {"NEC-selected IBM", "\xED\x40\xEE\xEF", u"\u7E8A\u2170"},
        {"IBM", "\xFA\x55\xFB\xFC", u"\uFFE4髙"},
        {"lone lead byte at the end", "a\x81", u"a\uFFFD"},
        {"lead byte before a byte that cannot follow", "\x81\x20x", u"\uFFFD x"},
        {"lead byte before DEL", "\x81\x7F", u"\uFFFD\u007F"},
        {"unassigned pair is one character", "\x85\x40" "a", u"\uFFFDa"},
        {"unassigned cell in a JIS row", "\x81\xAD", u"\uFFFD"},
        {"user-defined area", "\xF0\x40", u"\uFFFD"},
        {"bytes that are no character", "\x80\xA0\xFD\xFE\xFF", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ShiftJisToUtf16(c.sjis), c.utf16);
    }
}

TEST(ShiftJisToUnicode, EveryDoubleByteCharacterComesBackAsItsBytes) {
    int characters = 0, exact = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead >= 0xA0 && lead < 0xE0) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const std::string code{static_cast<char>(lead), static_cast<char>(trail)};
            std::size_t pos = 0;
            const char32_t c = NextShiftJis(code, pos);
            if (c == kReplacementCharacter) continue;
            SCOPED_TRACE(Hex(code));
            ++characters;
            EXPECT_EQ(pos, 2u);
            std::string back;
            ASSERT_TRUE(AppendShiftJis(c, back));
            if (back == code) {
                ++exact;
                continue;
            }
            // A character that Windows keeps twice is written at one place:
            // the repeat lies in the extension rows and reads the same, but
            // for the full-width NOT SIGN, which Windows writes as the JIS one.
            EXPECT_TRUE(lead == 0x87 || lead == 0xED || lead == 0xEE || lead >= 0xFA);
            std::size_t back_pos = 0;
            if (c == 0xFFE2) EXPECT_EQ(back, "\x81\xCA");
            else EXPECT_EQ(NextShiftJis(back, back_pos), c);
        }
    }
    // JIS X 0208 6879, NEC row 13 83, NEC-selected IBM 374, IBM 388; every
    // NEC-selected IBM character repeats an IBM one, and 24 more repeat.
    EXPECT_EQ(characters, 7724);
    EXPECT_EQ(exact, 7724 - 374 - 24);
    for (int byte = 0; byte < 0x100; ++byte) {
        if (byte >= 0x80 && (byte < 0xA1 || byte > 0xDF)) continue;
        const std::string single(1, static_cast<char>(byte));
        EXPECT_EQ(Utf16ToShiftJis(ShiftJisToUtf16(single)), single) << byte;
    }
}

TEST(ShiftJisToUtf8, GivesTheSameCharactersAsTheUtf16Road) {
    const std::string sjis = "a\\\x93\xfa\x81\x60\xb1\xFA\x55\x80\x83";  // a\日〜ｱ and the full-width broken bar, a stray byte, a cut lead
    EXPECT_EQ(ShiftJisToUtf8(sjis), Utf16ToUtf8(ShiftJisToUtf16(sjis)));
    EXPECT_EQ(ShiftJisToUtf8(sjis), U8(u8"a\\日\u301Cｱ\uFFE4\uFFFD\uFFFD"));
}

TEST(Utf8ToUtf16, ReadsWellFormedTextAndMarksEachBrokenSequenceOnce) {
    struct Case {
        const char* name;
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"ASCII", "a\\b", u"a\\b"},
        {"Japanese, accent, emoji", U8(u8"日本é\U0001F600"), u"日本é\U0001F600"},
        {"highest code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        {"truncated two bytes at the end", "a\xC3", u"a\uFFFD"},
        {"truncated three bytes at the end", "\xE3\x81", u"\uFFFD"},
        {"truncated four bytes at the end", "\xF0\x9F\x98", u"\uFFFD"},
        {"broken off before ASCII", "\xE3\x81(", u"\uFFFD("},
        {"broken off before a new start", "\xE3\xE3\x81\x82", u"\uFFFDあ"},
        {"lone continuation bytes", "\x80\xBF", u"\uFFFD\uFFFD"},
        {"overlong two bytes", "\xC0\xAF", u"\uFFFD\uFFFD"},
        {"overlong three bytes", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
        {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"bytes that start nothing", "\xF5\xFF", u"\uFFFD\uFFFD"},
        {"zero byte kept", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
    }
    EXPECT_EQ(Utf8ToShiftJis("\xE3\x81(\xF0\x9F\x98\x80"), "?(?") << "a broken sequence and an emoji: one ? each";
}

TEST(Utf16ToUtf8, WritesSurrogatePairsAsOneCharacterAndLoneHalvesAsReplacements) {
    struct Case {
        const char* name;
        std::u16string utf16;
        std::string utf8;
    } cases[] = {
        {"pair", u"\U0001F600", "\xF0\x9F\x98\x80"},
        {"high half at the end", std::u16string(u"a") + char16_t(0xD83D), "a\xEF\xBF\xBD"},
        {"high half before a letter", std::u16string{char16_t(0xD83D), u'x'}, "\xEF\xBF\xBDx"},
        {"low half alone", std::u16string{char16_t(0xDE00), u'a'}, "\xEF\xBF\xBD" "a"},
        {"halves in the wrong order", std::u16string{char16_t(0xDE00), char16_t(0xD83D)}, "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"two pairs", u"\U0001F600\U00010000", "\xF0\x9F\x98\x80\xF0\x90\x80\x80"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Hex(Utf16ToUtf8(c.utf16)), Hex(c.utf8));
    }
    EXPECT_EQ(Utf16ToShiftJis(std::u16string{char16_t(0xD83D), u'a', char16_t(0xDE00)}), "?a?");
}

TEST(Utf8AndUtf16, EveryCodePointRoundTrips) {
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        std::string utf8;
        std::u16string utf16;
        AppendUtf8(c, utf8);
        AppendUtf16(c, utf16);
        std::size_t pos8 = 0, pos16 = 0;
        const char32_t from8 = NextUtf8(utf8, pos8);
        const char32_t from16 = NextUtf16(utf16, pos16);
        if (from8 != c || pos8 != utf8.size() || from16 != c || pos16 != utf16.size() ||
            utf8.size() != (c < 0x80 ? 1u : c < 0x800 ? 2u : c < 0x10000 ? 3u : 4u)) {
            ADD_FAILURE() << "code point " << std::hex << static_cast<unsigned long>(c);
            return;
        }
    }
    std::string replaced;
    AppendUtf8(0xD800, replaced);
    AppendUtf8(0x110000, replaced);
    EXPECT_EQ(replaced, "\xEF\xBF\xBD\xEF\xBF\xBD");
}

}  // namespace
}  // namespace kaveto
