#include "text/jconvert.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/text/jconvert_reference.h"
#include <vector>

namespace kaveto {
namespace {

using namespace std::string_literals;

const std::string kToJis = "\x1b$B";
const std::string kToAscii = "\x1b(J";

std::string Jis(const std::string& double_bytes) { return kToJis + double_bytes + kToAscii; }

std::string Repeat(char c, std::size_t count) { return std::string(count, c); }

struct DetectCase {
    const char* name;
    std::string text;
    TextCode expected;
};

TEST(DetectTextCode, DecidesByTheFirstTellingByte) {
    const std::vector<DetectCase> cases = {
        {"empty", "", TextCode::Ascii},
        {"one lead byte", "\x82", TextCode::Ascii},
        {"one zero byte", "\x00"s, TextCode::Ascii},
        {"plain text", "Hello, world.\r\n", TextCode::Ascii},
        {"last byte zero", "abc\x00"s, TextCode::Ascii},
        {"last byte FF", "abc\xff", TextCode::Ascii},
        {"last byte a lone lead byte", "abc\x82", TextCode::Ascii},
        {"last byte would decide EUC", "abc\xf0", TextCode::Ascii},
        {"zero inside", "a\x00" "b"s, TextCode::Binary},
        {"byte 07 inside", "a\x07" "b", TextCode::Binary},
        {"FF first", "\xff" "ab", TextCode::Binary},
        {"zero before Shift_JIS", "\x00\x82\xa0"s, TextCode::Binary},
        {"ESC $ B", "<p>\x1b$B\x24\x22\x1b(B</p>", TextCode::JisNew},
        {"ESC $ B is the whole text", "\x1b$B", TextCode::JisNew},
        {"ESC $ @", "\x1b$@\x24\x22\x1b(J", TextCode::JisOld},
        {"ESC ( B alone", "\x1b(Babc", TextCode::Ascii},
        {"ESC $ cut short", "ab\x1b$", TextCode::Ascii},
        {"ESC $ B after Shift_JIS", "\x82\xa0\x1b$B", TextCode::ShiftJis},
        {"hiragana", "\x82\xa0\x82\xa2", TextCode::ShiftJis},
        {"lead 9F", "x\x9f\xfc", TextCode::ShiftJis},
        {"EUC hiragana only", "\xa4\xa2\xa4\xa4", TextCode::EucOrShiftJis},
        {"EUC kanji A1-DF then F0-FE", "\xc6\xfc\xcb\xdc", TextCode::EucJp},
        {"E0-EF then FD", "\xe0\xfd", TextCode::EucJp},
        {"F0-FE first byte", "\xf0\xa1" "x", TextCode::EucJp},
        {"8E with EUC kana", "\x8e\xb1" "x", TextCode::EucOrShiftJis},
        {"8E with 40-7E", "\x8e\x40", TextCode::ShiftJis},
        {"8E with E0-FC", "\x8e\xe0", TextCode::ShiftJis},
        {"8E with a control byte", "\x8e\x0d\x0a", TextCode::Ascii},
        {"half-width kana then line end", "\xb1\x0d\x0a", TextCode::ShiftJis},
        {"half-width kana then A0", "\xb1\xa0" "ab", TextCode::Ascii},
        {"E0 then 40", "\xe0\x40", TextCode::ShiftJis},
        {"E0 then A1", "\xe0\xa1", TextCode::EucOrShiftJis},
        {"E0 then space", "\xe0 x", TextCode::Ascii},
        {"80 and A0 decide nothing", "\x80\xa0" "ab", TextCode::Ascii},
        {"run scan finds Shift_JIS", "\xb1\xe0\xa1\x81\x40", TextCode::ShiftJis},
        {"run scan finds EUC", "\xb1\xe0\xa1\xfd", TextCode::EucJp},
        {"run scan: 9D-9F decide nothing", "\xb1\xe0\x9d\x9e\x9f", TextCode::EucOrShiftJis},
        {"run scan goes on after its stop", "\xb1\xe0\xa1 \x81\x40", TextCode::ShiftJis},
        {"run scan passes over the byte it stops at", "\xb1\xe0\x1b$B", TextCode::EucOrShiftJis},
        {"without the run the escape counts", "\xb1\xa1\x1b$B", TextCode::JisNew},
        {"ESC second byte is passed over", "\x1bx\x82\xa0", TextCode::ShiftJis},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DetectTextCode(c.text), c.expected);
    }
}

TEST(DetectTextCode, BinaryPreScanCoversTheFirst512Bytes) {
    const std::vector<DetectCase> cases = {
        // A zero byte at the 512th byte is found by the pre-scan even after
        // a character that decides the code.
        {"zero at byte 512 after Shift_JIS", "\x82\xa0" + Repeat('a', 509) + "\x00z"s, TextCode::Binary},
        {"zero at byte 513 after Shift_JIS", "\x82\xa0" + Repeat('a', 510) + "\x00z"s, TextCode::ShiftJis},
        {"zero at byte 513 reached by the scan", Repeat('a', 512) + "\x00z"s, TextCode::Binary},
        {"FF far on reached by the scan", Repeat('a', 2000) + "\xffz", TextCode::Binary},
        {"zero far on after ESC $ B", "\x1b$B" + Repeat('a', 1000) + "\x00z"s, TextCode::JisNew},
        {"half-width kana then FF", Repeat('a', 600) + "\xb1\xff" "ab", TextCode::Ascii},
        {"zero far on as a second byte", Repeat('a', 600) + "\x8e\x00" "abc"s, TextCode::Ascii},
        {"deciding byte far on", Repeat('a', 100000) + "\xc6\xfc", TextCode::EucJp},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DetectTextCode(c.text), c.expected);
    }
}

