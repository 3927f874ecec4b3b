#pragma once
// Japanese text codes: guessing which of JIS (7-bit, with escape sequences),
// EUC-JP and Shift_JIS a run of bytes is written in, and converting between
// the three. Everything is a pure function over byte texts: nothing is
// remembered between calls, nothing fails, and malformed input is converted
// byte by byte by the same rules as valid input. No byte outside the text
// is ever read.
//
// Every conversion comes in two forms: one that returns a new text, and one
// that appends to a caller's buffer so that a buffer can be reused.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kaveto {

// The result of detection and the target of conversion. Values outside the
// first seven may reach ConvertTextCode as a target; they convert nothing.
enum class TextCode : int {
    Ascii = 0,          // nothing decided a code
    Binary = 1,         // a byte below 0x08 or 0xFF was met
    JisNew = 2,         // JIS, found by ESC $ B; as a target, JIS
    JisOld = 3,         // JIS, found by ESC $ @
    EucJp = 4,          // EUC-JP
    ShiftJis = 5,       // Shift_JIS
    EucOrShiftJis = 6,  // valid in both EUC-JP and Shift_JIS, nothing told them apart
    // UTF-8. DetectTextCode never gives it and ConvertTextCode converts
    // nothing from or to it: whether a text is UTF-8 is told by a reading of
    // the whole page (text/page_code.h), not by the first deciding byte.
    Utf8 = 7,
};

// "Ascii", "Binary", "JisNew", "JisOld", "EucJp", "ShiftJis",
// "EucOrShiftJis", "Utf8"; an empty text for any other value.
std::string_view TextCodeName(TextCode code);

// The number of leading bytes that the binary pre-scan of detection looks at.
inline constexpr std::size_t BinaryScanLength = 512;

// For each half-width katakana byte A1-DF (index byte - 0xA1), the second
// byte of the full-width JIS X 0208 character. The first byte is 0x21 for
// A1-A5, B0, DE and DF, and 0x25 for all others.
extern const std::array<unsigned char, 63> HalfWidthKanaTable;

struct BytePair {
    unsigned char first;
    unsigned char second;
    friend bool operator==(BytePair, BytePair) = default;
};

TextCode DetectTextCode(std::string_view text);

// Detects the code of `text` and converts it to `target` (JisNew, EucJp or
// ShiftJis). Text that is Ascii, Binary, EucOrShiftJis or already in the
// target code, and any other target, is returned unchanged.
std::string ConvertTextCode(std::string_view text, TextCode target);
void ConvertTextCode(std::string_view text, TextCode target, std::string& out);

// Conversions to JIS enter the double-byte set with ESC $ B, return with
// ESC ( J, and always end in the single-byte set. Half-width katakana
// become full-width in conversions to JIS only.
std::string JisToShiftJis(std::string_view text);
std::string JisToEuc(std::string_view text);
std::string EucToJis(std::string_view text);
std::string EucToShiftJis(std::string_view text);
std::string ShiftJisToJis(std::string_view text);
std::string ShiftJisToEuc(std::string_view text);
void JisToShiftJis(std::string_view text, std::string& out);
void JisToEuc(std::string_view text, std::string& out);
void EucToJis(std::string_view text, std::string& out);
void EucToShiftJis(std::string_view text, std::string& out);
void ShiftJisToJis(std::string_view text, std::string& out);
void ShiftJisToEuc(std::string_view text, std::string& out);

// The JIS X 0208 <-> Shift_JIS pair arithmetic, modulo 256 throughout.
BytePair JisPairToShiftJis(unsigned char j1, unsigned char j2);
BytePair ShiftJisPairToJis(unsigned char s1, unsigned char s2);

// One half-width katakana as the full-width JIS character, merged with a
// voiced or semi-voiced sound mark that follows it where such a character
// exists. `pos` is at the kana byte (Shift_JIS) or at the 8E before it
// (EUC-JP) and is moved past everything consumed. A byte that is no
// half-width katakana (or a position at the end of the text) gives the
// substitution mark 22 2E and consumes one byte, so that whatever follows
// is still read as a character of its own.
BytePair EucKanaToJis(std::string_view text, std::size_t& pos);
BytePair ShiftJisKanaToJis(std::string_view text, std::size_t& pos);

}  // namespace kaveto
