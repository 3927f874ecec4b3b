// Detection and every conversion over arbitrary bytes: nothing is read
// outside the text (the sanitizers watch), outputs stay within their bounds,
// and round trips hold for texts made of well-formed characters. The page
// reading (UTF-8 and declared codes) agrees with the plain detection and
// conversion wherever it finds no UTF-8 and no declaration, and its UTF-8
// check with the Unicode reader.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "tests/text/jconvert_reference.h"
#include "text/jconvert.h"
#include "text/page_code.h"
#include "text/unicode.h"

using namespace kaveto;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

using Convert = std::string (*)(std::string_view);
using ConvertInto = void (*)(std::string_view, std::string&);

struct Conversion {
    Convert convert;
    ConvertInto convert_into;
    Convert plain;
    std::size_t (*bound)(std::size_t);  // most output bytes for n input bytes
};

// To JIS, the worst is a 7-bit byte between single double-byte
// characters: 3 bytes in, 9 out, plus the last return to single-byte.
std::size_t ToJisBound(std::size_t n) { return n / 2 * 9 + 9; }
std::size_t PlusOne(std::size_t n) { return n + 1; }
std::size_t Same(std::size_t n) { return n; }
std::size_t Twice(std::size_t n) { return 2 * n; }

const Conversion kConversions[] = {
    {JisToShiftJis, JisToShiftJis, reference::JisToShiftJis, PlusOne},
    {JisToEuc, JisToEuc, reference::JisToEuc, Same},
    {EucToJis, EucToJis, reference::EucToJis, ToJisBound},
    {EucToShiftJis, EucToShiftJis, reference::EucToShiftJis, PlusOne},
    {ShiftJisToJis, ShiftJisToJis, reference::ShiftJisToJis, ToJisBound},
    {ShiftJisToEuc, ShiftJisToEuc, reference::ShiftJisToEuc, Twice},
};

// Builds well-formed texts in the three codes from the fuzz input: 7-bit
// bytes (no ESC, no zero), JIS X 0208 cells and, outside JIS, half-width
// katakana.
struct WellFormed {
    std::string sjis, euc, sjis_full_width;
};

WellFormed MakeWellFormed(const std::uint8_t* data, std::size_t size) {
    WellFormed texts;
    for (std::size_t i = 0; i + 2 < size; i += 3) {
        const std::uint8_t kind = data[i] % 4;
        if (kind == 0) {
            char c = static_cast<char>(data[i + 1] & 0x7F);
            if (c == 0 || c == 0x1B) c = '\n';
            texts.sjis += c;
            texts.euc += c;
            texts.sjis_full_width += c;
        } else if (kind == 1) {
            const unsigned char kana = static_cast<unsigned char>(0xA1 + data[i + 1] % 63);
            texts.sjis += static_cast<char>(kana);
            texts.euc += '\x8e';
            texts.euc += static_cast<char>(kana);
        } else {
            const unsigned char j1 = static_cast<unsigned char>(0x21 + data[i + 1] % 94);
            const unsigned char j2 = static_cast<unsigned char>(0x21 + data[i + 2] % 94);
            const BytePair s = JisPairToShiftJis(j1, j2);
            const std::string pair{static_cast<char>(s.first), static_cast<char>(s.second)};
            texts.sjis += pair;
            texts.sjis_full_width += pair;
            texts.euc += static_cast<char>(j1 | 0x80);
            texts.euc += static_cast<char>(j2 | 0x80);
        }
    }
    return texts;
}

// Well-formed UTF-8 ⇔ it reads back to itself through the Unicode reader
// (which writes U+FFFD for what is not); the sequences counted by length.
std::optional<Utf8Sequences> ReferenceUtf8Sequences(const std::string& text) {
    if (Utf16ToUtf8(Utf8ToUtf16(text)) != text) return std::nullopt;
    Utf8Sequences count;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t from = pos;
        NextUtf8(text, pos);
        if (pos - from == 2) ++count.two_byte;
        if (pos - from > 2) ++count.longer;
    }
    return count;
}

