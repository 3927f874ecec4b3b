// Detection and every conversion over arbitrary bytes: nothing is read
// outside the text (the sanitizers watch), outputs stay within their bounds,
// and round trips hold for texts made of well-formed characters.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tests/text/jconvert_reference.h"
#include "text/jconvert.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so that a read past the end is caught.
    const std::string text(reinterpret_cast<const char*>(data), size);

    const TextCode code = DetectTextCode(text);
    Check(static_cast<int>(code) >= 0 && static_cast<int>(code) <= 6);
    Check(!TextCodeName(code).empty());

    for (int target = 0; target <= 7; ++target) {
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
