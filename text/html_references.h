#pragma once
// Character references of HTML, as they stand in a page's text: "&amp;",
// "&#38;", "&#x26;".
#include <cstddef>
#include <optional>
#include <string_view>

namespace kaveto {

struct CharacterReference {
    char32_t character;
    std::size_t length;  // bytes, from the "&" to the ";" included
};

// The reference at the start of `text`, when it is well formed and names a
// character: "&" and a name of HTML 4's three entity sets (Latin-1, symbols,
// special) or "apos", case-sensitive; or "&#" and decimal digits, or "&#x"
// ("&#X") and hexadecimal digits; each closed by ";". A number from 128 to
// 159 names the character that browsers show for it (the Windows Latin-1
// reading: 150 is U+2013); zero, a surrogate or a number above U+10FFFF
// names nothing.
std::optional<CharacterReference> ReadCharacterReference(std::string_view text);

}  // namespace kaveto