void CheckPageReading(const std::string& text, const std::uint8_t* data, std::size_t size) {
    const TextCode page_code = DetectPageCode(text);
    const TextCode code = DetectTextCode(text);
    Check(static_cast<int>(page_code) >= 0 && static_cast<int>(page_code) <= 7);
    const std::string converted = ConvertPageToShiftJis(text);
    Check(converted.size() <= text.size() + 1);
    if (page_code == code) Check(converted == ConvertTextCode(text, TextCode::ShiftJis));
    if (page_code == TextCode::Utf8)
        Check(converted == Utf8ToShiftJis(StartsWithUtf8Bom(text) ? text.substr(3) : text));
    const std::optional<TextCode> declared = DeclaredTextCode(text);
    if (!declared && !StartsWithUtf8Bom(text) && page_code != TextCode::Utf8) Check(page_code == code);

    const std::optional<Utf8Sequences> counted = CountUtf8Sequences(text, std::string::npos);
    Check(counted == ReferenceUtf8Sequences(text));
    // A bound reads a well-formed text's head, never more sequences.
    if (counted && size > 0) {
        const auto head = CountUtf8Sequences(text, data[0] % (size + 1));
        Check(head && head->two_byte <= counted->two_byte && head->longer <= counted->longer);
    }

    // Any label, declared in a meta element, reads as the label does.
    if (text.find_first_of("\"<>") == std::string::npos && text.size() < 64)
        Check(DeclaredTextCode("<meta charset=\"" + text + "\">") == TextCodeOfLabel(text));
}

// UTF-8 made of the input's code points: read as UTF-8 once it holds enough
// sequences, and converted by the Unicode rule.
void CheckUtf8Page(const std::uint8_t* data, std::size_t size) {
    std::string page;
    std::size_t non_ascii = 0;
    for (std::size_t i = 0; i + 2 < size; i += 3) {
        char32_t c = (static_cast<char32_t>(data[i]) << 16 | data[i + 1] << 8 | data[i + 2]) % 0x110000;
        if (c >= 0xD800 && c <= 0xDFFF) c = 0x3042;
        if (c == 0) c = ' ';
        non_ascii += c >= 0x80;
        AppendUtf8(c, page);
    }
    if (StartsWithUtf8Bom(page)) return;
    const bool declared_other = DeclaredTextCode(page).has_value() && DeclaredTextCode(page) != TextCode::Utf8;
    if (non_ascii >= (declared_other ? kUtf8OverDeclaration : kUtf8MinTwoByteSequences) &&
        page.size() <= kUtf8CheckLength) {
        Check(DetectPageCode(page) == TextCode::Utf8);
        Check(ConvertPageToShiftJis(page) == Utf8ToShiftJis(page));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so that a read past the end is caught.
    const std::string text(reinterpret_cast<const char*>(data), size);

    const TextCode code = DetectTextCode(text);
    Check(static_cast<int>(code) >= 0 && static_cast<int>(code) <= 6);
    Check(!TextCodeName(code).empty());

    CheckPageReading(text, data, size);
    CheckUtf8Page(data, size);

    for (int target = 0; target <= 8; ++target) {
        const std::string converted = ConvertTextCode(text, static_cast<TextCode>(target));
        Check(converted.size() <= ToJisBound(size));
        const bool converts = code != TextCode::Ascii && code != TextCode::Binary &&
                              code != TextCode::EucOrShiftJis && code != static_cast<TextCode>(target) &&
                              (target == 2 || target == 4 || target == 5);
        if (!converts) Check(converted == text);
    }

    for (const auto& c : kConversions) {
        const std::string out = c.convert(text);
        Check(out.size() <= c.bound(size));
        Check(out == c.plain(text));
        std::string appended = "prefix";
        c.convert_into(text, appended);
        Check(appended.compare(0, 6, "prefix") == 0 && appended.compare(6, std::string::npos, out) == 0);
    }
    // Conversions to JIS end in the single-byte set (an ESC of the input
    // is copied as it is, so only texts without one tell).
    if (text.find('\x1b') == std::string::npos) {
        for (const std::string& jis : {ShiftJisToJis(text), EucToJis(text)}) {
            const std::size_t last_double = jis.rfind("\x1b$B");
            if (last_double != std::string::npos) Check(jis.find("\x1b(J", last_double) != std::string::npos);
        }
    }
    Check(JisToShiftJis(text).find('\0') == std::string::npos);

    for (std::size_t pos = 0; pos < size; ++pos) {
        std::size_t p = pos;
        ShiftJisKanaToJis(text, p);
        Check(p > pos && p <= pos + 2);
        p = pos;
        EucKanaToJis(text, p);
        Check(p > pos && p <= pos + 4 && p <= size);
    }

    const WellFormed texts = MakeWellFormed(data, size);
    Check(ShiftJisToEuc(texts.sjis) == texts.euc);
    Check(EucToShiftJis(texts.euc) == texts.sjis);
    Check(EucToJis(texts.euc) == ShiftJisToJis(texts.sjis));
    const std::string jis = ShiftJisToJis(texts.sjis_full_width);
    Check(JisToShiftJis(jis) == texts.sjis_full_width);
    Check(JisToEuc(jis) == ShiftJisToEuc(texts.sjis_full_width));
    Check(EucToJis(JisToEuc(jis)) == jis);
    return 0;
}