TEST(TextCodeName, SpellsTheEightCodes) {
    const char* names[] = {"Ascii", "Binary", "JisNew", "JisOld", "EucJp", "ShiftJis", "EucOrShiftJis", "Utf8"};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(TextCodeName(static_cast<TextCode>(i)), names[i]);
    EXPECT_EQ(TextCodeName(static_cast<TextCode>(8)), "");
}

TEST(PairArithmetic, KnownCharactersBothWays) {
    struct Case {
        BytePair jis, sjis;
    };
    const Case cases[] = {
        {{0x21, 0x21}, {0x81, 0x40}},  // ideographic space
        {{0x24, 0x22}, {0x82, 0xA0}},  // hiragana a
        {{0x30, 0x21}, {0x88, 0x9F}},  // first kanji of level 1
        {{0x5E, 0x7E}, {0x9F, 0xFC}},  // last cell below E0
        {{0x5F, 0x21}, {0xE0, 0x40}},  // first cell of E0
        {{0x74, 0x26}, {0xEA, 0xA4}},  // last kanji of level 2
        {{0x25, 0x5F}, {0x83, 0x7E}},  // odd row, second byte 5F
        {{0x25, 0x60}, {0x83, 0x80}},  // odd row, second byte 60 skips 7F
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.jis.first) << ' ' << int(c.jis.second));
        EXPECT_EQ(JisPairToShiftJis(c.jis.first, c.jis.second), c.sjis);
        EXPECT_EQ(ShiftJisPairToJis(c.sjis.first, c.sjis.second), c.jis);
    }
}

TEST(PairArithmetic, EveryCellOfRows1To94RoundTrips) {
    for (int j1 = 0x21; j1 <= 0x7E; ++j1) {
        for (int j2 = 0x21; j2 <= 0x7E; ++j2) {
            const BytePair s = JisPairToShiftJis(j1, j2);
            ASSERT_TRUE((s.first >= 0x81 && s.first <= 0x9F) || (s.first >= 0xE0 && s.first <= 0xEF)) << j1;
            ASSERT_TRUE(s.second >= 0x40 && s.second <= 0xFC && s.second != 0x7F) << j2;
            ASSERT_EQ(ShiftJisPairToJis(s.first, s.second), (BytePair{static_cast<unsigned char>(j1), static_cast<unsigned char>(j2)}));
        }
    }
}

struct ConvertCase {
    const char* name;
    std::string (*convert)(std::string_view);
    std::string text;
    std::string expected;
};

