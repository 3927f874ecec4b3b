#pragma once
// A plain byte-at-a-time statement of the conversions, with none of the
// run-at-a-time paths of the real ones, read through an accessor that
// yields a zero byte past the end. The tests and the fuzz target compare the
// real conversions with it on arbitrary bytes.
#include <string>
#include <string_view>

#include "text/jconvert.h"

namespace kaveto::reference {

struct Text {
    std::string_view s;
    unsigned char operator[](std::size_t i) const { return i < s.size() ? static_cast<unsigned char>(s[i]) : 0; }
    std::size_t size() const { return s.size(); }
};

inline void PutPair(std::string& out, BytePair pair) {
    out += static_cast<char>(pair.first);
    out += static_cast<char>(pair.second);
}

template <bool kEuc>
std::string ToJis(std::string_view text) {
    const Text t{text};
    std::string out;
    bool double_byte = false;
    std::size_t i = 0;
    while (i < t.size()) {
        const unsigned char b = t[i];
        if (b <= 0x7F) {
            if (double_byte) out += "\x1b(J";
            double_byte = false;
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        if (!double_byte) out += "\x1b$B";
        double_byte = true;
        if (kEuc && b == 0x8E) {
            PutPair(out, EucKanaToJis(text, i));
        } else if (!kEuc && b >= 0xA1 && b <= 0xDF) {
            PutPair(out, ShiftJisKanaToJis(text, i));
        } else if (kEuc) {
            PutPair(out, {static_cast<unsigned char>(b & 0x7F), static_cast<unsigned char>(t[i + 1] & 0x7F)});
            i += 2;
        } else {
            PutPair(out, ShiftJisPairToJis(b, t[i + 1]));
            i += 2;
        }
    }
    if (double_byte) out += "\x1b(J";
    return out;
}

template <bool kEuc>
std::string FromJis(std::string_view text) {
    const Text t{text};
    std::string out;
    bool double_byte = false;
    std::size_t i = 0;
    while (i < t.size()) {
        while (i < t.size() && t[i] == 0x1B) {
            if (i + 3 > t.size()) return out.substr(0, kEuc ? out.size() : out.find('\0'));
            if (t[i + 1] == '$') double_byte = true;
            else if (t[i + 1] == '(') double_byte = false;
            i += 3;
        }
        if (i >= t.size()) break;
        const unsigned char b = t[i];
        if (!double_byte) {
            out += static_cast<char>(b);
            ++i;
        } else if (kEuc) {
            out += static_cast<char>(b >= 0x21 && b <= 0x7E ? b | 0x80 : b);
            ++i;
        } else {
            PutPair(out, JisPairToShiftJis(b, t[i + 1]));
            i += 2;
        }
    }
    return kEuc ? out : out.substr(0, out.find('\0'));
}

inline std::string EucToShiftJis(std::string_view text) {
    const Text t{text};
    std::string out;
    for (std::size_t i = 0; i < t.size();) {
        const unsigned char b = t[i];
        if (b <= 0x80 || b == 0xFF) {
            out += static_cast<char>(b);
            ++i;
        } else if (b == 0x8E) {
            out += static_cast<char>(t[i + 1]);
            i += 2;
        } else {
            PutPair(out, JisPairToShiftJis(b & 0x7F, t[i + 1] & 0x7F));
            i += 2;
        }
    }
    return out;
}

inline std::string ShiftJisToEuc(std::string_view text) {
    const Text t{text};
    std::string out;
    for (std::size_t i = 0; i < t.size();) {
        const unsigned char b = t[i];
        if (b <= 0x7F) {
            out += static_cast<char>(b);
            ++i;
        } else if (b >= 0xA1 && b <= 0xDF) {
            out += '\x8e';
            out += static_cast<char>(b);
            ++i;
        } else {
            const BytePair j = ShiftJisPairToJis(b, t[i + 1]);
            PutPair(out, {static_cast<unsigned char>(j.first | 0x80), static_cast<unsigned char>(j.second | 0x80)});
            i += 2;
        }
    }
    return out;
}

inline std::string EucToJis(std::string_view text) { return ToJis<true>(text); }
inline std::string ShiftJisToJis(std::string_view text) { return ToJis<false>(text); }
inline std::string JisToEuc(std::string_view text) { return FromJis<true>(text); }
inline std::string JisToShiftJis(std::string_view text) { return FromJis<false>(text); }

}  // namespace kaveto::reference
