#pragma once
// The text code a web page is read in before its title is looked for. A
// page is read as a browser would read it, as far as its bytes tell:
//
// 1. A UTF-8 byte order mark (EF BB BF) at the start makes it UTF-8,
//    whatever else it says; the mark itself is no character of the text.
// 2. A page that declares UTF-8 (DeclaredTextCode) is UTF-8. Bytes that are
//    not well-formed UTF-8 are then read as U+FFFD, which Shift_JIS writes
//    as "?".
// 3. A page whose head is well-formed UTF-8 is UTF-8 when it holds at
//    least kUtf8MinSequences multi-byte sequences of which one is three
//    bytes or longer (as Japanese is written), or else at least
//    kUtf8MinTwoByteSequences two-byte ones (accented Latin letters,
//    Greek, Cyrillic). Shift_JIS and EUC-JP text is rarely well-formed
//    UTF-8 by accident, but a short title alone sometimes is, and then
//    nearly always as a few two-byte sequences (half-width katakana in
//    Shift_JIS, pairs of kanji in EUC-JP). Of random titles of two to ten
//    characters, one sequence would take about one in 700, and one in 26
//    of those written in half-width katakana; this rule takes about one in
//    3,000 in Shift_JIS and one in 20,000 in EUC-JP, and one in 1,800 of
//    the half-width ones.
//    A page that declares a Japanese code needs kUtf8OverDeclaration
//    sequences before its bytes outweigh its word: a stale declaration on
//    a page since rewritten in UTF-8 is still caught, and a genuine page
//    whose only Japanese is a short title is not taken.
// 4. Otherwise the JIS, EUC-JP and Shift_JIS detection of DetectTextCode
//    decides; where it stays undecided (EucOrShiftJis), a declared
//    EUC-JP, Shift_JIS or ISO-2022-JP settles it.
// A page of plain ASCII is Ascii (or UTF-8 by its mark or declaration,
// which reads it the same) and passes unchanged.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "text/jconvert.h"

namespace kaveto {

// How far the declaration is looked for. Browsers look in the first 1024
// bytes; pages that put long comments, scripts or many other meta elements
// first are still found at four times that, and the bound stays well inside
// the head of any page.
inline constexpr std::size_t kDeclarationSearchLength = 4096;

// How much of a page the UTF-8 check reads: as far as a title can be looked
// for. Bytes further on do not decide, so a UTF-8 page with a stray byte
// deep in its body keeps its title; a sequence that the bound cuts is read
// to its end.
inline constexpr std::size_t kUtf8CheckLength = (std::size_t{1} << 20) + (std::size_t{64} << 10);

inline constexpr std::size_t kUtf8MinSequences = 2;
inline constexpr std::size_t kUtf8MinTwoByteSequences = 4;
inline constexpr std::size_t kUtf8OverDeclaration = 16;

struct Utf8Sequences {
    std::size_t two_byte = 0;
    std::size_t longer = 0;  // three or four bytes
    friend bool operator==(const Utf8Sequences&, const Utf8Sequences&) = default;
};

// The multi-byte sequences in the first `limit` bytes of `text` when they
// are well-formed UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF); nothing when they are not. A sequence that begins before the
// limit is read to its end; one that the end of the text cuts off is not
// well formed: a short Shift_JIS text ending in a lead byte would
// otherwise pass.
std::optional<Utf8Sequences> CountUtf8Sequences(std::string_view text, std::size_t limit);

// The code that the page declares in a meta element, `<meta charset=...>`
// or `<meta http-equiv="Content-Type" content="...; charset=...">`, within
// its first kDeclarationSearchLength bytes, as a browser reads it: names
// and labels in any case, values quoted or not, comments and the
// attributes of other elements passed over. The first meta element that
// names a charset decides: Utf8, EucJp, ShiftJis or JisNew (for
// ISO-2022-JP); nothing for any other code, and when none is declared.
std::optional<TextCode> DeclaredTextCode(std::string_view page);

// A charset label in any of its usual spellings (case, "-" and "_" do not
// matter; white space around it is trimmed), as above.
std::optional<TextCode> TextCodeOfLabel(std::string_view label);

bool StartsWithUtf8Bom(std::string_view text);

// True when the whole text is well-formed UTF-8 holding at least one
// character beyond ASCII: what tells a user's file (a log, a template)
// written in UTF-8 from one in Shift_JIS, whose double-byte characters
// almost never fall into UTF-8's patterns. ASCII alone is both and gives
// false.
bool ReadsAsUtf8(std::string_view text);

// True when the whole text is well-formed UTF-8, ASCII alone included.
bool IsWellFormedUtf8(std::string_view text);

// The code the page is read in, by the order above: Utf8, a declared code,
// or what DetectTextCode gives.
TextCode DetectPageCode(std::string_view page);

// The page in Shift_JIS, read in the code DetectPageCode gives: UTF-8
// through the Unicode rule of text/unicode.h ("?" for what Shift_JIS
// cannot hold), JIS and EUC-JP through their converters, anything else
// unchanged. For a page that is not UTF-8 and declares nothing, exactly
// ConvertTextCode(page, TextCode::ShiftJis).
std::string ConvertPageToShiftJis(std::string_view page);
// The same, the page read in `code`, as DetectPageCode gave it.
std::string ConvertPageToShiftJis(std::string_view page, TextCode code);

}  // namespace kaveto