TEST(Conversion, EdgeCases) {
    const std::vector<ConvertCase> cases = {
        // Half-width katakana become full-width in JIS, merged with a
        // following sound mark where the character exists.
        {"ShiftJisToJis ga", ShiftJisToJis, "\xb6\xde", Jis("\x25\x2c")},
        {"ShiftJisToJis pa", ShiftJisToJis, "\xca\xdf", Jis("\x25\x51")},
        {"ShiftJisToJis ba", ShiftJisToJis, "\xca\xde", Jis("\x25\x50")},
        {"ShiftJisToJis vu", ShiftJisToJis, "\xb3\xde", Jis("\x25\x74")},
        {"ShiftJisToJis do", ShiftJisToJis, "\xc4\xde", Jis("\x25\x49")},
        {"ShiftJisToJis a with voiced mark", ShiftJisToJis, "\xb1\xde", Jis("\x25\x22\x21\x2b")},
        {"ShiftJisToJis ka with semi-voiced mark", ShiftJisToJis, "\xb6\xdf", Jis("\x25\x2b\x21\x2c")},
        {"ShiftJisToJis na with voiced mark", ShiftJisToJis, "\xc5\xde", Jis("\x25\x4a\x21\x2b")},
        {"ShiftJisToJis kana punctuation", ShiftJisToJis, "\xa1\xa5\xb0\xa6\xdd", Jis("\x21\x23\x21\x26\x21\x3c\x25\x72\x25\x73")},
        {"ShiftJisToJis kana ends the text", ShiftJisToJis, "a\xb6", "a" + Jis("\x25\x2b")},
        {"ShiftJisToJis hiragana", ShiftJisToJis, "\x82\xa0", Jis("\x24\x22")},
        {"ShiftJisToJis line end inside a run", ShiftJisToJis, "a\x82\xa0\r\n\x82\xa2" "b",
         "a" + Jis("\x24\x22") + "\r\n" + Jis("\x24\x24") + "b"},
        {"ShiftJisToJis kana and kanji share one run", ShiftJisToJis, "\xb1\x88\x9f", Jis("\x25\x22\x30\x21")},
        {"ShiftJisToJis lead byte ends the text", ShiftJisToJis, "\x82", Jis("\x23\xe1")},
        {"ShiftJisToJis plain text unchanged", ShiftJisToJis, "plain\x00text\x7f"s, "plain\x00text\x7f"s},
        {"EucToJis ga", EucToJis, "\x8e\xb6\x8e\xde", Jis("\x25\x2c")},
        {"EucToJis pa", EucToJis, "\x8e\xca\x8e\xdf", Jis("\x25\x51")},
        {"EucToJis a with voiced mark", EucToJis, "\x8e\xb1\x8e\xde", Jis("\x25\x22\x21\x2b")},
        {"EucToJis mark byte without its 8E", EucToJis, "\x8e\xb6\xde\xa1", Jis("\x25\x2b\x5e\x21")},
        {"EucToJis kanji", EucToJis, "\xc6\xfc\xcb\xdc\n", Jis("\x46\x7c\x4b\x5c") + "\n"},
        {"EucToJis 8E before ASCII", EucToJis, "\x8e" "A", Jis("\x22\x2e") + "A"},
        {"EucToJis 8E ends the text", EucToJis, "\x8e\xb6\x8e", Jis("\x25\x2b\x22\x2e")},
        {"EucToJis 8E before a kanji", EucToJis, "\x8e\xc6\xfc", Jis("\x25\x4b\x7c\x00"s)},
        {"EucToJis 8E before a non-kana lead", EucToJis, "\x8e\xe0\xa1", Jis("\x22\x2e\x60\x21")},
        {"EucToJis lead byte ends the text", EucToJis, "\xa4", Jis("\x24\x00"s)},
        {"JisToShiftJis hiragana", JisToShiftJis, Jis("\x24\x22"), "\x82\xa0"},
        {"JisToShiftJis old JIS", JisToShiftJis, "\x1b$@\x30\x21\x1b(B\r\n", "\x88\x9f\r\n"},
        {"JisToShiftJis two switches in a row", JisToShiftJis, "\x1b$B\x1b(B" "abc", "abc"},
        {"JisToShiftJis other escape keeps the mode", JisToShiftJis, "\x1b$B\x1bxy\x24\x22", "\x82\xa0"},
        {"JisToShiftJis ends with an escape", JisToShiftJis, "ab\x1b$B", "ab"},
        {"JisToShiftJis ends inside an escape", JisToShiftJis, "ab\x1b$", "ab"},
        {"JisToShiftJis ends after ESC", JisToShiftJis, "ab\x1b", "ab"},
        {"JisToShiftJis cut at a zero byte", JisToShiftJis, "a\x00" "b\x1b$B\x24\x22"s, "a"},
        {"JisToShiftJis cut at a zero it makes", JisToShiftJis, "a\x1b$B\x9f\x21", "a"},
        {"JisToShiftJis lone byte at the end", JisToShiftJis, "\x1b$B\x24", "\x82\x7e"},
        {"JisToShiftJis a pair swallows a line end", JisToShiftJis, "\x1b$B\x24\n", "\x82\x88"},
        {"JisToEuc hiragana", JisToEuc, Jis("\x24\x22"), "\xa4\xa2"},
        {"JisToEuc controls stay in double-byte mode", JisToEuc, "\x1b$B\x24\x22\r\n \x7f\x1b(B", "\xa4\xa2\r\n \x7f"},
        {"JisToEuc single-byte mode copies high bytes", JisToEuc, "\xa4\xa2", "\xa4\xa2"},
        {"JisToEuc is not cut", JisToEuc, "a\x00" "b"s, "a\x00" "b"s},
        {"JisToEuc two switches in a row", JisToEuc, "\x1b$B\x1b(B" "abc", "abc"},
        {"JisToEuc ends inside an escape", JisToEuc, "\x1b$B\x24\x22\x1b(", "\xa4\xa2"},
        {"EucToShiftJis half-width kana", EucToShiftJis, "\x8e\xb1", "\xb1"},
        {"EucToShiftJis kanji", EucToShiftJis, "\xc6\xfc\xcb\xdc\xb8\xec", "\x93\xfa\x96\x7b\x8c\xea"},
        {"EucToShiftJis 80 and FF unchanged", EucToShiftJis, "\x80\xff" "a", "\x80\xff" "a"},
        {"EucToShiftJis 8E ends the text", EucToShiftJis, "a\x8e", "a\x00"s},
        {"EucToShiftJis lead byte ends the text", EucToShiftJis, "\xa4", "\x82\x7e"},
        {"ShiftJisToEuc half-width kana", ShiftJisToEuc, "\xb1", "\x8e\xb1"},
        {"ShiftJisToEuc kanji", ShiftJisToEuc, "\x93\xfa\x96\x7b\x8c\xea\xea\xa4", "\xc6\xfc\xcb\xdc\xb8\xec\xf4\xa6"},
        {"ShiftJisToEuc lead byte ends the text", ShiftJisToEuc, "\x82", "\xa3\xe1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.convert(c.text), c.expected);
    }
}

TEST(KanaToJis, AdvancesPastWhatItConsumed) {
    struct Case {
        const char* name;
        bool euc;
        std::string text;
        std::size_t pos;
        BytePair expected;
        std::size_t next;
    };
    const Case cases[] = {
        {"sjis kana", false, "\xb1\xb2", 0, {0x25, 0x22}, 1},
        {"sjis merged", false, "x\xb6\xde" "y", 1, {0x25, 0x2c}, 3},
        {"sjis not a kana", false, "\x82\xa0", 0, {0x22, 0x2e}, 1},
        {"sjis past the end", false, "\xb1", 1, {0x22, 0x2e}, 2},
        {"euc kana", true, "\x8e\xb1\x8e\xb2", 0, {0x25, 0x22}, 2},
        {"euc merged", true, "\x8e\xca\x8e\xdf", 0, {0x25, 0x51}, 4},
        {"euc mark without 8E", true, "\x8e\xca\xdf", 0, {0x25, 0x4f}, 2},
        {"euc 8E at the end", true, "a\x8e", 1, {0x22, 0x2e}, 2},
        {"euc 8E before ASCII", true, "\x8e" "A", 0, {0x22, 0x2e}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::size_t pos = c.pos;
        EXPECT_EQ(c.euc ? EucKanaToJis(c.text, pos) : ShiftJisKanaToJis(c.text, pos), c.expected);
        EXPECT_EQ(pos, c.next);
    }
}

TEST(ConvertTextCode, ChoosesTheConversionByTheDetectedCode) {
    const std::string sjis = "<title>\x93\xfa\x96\x7b\x8c\xea \xb6\xde</title>\r\n";
    const std::string euc = "<title>\xc6\xfc\xcb\xdc\xb8\xec \x8e\xb6\x8e\xde</title>\r\n";
    const std::string jis = "<title>" + Jis("\x46\x7c\x4b\x5c\x38\x6c") + " " + Jis("\x25\x2c") + "</title>\r\n";
    const std::string jis_old = "<title>\x1b$@\x46\x7c\x4b\x5c\x38\x6c\x1b(J</title>";
    struct Case {
        const char* name;
        std::string text;
        TextCode target;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"sjis to sjis", sjis, TextCode::ShiftJis, sjis},
        {"sjis to euc", sjis, TextCode::EucJp, euc},
        {"sjis to jis", sjis, TextCode::JisNew, jis},
        {"euc to sjis", euc, TextCode::ShiftJis, sjis},
        {"euc to euc", euc, TextCode::EucJp, euc},
        {"euc to jis", euc, TextCode::JisNew, jis},
        {"jis to sjis", jis, TextCode::ShiftJis, "<title>\x93\xfa\x96\x7b\x8c\xea \x83\x4b</title>\r\n"},
        {"jis to euc", jis, TextCode::EucJp, "<title>\xc6\xfc\xcb\xdc\xb8\xec \xa5\xac</title>\r\n"},
        {"jis to jis", jis, TextCode::JisNew, jis},
        {"old jis to jis unchanged", jis_old, TextCode::JisNew, jis_old},
        {"old jis to sjis", jis_old, TextCode::ShiftJis, "<title>\x93\xfa\x96\x7b\x8c\xea</title>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ConvertTextCode(c.text, c.target), c.expected);
    }
}

TEST(ConvertTextCode, LeavesUndecidedTextsAndOtherTargetsAlone) {
    const std::string sjis = "\x82\xa0\x82\xa2";
    const std::string jis = Jis("\x24\x22");
    const std::vector<std::string> undecided = {
        "",
        "\x82",
        "plain\r\n",
        "\xa4\xa2\xa4\xa4",       // EucOrShiftJis
        "\x00\x82\xa0\xc6\xfc"s,  // Binary
    };
    for (int target = 0; target <= 8; ++target) {
        SCOPED_TRACE(target);
        const TextCode code = static_cast<TextCode>(target);
        if (code != TextCode::JisNew && code != TextCode::EucJp && code != TextCode::ShiftJis) {
            EXPECT_EQ(ConvertTextCode(sjis, code), sjis);
            EXPECT_EQ(ConvertTextCode(jis, code), jis);
        }
        for (const auto& text : undecided) EXPECT_EQ(ConvertTextCode(text, code), text);
    }
}

TEST(Conversion, AppendsToTheCallersBuffer) {
    std::string out = "head:";
    JisToShiftJis("a\x00" "b"s, out);
    EXPECT_EQ(out, "head:a");
    ShiftJisToEuc("\x82\xa0", out);
    EXPECT_EQ(out, "head:a\xa4\xa2");
    ConvertTextCode("plain", TextCode::EucJp, out);
    EXPECT_EQ(out, "head:a\xa4\xa2plain");
}

// Long texts cross the internal output block many times over; a round trip
// through each pair of codes must give the text back whole.
TEST(Conversion, LongTextsRoundTrip) {
    std::string sjis, sjis_full_width;
    const char* pieces[] = {"\x82\xa0\x82\xa2", "<a href=\"x\">", "\x88\x9f\x8c\xea\xea\xa4", "\r\n",
                            "\xb6\xde\xb1", "The quick brown fox jumps over the lazy dog. ", "\x81\x40",
                            "\x93\xfa\x96\x7b"};
    for (int i = 0; i < 20000; ++i) {
        const char* piece = pieces[(i * 7 + i / 3) % 8];
        sjis += piece;
        if (static_cast<unsigned char>(piece[0]) != 0xB6) sjis_full_width += piece;
    }
    ASSERT_GT(sjis.size(), 100000u);
    EXPECT_EQ(EucToShiftJis(ShiftJisToEuc(sjis)), sjis);
    EXPECT_EQ(JisToShiftJis(ShiftJisToJis(sjis_full_width)), sjis_full_width);
    EXPECT_EQ(JisToEuc(ShiftJisToJis(sjis_full_width)), ShiftJisToEuc(sjis_full_width));
    EXPECT_EQ(EucToJis(ShiftJisToEuc(sjis)), ShiftJisToJis(sjis));
    EXPECT_EQ(DetectTextCode(sjis), TextCode::ShiftJis);
    EXPECT_EQ(DetectTextCode(ShiftJisToJis(sjis)), TextCode::JisNew);
    EXPECT_EQ(DetectTextCode(ShiftJisToEuc(sjis)), TextCode::EucJp);
}

// The conversions work a run of characters at a time; on random texts made
// of bytes that matter to them they must give what a byte-at-a-time reading
// gives, wherever a run begins or ends.
TEST(Conversion, AgreesWithAByteAtATimeReading) {
    const unsigned char alphabet[] = {0x00, 0x0a, 0x1b, 0x24, 0x28, 0x40, 0x42, 0x21, 0x5f, 0x7e, 0x7f, 0x80,
                                      0x81, 0x82, 0x8e, 0x9f, 0xa0, 0xa1, 0xa4, 0xb6, 0xca, 0xde, 0xdf, 0xe0,
                                      0xea, 0xef, 0xf0, 0xfc, 0xfe, 0xff};
    std::uint32_t state = 12345;
    auto next = [&state] { return state = state * 1664525u + 1013904223u; };
    struct Pair {
        const char* name;
        std::string (*ours)(std::string_view);
        std::string (*plain)(std::string_view);
    };
    const Pair pairs[] = {
        {"JisToShiftJis", JisToShiftJis, reference::JisToShiftJis},
        {"JisToEuc", JisToEuc, reference::JisToEuc},
        {"EucToJis", EucToJis, reference::EucToJis},
        {"EucToShiftJis", EucToShiftJis, reference::EucToShiftJis},
        {"ShiftJisToJis", ShiftJisToJis, reference::ShiftJisToJis},
        {"ShiftJisToEuc", ShiftJisToEuc, reference::ShiftJisToEuc},
    };
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const std::size_t length = next() % 90;
        // Mostly one kind of byte at a time, so that long runs occur.
        const unsigned mode = next() % 4;
        for (std::size_t i = 0; i < length; ++i) {
            const std::uint32_t r = next() >> 8;
            if (mode == 0) text += static_cast<char>(alphabet[r % sizeof alphabet]);
            else if (mode == 1) text += static_cast<char>(r % 8 == 0 ? alphabet[r / 8 % sizeof alphabet] : 0xA1 + r / 8 % 0x5E);
            else if (mode == 2) text += static_cast<char>(r % 8 == 0 ? alphabet[r / 8 % sizeof alphabet] : 0x21 + r / 8 % 0x5E);
            else text += static_cast<char>(r % 16 == 0 ? alphabet[r / 16 % sizeof alphabet] : (r / 16 % 2 ? 0x82 : 0x40 + r / 32 % 0xBC));
        }
        if (round % 2) text = "\x1b$B" + text;
        for (const auto& pair : pairs) {
            SCOPED_TRACE(testing::Message() << pair.name << " round " << round);
            ASSERT_EQ(pair.ours(text), pair.plain(text));
        }
    }
}

}  // namespace
}  // namespace kaveto
