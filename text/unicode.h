#pragma once
// Unicode text beside the program's Shift_JIS: UTF-8 and UTF-16 read and
// written, and Unicode converted to and from Shift_JIS by one rule, the one
// Japanese users expect, without asking the system:
// - Shift_JIS holds ASCII (5C is the backslash), the half-width katakana
//   U+FF61-FF9F as A1-DF, JIS X 0208 and the Windows extensions (NEC row 13,
//   the NEC-selected IBM rows ED-EE, the IBM rows FA-FC).
// - JIS X 0208 reads as Japanese pages are shown (81 60 is U+301C WAVE DASH,
//   81 5C U+2014 EM DASH, 81 91 U+00A2); the extension rows read as Windows
//   reads them. Both the JIS and the Windows code points of such characters
//   are written (U+301C and U+FF5E both give 81 60), and U+00A6 gives FA 55.
// - A character that Shift_JIS cannot hold becomes one "?": no look-alike
//   stands in for it ("é" is "?", never "e"), and a surrogate pair is one
//   character.
// Reading never fails and never looks outside the text: ill-formed input
// reads as U+FFFD, which Shift_JIS writes as "?".
#include <cstddef>
#include <string>
#include <string_view>

namespace kaveto {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Each reads the character at `pos` and moves `pos` past what it read;
// `pos` must lie before the end of the text.
// UTF-8: each maximal start of a well-formed sequence that breaks off, and
// each byte that can start none, reads as one U+FFFD.
char32_t NextUtf8(std::string_view text, std::size_t& pos);
// UTF-16: a surrogate without its partner reads as U+FFFD.
char32_t NextUtf16(std::u16string_view text, std::size_t& pos);
// Shift_JIS: a pair that holds no character reads as one U+FFFD; a lead
// byte without a second byte that can follow it reads as U+FFFD alone, and
// the byte after it is read afresh; the single bytes 80, A0 and FD-FF read
// as U+FFFD.
char32_t NextShiftJis(std::string_view text, std::size_t& pos);

// A surrogate or a value above U+10FFFF is written as U+FFFD.
void AppendUtf8(char32_t character, std::string& out);
void AppendUtf16(char32_t character, std::u16string& out);
// Appends the character's Shift_JIS bytes, or "?" and returns false.
bool AppendShiftJis(char32_t character, std::string& out);

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
std::string Utf8ToShiftJis(std::string_view text);
std::string Utf16ToShiftJis(std::u16string_view text);
std::u16string ShiftJisToUtf16(std::string_view text);
std::string ShiftJisToUtf8(std::string_view text);

// The byte order mark that opens a UTF-8 file written to be known as one.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

}  // namespace kaveto
