#include "text/unicode.h"

#include <array>
#include <cstdint>
#include <vector>

#include "text/codepage.h"
#include "text/sjis_table.h"

namespace kaveto {
namespace {

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// The index of a second byte within a row; -1 for a byte that cannot follow
// a lead byte.
int TrailIndex(unsigned char byte) {
    if (byte >= 0x40 && byte <= 0x7E) return byte - 0x40;
    if (byte >= 0x80 && byte <= 0xFC) return byte - 0x41;
    return -1;
}

// Unicode to Shift_JIS for the double-byte characters: the table inverted,
// 256 characters a page, with a page only where some character has a code.
// Made once, on first use, from the generated rows.
class DoubleByteEncoder {
public:
    DoubleByteEncoder() {
        page_of_.fill(kNoPage);
        for (std::size_t i = 0; i < sjis_table::kOneWayCount; ++i)
            Put(sjis_table::kOneWay[i].character, sjis_table::kOneWay[i].code);
        for (unsigned lead = 0; lead < 256; ++lead) {
            const std::uint8_t row = sjis_table::kRowOfLead[lead];
            if (row == sjis_table::kNoRow) continue;
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                const int index = TrailIndex(static_cast<unsigned char>(trail));
                if (index < 0) continue;
                const char16_t character = sjis_table::kRows[row][index];
                if (character != 0 && Find(character) == 0) Put(character, static_cast<std::uint16_t>(lead << 8 | trail));
            }
        }
    }
    // The code of the character, 0 when it has none.
    std::uint16_t Find(char32_t character) const {
        if (character > 0xFFFF) return 0;
        const std::uint8_t page = page_of_[character >> 8];
        return page == kNoPage ? 0 : codes_[page * 256u + (character & 0xFF)];
    }

private:
    static constexpr std::uint8_t kNoPage = 0xFF;
    void Put(char16_t character, std::uint16_t code) {
        std::uint8_t& page = page_of_[character >> 8];
        if (page == kNoPage) {
            page = static_cast<std::uint8_t>(codes_.size() / 256);
            codes_.resize(codes_.size() + 256, 0);
        }
        codes_[page * 256u + (character & 0xFF)] = code;
    }
    std::array<std::uint8_t, 256> page_of_;
    std::vector<std::uint16_t> codes_;
};

const DoubleByteEncoder& Encoder() {
    static const DoubleByteEncoder encoder;
    return encoder;
}

bool AppendShiftJisWith(const DoubleByteEncoder& encoder, char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
        return true;
    }
    if (c >= 0xFF61 && c <= 0xFF9F) {
        out += static_cast<char>(c - 0xFF61 + 0xA1);
        return true;
    }
    if (const std::uint16_t code = encoder.Find(c)) {
        out += static_cast<char>(code >> 8);
        out += static_cast<char>(code & 0xFF);
        return true;
    }
    out += '?';
    return false;
}

}  // namespace

char32_t NextUtf8(std::string_view text, std::size_t& pos) {
    const unsigned char first = static_cast<unsigned char>(text[pos++]);
    if (first < 0x80) return first;
    int needed;
    char32_t c;
    unsigned char lower = 0x80, upper = 0xBF;
    if (first >= 0xC2 && first <= 0xDF) {
        needed = 1;
        c = first & 0x1F;
    } else if (first >= 0xE0 && first <= 0xEF) {
        needed = 2;
        c = first & 0x0F;
        if (first == 0xE0) lower = 0xA0;  // no overlong forms
        if (first == 0xED) upper = 0x9F;  // no surrogates
    } else if (first >= 0xF0 && first <= 0xF4) {
        needed = 3;
        c = first & 0x07;
        if (first == 0xF0) lower = 0x90;
        if (first == 0xF4) upper = 0x8F;  // nothing above U+10FFFF
    } else {
        return kReplacementCharacter;
    }
    for (; needed > 0; --needed) {
        if (pos >= text.size()) return kReplacementCharacter;
        const unsigned char next = static_cast<unsigned char>(text[pos]);
        if (next < lower || next > upper) return kReplacementCharacter;  // the byte is read afresh
        c = c << 6 | (next & 0x3F);
        ++pos;
        lower = 0x80;
        upper = 0xBF;
    }
    return c;
}

char32_t NextUtf16(std::u16string_view text, std::size_t& pos) {
    const char16_t unit = text[pos++];
    if (unit < 0xD800 || unit > 0xDFFF) return unit;
    if (unit >= 0xDC00 || pos >= text.size()) return kReplacementCharacter;
    const char16_t low = text[pos];
    if (low < 0xDC00 || low > 0xDFFF) return kReplacementCharacter;
    ++pos;
    return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (low - 0xDC00);
}

char32_t NextShiftJis(std::string_view text, std::size_t& pos) {
    const unsigned char first = static_cast<unsigned char>(text[pos++]);
    if (first < 0x80) return first;
    if (first >= 0xA1 && first <= 0xDF) return 0xFF61 + (first - 0xA1);
    if (!IsShiftJisLeadByte(first) || pos >= text.size()) return kReplacementCharacter;
    const int index = TrailIndex(static_cast<unsigned char>(text[pos]));
    if (index < 0) return kReplacementCharacter;
    ++pos;
    const std::uint8_t row = sjis_table::kRowOfLead[first];
    const char16_t c = row == sjis_table::kNoRow ? 0 : sjis_table::kRows[row][index];
    return c != 0 ? c : kReplacementCharacter;
}

void AppendUtf8(char32_t c, std::string& out) {
    if (IsSurrogate(c) || c > 0x10FFFF) c = kReplacementCharacter;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendUtf16(char32_t c, std::u16string& out) {
    if (IsSurrogate(c) || c > 0x10FFFF) c = kReplacementCharacter;
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

bool AppendShiftJis(char32_t c, std::string& out) { return AppendShiftJisWith(Encoder(), c, out); }

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) AppendUtf16(NextUtf8(text, pos), out);
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) AppendUtf8(NextUtf16(text, pos), out);
    return out;
}

std::string Utf8ToShiftJis(std::string_view text) {
    const DoubleByteEncoder& encoder = Encoder();
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) AppendShiftJisWith(encoder, NextUtf8(text, pos), out);
    return out;
}

std::string Utf16ToShiftJis(std::u16string_view text) {
    const DoubleByteEncoder& encoder = Encoder();
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t pos = 0; pos < text.size();) AppendShiftJisWith(encoder, NextUtf16(text, pos), out);
    return out;
}

std::u16string ShiftJisToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) AppendUtf16(NextShiftJis(text, pos), out);
    return out;
}

std::string ShiftJisToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    for (std::size_t pos = 0; pos < text.size();) AppendUtf8(NextShiftJis(text, pos), out);
    return out;
}

}  // namespace kaveto
