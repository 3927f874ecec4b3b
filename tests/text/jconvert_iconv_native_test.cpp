// Checks the converters against glibc's iconv for every JIS X 0208
// character that glibc knows in EUC-JP.
#include "tests/text/iconv_reference.h"
#include "text/jconvert.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

namespace kaveto {
namespace {

using testing::Iconv;

// Our JIS returns to the single-byte set with ESC ( J, iconv with ESC ( B.
std::string NormaliseShiftBack(std::string jis) {
    for (std::size_t at = 0; (at = jis.find("\x1b(B", at)) != std::string::npos; at += 3) jis[at + 2] = 'J';
    return jis;
}

TEST(JconvertAgainstIconv, EveryJisX0208CharacterOfRows1To84) {
    Iconv euc_to_utf8("UTF-8", "EUC-JP");
    Iconv euc_to_sjis("SHIFT_JIS", "EUC-JP");
    Iconv euc_to_jis("ISO-2022-JP", "EUC-JP");
    Iconv sjis_to_euc("EUC-JP", "SHIFT_JIS");
    ASSERT_TRUE(euc_to_utf8.ok() && euc_to_sjis.ok() && euc_to_jis.ok() && sjis_to_euc.ok());

    int checked = 0, sjis_compared = 0, jis_compared = 0;
    for (int row = 1; row <= 84; ++row) {
        for (int cell = 1; cell <= 94; ++cell) {
            const unsigned char j1 = static_cast<unsigned char>(0x20 + row);
            const unsigned char j2 = static_cast<unsigned char>(0x20 + cell);
            const std::string euc{static_cast<char>(j1 | 0x80), static_cast<char>(j2 | 0x80)};
            if (!euc_to_utf8(euc)) continue;  // no character in this cell
            ++checked;
            SCOPED_TRACE(::testing::Message() << "row " << row << " cell " << cell);
            const std::string jis = std::string("\x1b$B") + char(j1) + char(j2) + "\x1b(J";
            const std::string sjis = EucToShiftJis(euc);

            // Our three forms agree with each other in every direction.
            EXPECT_EQ(ShiftJisToEuc(sjis), euc);
            EXPECT_EQ(EucToJis(euc), jis);
            EXPECT_EQ(ShiftJisToJis(sjis), jis);
            EXPECT_EQ(JisToEuc(jis), euc);
            EXPECT_EQ(JisToShiftJis(jis), sjis);

            // And with iconv wherever iconv maps the character.
            if (const auto theirs = euc_to_sjis(euc)) {
                ++sjis_compared;
                EXPECT_EQ(sjis, *theirs);
                EXPECT_EQ(sjis_to_euc(sjis), std::optional<std::string>(euc));
            }
            if (const auto theirs = euc_to_jis(euc)) {
                ++jis_compared;
                EXPECT_EQ(jis, NormaliseShiftBack(*theirs));
            }
        }
    }
    // JIS X 0208 has 6879 characters; glibc's EUC-JP has them all.
    EXPECT_GE(checked, 6879);
    EXPECT_EQ(sjis_compared, checked);
    EXPECT_EQ(jis_compared, checked);
    std::printf("checked %d characters; %d against iconv Shift_JIS, %d against ISO-2022-JP\n", checked,
                sjis_compared, jis_compared);
}

// Whole lines: iconv and the converters agree on mixed ASCII and kanji with
// line ends inside double-byte runs.
TEST(JconvertAgainstIconv, MixedLines) {
    Iconv sjis_to_euc("EUC-JP", "SHIFT_JIS");
    Iconv sjis_to_jis("ISO-2022-JP", "SHIFT_JIS");
    const std::string sjis = "<title>\x93\xfa\x96\x7b\x8c\xea\r\n\x83\x65\x83\x4c\x83\x58\x83\x67</title>\x81\x40x";
    EXPECT_EQ(std::optional<std::string>(ShiftJisToEuc(sjis)), sjis_to_euc(sjis));
    const auto jis = sjis_to_jis(sjis);
    ASSERT_TRUE(jis);
    EXPECT_EQ(ShiftJisToJis(sjis), NormaliseShiftBack(*jis));
    EXPECT_EQ(JisToShiftJis(*jis), sjis);
}

}  // namespace
}  // namespace kaveto
