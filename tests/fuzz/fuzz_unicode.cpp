// Unicode conversions over arbitrary bytes: nothing is read outside the
// text (the sanitizers watch), the roads through UTF-8 and UTF-16 agree,
// and well-formed text comes back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "text/unicode.h"

using namespace kaveto;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool HasLoneSurrogate(const std::u16string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xDC00 && unit <= 0xDFFF) return true;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return true;
            ++i;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    // As UTF-8: once read, the text is well formed and reads the same again.
    const std::u16string from_utf8 = Utf8ToUtf16(bytes);
    Check(from_utf8.size() <= size && !HasLoneSurrogate(from_utf8));
    const std::string utf8 = Utf16ToUtf8(from_utf8);
    Check(Utf8ToUtf16(utf8) == from_utf8);
    if (from_utf8.find(u'\uFFFD') == std::u16string::npos) Check(utf8 == bytes);
    Check(Utf8ToShiftJis(bytes) == Utf16ToShiftJis(from_utf8));

    // As UTF-16: a text without lone surrogates comes back unchanged.
    std::u16string utf16;
    for (std::size_t i = 0; i + 1 < size; i += 2) utf16 += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    const std::u16string round = Utf8ToUtf16(Utf16ToUtf8(utf16));
    Check(round.size() == utf16.size());
    if (!HasLoneSurrogate(utf16)) Check(round == utf16);
    Check(Utf16ToShiftJis(utf16).size() <= 2 * utf16.size());

    // As Shift_JIS: every character that reads as one writes back as bytes
    // that read as the same character again.
    const std::u16string from_sjis = ShiftJisToUtf16(bytes);
    Check(from_sjis.size() <= size);
    const std::string sjis = Utf16ToShiftJis(from_sjis);
    const std::u16string again = ShiftJisToUtf16(sjis);
    Check(again.size() == from_sjis.size());
    for (std::size_t i = 0; i < again.size(); ++i)
        Check(again[i] == from_sjis[i] || from_sjis[i] == 0xFFFD || (from_sjis[i] == 0xFFE2 && again[i] == 0xAC));
    return 0;
}
