#pragma once
// Text helpers shared by every part of the program. All texts are byte
// strings in the ANSI code page; double-byte characters are never split.
#include <string>
#include <string_view>
#include <vector>

namespace kaveto {

// Replaces every occurrence of `search`, left to right, going on behind each
// replaced occurrence: occurrences never overlap and inserted text is never
// searched again. An occurrence that would begin on the second byte of a
// double-byte character is no match. An empty `search` replaces nothing.
void ReplaceAll(std::string& text, std::string_view search, std::string_view replacement);

// The same, but ASCII letters match without regard to case. The parts of the
// text that remain keep their case.
void ReplaceAllIgnoreCase(std::string& text, std::string_view search, std::string_view replacement);

// The same two for UTF-8 text, compared byte for byte: no character's bytes
// hold an ASCII byte or begin inside another character, so no occurrence
// is passed over.
void ReplaceAllUtf8(std::string& text, std::string_view search, std::string_view replacement);
void ReplaceAllIgnoreCaseUtf8(std::string& text, std::string_view search, std::string_view replacement);

// An ASCII letter in upper case; every other byte as it is.
inline char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Equal without regard to the case of single-byte letters. The second byte
// of a double-byte character is compared as it is: folding it would make
// different characters equal.
bool EqualIgnoreCase(std::string_view a, std::string_view b);

// Where the last name of a path begins: just after its last "\\" or "/", 0
// when it has none. The second byte of a double-byte character is no
// separator. A path that ends in a separator gives its length.
std::size_t PathNameStart(std::string_view path);

// "07" for 7, "12" for 12.
std::string TwoDigit(int number);

// Reads a comma list: blanks and control characters around items are
// skipped, a quoted item may hold commas and doubled quotes, a comma that is
// the last character adds an empty item. A zero byte ends the text.
std::vector<std::string> ReadCommaList(std::string_view text);
// The same for UTF-8 text.
std::vector<std::string> ReadCommaListUtf8(std::string_view text);

// Writes a comma list that ReadCommaList reads back to the same items.
std::string WriteCommaList(const std::vector<std::string>& items);

// Length in bytes of the character that starts at `pos`: 2 for a lead byte
// followed by another byte, otherwise 1.
inline std::size_t CharLength(std::string_view text, std::size_t pos);

}  // namespace kaveto

#include "text/codepage.h"

namespace kaveto {
inline std::size_t CharLength(std::string_view text, std::size_t pos) {
    return (IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size()) ? 2 : 1;
}
}  // namespace kaveto
