// Checks the generated Shift_JIS table against glibc's iconv, from which it
// was made: JIS X 0208 as EUC-JP reads it, the Windows extension rows as
// CP932 reads them, and every character of the Basic Multilingual Plane
// written as CP932 writes it, apart from the choices listed below.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <optional>
#include <string>

#include "tests/text/iconv_reference.h"
#include "text/jconvert.h"
#include "text/unicode.h"

namespace kaveto {
namespace {

using testing::Iconv;

std::string Utf32(char32_t c) {
    return {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8 & 0xFF), static_cast<char>(c >> 16 & 0xFF), '\0'};
}

// The one character of a UTF-32LE text; nothing for anything else.
std::optional<char32_t> OneCharacter(const std::optional<std::string>& utf32) {
    if (!utf32 || utf32->size() != 4) return std::nullopt;
    char32_t c = 0;
    for (int i = 3; i >= 0; --i) c = c << 8 | static_cast<unsigned char>((*utf32)[i]);
    return c;
}

bool IsExtensionRow(int lead) { return lead == 0x87 || lead == 0xED || lead == 0xEE || lead >= 0xFA; }

TEST(UnicodeAgainstIconv, EveryDoubleByteCodeReadsAsEucJpOrCp932ReadsIt) {
    Iconv euc("UTF-32LE", "EUC-JP"), cp932("UTF-32LE", "CP932");
    ASSERT_TRUE(euc.ok() && cp932.ok());
    int jis = 0, extension = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead >= 0xA0 && lead < 0xE0) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            const std::string code{static_cast<char>(lead), static_cast<char>(trail)};
            std::optional<char32_t> expected;
            if (IsExtensionRow(lead)) {
                expected = OneCharacter(cp932(code));
                extension += expected.has_value();
            } else if (lead <= 0xEF) {
                const BytePair j = ShiftJisPairToJis(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
                expected = OneCharacter(euc(std::string{static_cast<char>(j.first | 0x80), static_cast<char>(j.second | 0x80)}));
                if (lead == 0x81 && trail == 0x5C) {
                    ASSERT_EQ(expected, std::optional<char32_t>(0x2015));
                    expected = 0x2014;  // EM DASH, our reading of the JIS dash
                }
                jis += expected.has_value();
            }
            std::size_t pos = 0;
            const char32_t ours = NextShiftJis(code, pos);
            EXPECT_EQ(ours, expected.value_or(kReplacementCharacter)) << std::hex << lead << " " << trail;
        }
    }
    EXPECT_EQ(jis, 6879);
    EXPECT_EQ(extension, 83 + 374 + 388);
}

// Where we write otherwise than CP932: characters that CP932 writes as a
// look-alike or as a private-use code, and the two that it cannot write.
std::optional<std::string> OurChoice(char32_t c) {
    static const std::map<char32_t, std::string> kChoices = {
        {0x00A5, "?"},         // CP932: 5C, the backslash
        {0x203E, "?"},         // CP932: 7E, the tilde
        {0x00A6, "\xFA\x55"},  // CP932: nothing
    };
    if (const auto found = kChoices.find(c); found != kChoices.end()) return found->second;
    if (c >= 0xE000 && c <= 0xE757) return "?";  // CP932: the user-defined area F0-F9
    return std::nullopt;
}

TEST(UnicodeAgainstIconv, EveryCharacterIsWrittenAsCp932WritesIt) {
    Iconv to_cp932("CP932", "UTF-32LE");
    ASSERT_TRUE(to_cp932.ok());
    int written = 0, differ = 0;
    std::string unlisted;
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        std::string ours;
        AppendShiftJis(c, ours);
        if (const auto choice = OurChoice(c)) {
            EXPECT_EQ(ours, *choice) << std::hex << static_cast<unsigned long>(c);
            ++differ;
            continue;
        }
        const auto theirs = to_cp932(Utf32(c));
        written += theirs.has_value();
        if (ours != theirs.value_or("?")) {
            char line[64];
            std::snprintf(line, sizeof line, " U+%04lX", static_cast<unsigned long>(c));
            unlisted += line;
        }
    }
    EXPECT_EQ(unlisted, "") << "characters written otherwise than CP932 writes them";
    EXPECT_EQ(differ, 3 + 0x758);
    std::printf("%d characters written as CP932 writes them, %d by our own choice\n", written, differ);
}

}  // namespace
}  // namespace kaveto
