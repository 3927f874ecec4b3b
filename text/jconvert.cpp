#include "text/jconvert.h"

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kaveto {

const std::array<unsigned char, 63> HalfWidthKanaTable = {
    0x23, 0x56, 0x57, 0x22, 0x26,                                // A1-A5
    0x72, 0x21, 0x23, 0x25, 0x27, 0x29, 0x63, 0x65, 0x67, 0x43,  // A6-AF
    0x3C,                                                        // B0
    0x22, 0x24, 0x26, 0x28, 0x2A, 0x2B, 0x2D, 0x2F, 0x31, 0x33,  // B1-BA
    0x35, 0x37, 0x39, 0x3B, 0x3D,                                // BB-BF
    0x3F, 0x41, 0x44, 0x46, 0x48, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E,  // C0-C9
    0x4F, 0x52, 0x55, 0x58, 0x5B, 0x5E,                          // CA-CF
    0x5F, 0x60, 0x61, 0x62, 0x64, 0x66, 0x68, 0x69, 0x6A, 0x6B,  // D0-D9
    0x6C, 0x6D, 0x6F, 0x73,                                      // DA-DD
    0x2B, 0x2C,                                                  // DE-DF
};

std::string_view TextCodeName(TextCode code) {
    switch (code) {
    case TextCode::Ascii: return "Ascii";
    case TextCode::Binary: return "Binary";
    case TextCode::JisNew: return "JisNew";
    case TextCode::JisOld: return "JisOld";
    case TextCode::EucJp: return "EucJp";
    case TextCode::ShiftJis: return "ShiftJis";
    case TextCode::EucOrShiftJis: return "EucOrShiftJis";
    case TextCode::Utf8: return "Utf8";
    }
    return {};
}

namespace {

using Byte = unsigned char;

constexpr Byte kEsc = 0x1B;
constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

std::uint64_t Load8(const Byte* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Nonzero when some byte of the word is below `limit` (limit at most 0x80).
constexpr std::uint64_t HasByteBelow(std::uint64_t word, Byte limit) {
    return (word - kOnes * limit) & ~word & kHighs;
}

constexpr std::uint64_t HasByte(std::uint64_t word, Byte value) {
    return HasByteBelow(word ^ (kOnes * value), 1);
}

// The end of the run of 7-bit bytes that starts at p. Text is mostly such
// runs, so they are measured many bytes at a time.
const Byte* AsciiRunEnd(const Byte* p, const Byte* end) {
#if defined(__SSE2__)
    while (end - p >= 16) {
        const int high = _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
        if (high) return p + std::countr_zero(static_cast<unsigned>(high));
        p += 16;
    }
#endif
    while (end - p >= 8 && (Load8(p) & kHighs) == 0) p += 8;
    while (p < end && *p < 0x80) ++p;
    return p;
}

// The end of the run of bytes that JIS in the single-byte set copies as they
// are: everything but ESC, and (when `stop_at_zero`) the zero byte.
const Byte* JisPlainRunEnd(const Byte* p, const Byte* end, bool stop_at_zero) {
#if defined(__SSE2__)
    const __m128i esc = _mm_set1_epi8(kEsc);
    const __m128i zero = stop_at_zero ? _mm_setzero_si128() : esc;
    while (end - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int stops = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, esc), _mm_cmpeq_epi8(v, zero)));
        if (stops) return p + std::countr_zero(static_cast<unsigned>(stops));
        p += 16;
    }
#endif
    while (end - p >= 8) {
        const std::uint64_t word = Load8(p);
        if (HasByte(word, kEsc) || (stop_at_zero && HasByte(word, 0))) break;
        p += 8;
    }
    while (p < end && *p != kEsc && !(stop_at_zero && *p == 0)) ++p;
    return p;
}

// Output is gathered in a small local block and handed to the caller's
// string in large pieces, so that writing a byte costs no capacity check of
// the string and the string is never zero-filled ahead of time. The write
// position is a local variable of each conversion (passed in and returned),
// not a member: kept in memory, every byte stored would oblige the compiler
// to read it back.
class Sink {
public:
    explicit Sink(std::string& out) : out_(out) {}
    Sink(const Sink&) = delete;
    Sink& operator=(const Sink&) = delete;

    Byte* Start() { return block_; }

    // Makes room for `count` (at most 16) more bytes at w.
    Byte* Room(Byte* w, std::size_t count) {
        if (static_cast<std::size_t>(block_ + sizeof block_ - w) >= count) return w;
        Flush(w);
        return block_;
    }

    // Copies the run [p, run_end) of the text that ends at `end`.
    Byte* Append(Byte* w, const Byte* p, const Byte* run_end, const Byte* end) {
        const std::size_t count = static_cast<std::size_t>(run_end - p);
#if defined(__SSE2__)
        // Short runs (a word, a line end) take one unaligned copy.
        if (count <= 16 && end - p >= 16) {
            w = Room(w, 16);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(w), _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
            return w + count;
        }
#else
        (void)end;
#endif
        if (count > static_cast<std::size_t>(block_ + sizeof block_ - w)) {
            Flush(w);
            w = block_;
            if (count > sizeof block_ / 2) {
                out_.append(reinterpret_cast<const char*>(p), count);
                return w;
            }
        }
        std::memcpy(w, p, count);
        return w + count;
    }

    // Hands everything before w to the caller's string.
    void Flush(Byte* w) { out_.append(reinterpret_cast<const char*>(block_), static_cast<std::size_t>(w - block_)); }


private:
    std::string& out_;
    Byte block_[16384];
};

Byte* Put(Byte* w, Byte byte) {
    *w = byte;
    return w + 1;
}
Byte* Put(Byte* w, BytePair pair) {
    w[0] = pair.first;
    w[1] = pair.second;
    return w + 2;
}
Byte* Put3(Byte* w, Byte a, Byte b, Byte c) {
    w[0] = a;
    w[1] = b;
    w[2] = c;
    return w + 3;
}

// ---------------------------------------------------------------------------
// Sixteen bytes at a time. Japanese text is mostly runs of double-byte
// characters; a block of 16 bytes whose even bytes are all lead bytes holds
// eight whole characters, whatever the odd bytes are, because a lead byte
// always takes the next byte as its second. Each function converts such
// blocks from p for as long as they come and leaves the rest (a block that
// does not qualify, or fewer than 16 bytes) to the byte-at-a-time code.
// Without SSE2 they convert nothing.

#if defined(__SSE2__)

__m128i Load16(const Byte* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
void Store16(Byte* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
__m128i Set16(int value) { return _mm_set1_epi16(static_cast<short>(value)); }
__m128i Select(__m128i mask, __m128i yes, __m128i no) {
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}
// Each 16-bit lane holds one character: first byte low, second byte high.
__m128i Lows(__m128i v) { return _mm_and_si128(v, Set16(0x00FF)); }
__m128i Highs(__m128i v) { return _mm_srli_epi16(v, 8); }
__m128i Join(__m128i first, __m128i second) {
    return _mm_or_si128(Lows(first), _mm_slli_epi16(second, 8));
}
// Lanes whose value (0-255) lies in [lo, hi].
__m128i InRange(__m128i lanes, int lo, int hi) {
    return _mm_and_si128(_mm_cmpgt_epi16(lanes, Set16(lo - 1)), _mm_cmplt_epi16(lanes, Set16(hi + 1)));
}

// The pair arithmetic of JisPairToShiftJis and ShiftJisPairToJis, lane-wise.
__m128i JisLanesToShiftJis(__m128i j1, __m128i j2) {
    const __m128i high_rows = _mm_cmpgt_epi16(j1, Set16(0x5E));
    const __m128i s1 = _mm_add_epi16(_mm_srli_epi16(Lows(_mm_add_epi16(j1, Set16(1))), 1),
                                     Select(high_rows, Set16(0xB0), Set16(0x70)));
    const __m128i odd = _mm_cmpeq_epi16(_mm_and_si128(j1, Set16(1)), Set16(1));
    const __m128i odd_add = Select(_mm_cmpgt_epi16(j2, Set16(0x5F)), Set16(0x20), Set16(0x1F));
    const __m128i s2 = _mm_add_epi16(j2, Select(odd, odd_add, Set16(0x7E)));
    return Join(s1, s2);
}

__m128i ShiftJisLanesToJis(__m128i s1, __m128i s2) {
    __m128i j1 = _mm_slli_epi16(_mm_sub_epi16(s1, Select(_mm_cmplt_epi16(s1, Set16(0xA0)), Set16(0x70), Set16(0xB0))), 1);
    const __m128i low_second = _mm_cmplt_epi16(s2, Set16(0x9F));
    const __m128i low_sub = Select(_mm_cmpgt_epi16(s2, Set16(0x7F)), Set16(0x20), Set16(0x1F));
    const __m128i j2 = _mm_sub_epi16(s2, Select(low_second, low_sub, Set16(0x7E)));
    j1 = _mm_add_epi16(j1, low_second);  // the mask is -1 where the row is lowered
    return Join(j1, j2);
}

// Writes the converted block and takes from it the characters before the
// first one that does not qualify (bit i of `bad` set for byte i); a
// block of pairs takes whole pairs only. Returns whether all 16 bytes went.
template <bool kPairs = true>
[[gnu::always_inline]] inline bool Take(const Byte*& p, Byte*& w, __m128i converted, unsigned bad) {
    unsigned count = static_cast<unsigned>(std::countr_zero(bad | 0x10000u));
    if (kPairs) count &= ~1u;
    Store16(w, converted);
    w += count;
    p += count;
    return count == 16;
}

unsigned Bad(__m128i good) { return ~static_cast<unsigned>(_mm_movemask_epi8(good)) & 0xFFFFu; }

// EUC-JP characters (lead 81-8D, 8F-FE) to Shift_JIS.
[[gnu::always_inline]] inline Byte* EucBlocksToShiftJis(const Byte*& p, const Byte* end, Byte* w, Sink& sink) {
    bool whole = true;
    while (whole && end - p >= 16) {
        const __m128i v = Load16(p);
        const __m128i lead = Lows(v);
        const __m128i good = _mm_andnot_si128(_mm_cmpeq_epi16(lead, Set16(0x8E)), InRange(lead, 0x81, 0xFE));
        w = sink.Room(w, 16);
        whole = Take(p, w,
                     JisLanesToShiftJis(_mm_and_si128(lead, Set16(0x7F)), _mm_and_si128(Highs(v), Set16(0x7F))),
                     Bad(good));
    }
    return w;
}

// EUC-JP characters (lead 80-FF but 8E) to JIS: the top bits cleared.
[[gnu::always_inline]] inline Byte* EucBlocksToJis(const Byte*& p, const Byte* end, Byte* w, Sink& sink) {
    bool whole = true;
    while (whole && end - p >= 16) {
        const __m128i v = Load16(p);
        const __m128i lead = Lows(v);
        const __m128i good = _mm_andnot_si128(_mm_cmpeq_epi16(lead, Set16(0x8E)), _mm_cmpgt_epi16(lead, Set16(0x7F)));
        w = sink.Room(w, 16);
        whole = Take(p, w, _mm_and_si128(v, _mm_set1_epi8(0x7F)), Bad(good));
    }
    return w;
}

// Shift_JIS characters (lead 80-A0, E0-FF) to JIS, or with the top bits
// set, to EUC-JP.
template <bool kEuc>
[[gnu::always_inline]] inline Byte* ShiftJisBlocks(const Byte*& p, const Byte* end, Byte* w, Sink& sink) {
    bool whole = true;
    while (whole && end - p >= 16) {
        const __m128i v = Load16(p);
        const __m128i lead = Lows(v);
        const __m128i good = _mm_or_si128(InRange(lead, 0x80, 0xA0), _mm_cmpgt_epi16(lead, Set16(0xDF)));
        __m128i out = ShiftJisLanesToJis(lead, Highs(v));
        if (kEuc) out = _mm_or_si128(out, _mm_set1_epi8(static_cast<char>(0x80)));
        w = sink.Room(w, 16);
        whole = Take(p, w, out, Bad(good));
    }
    return w;
}

// A run of Shift_JIS half-width katakana to EUC-JP: each byte gets an 8E
// before it.
[[gnu::always_inline]] inline Byte* ShiftJisKanaRunToEuc(const Byte*& p, const Byte* end, Byte* w, Sink& sink) {
    if (end - p < 16) return w;
    const __m128i v = Load16(p);
    const __m128i kana = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(static_cast<char>(0xA0))),
                                       _mm_cmplt_epi8(v, _mm_set1_epi8(static_cast<char>(0xE0))));
    const unsigned count = static_cast<unsigned>(std::countr_zero(Bad(kana) | 0x10000u));
    const __m128i mark = _mm_set1_epi8(static_cast<char>(0x8E));
    w = sink.Room(w, 32);
    Store16(w, _mm_unpacklo_epi8(mark, v));
    Store16(w + 16, _mm_unpackhi_epi8(mark, v));
    p += count;
    return w + 2 * count;
}

// JIS pairs in the double-byte set to Shift_JIS, up to an escape at a pair
// start or a pair that would write a zero byte.
[[gnu::always_inline]] inline Byte* JisBlocksToShiftJis(const Byte*& p, const Byte* end, Byte* w, Sink& sink) {
    bool whole = true;
    while (whole && end - p >= 16) {
        const __m128i v = Load16(p);
        const __m128i lead = Lows(v);
        const __m128i out = JisLanesToShiftJis(lead, Highs(v));
        const unsigned bad = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(lead, Set16(0x1B))) |
                                                   _mm_movemask_epi8(_mm_cmpeq_epi8(out, _mm_setzero_si128())));
        w = sink.Room(w, 16);
        whole = Take(p, w, out, bad);
    }
    return w;
}

// JIS bytes in the double-byte set to EUC-JP, up to an escape: 21-7E get
// the top bit.
[[gnu::always_inline]] inline Byte* JisBlocksToEuc(const Byte*& p, const Byte* end, Byte* w, Sink& sink) {
    bool whole = true;
    while (whole && end - p >= 16) {
        const __m128i v = Load16(p);
        const __m128i graphic = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(0x20)), _mm_cmplt_epi8(v, _mm_set1_epi8(0x7F)));
        const unsigned bad = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(0x1B))));
        w = sink.Room(w, 16);
        whole = Take<false>(p, w, _mm_or_si128(v, _mm_and_si128(graphic, _mm_set1_epi8(static_cast<char>(0x80)))), bad);
    }
    return w;
}

#else

Byte* EucBlocksToShiftJis(const Byte*&, const Byte*, Byte* w, Sink&) { return w; }
Byte* EucBlocksToJis(const Byte*&, const Byte*, Byte* w, Sink&) { return w; }
template <bool kEuc>
Byte* ShiftJisBlocks(const Byte*&, const Byte*, Byte* w, Sink&) { return w; }
Byte* JisBlocksToShiftJis(const Byte*&, const Byte*, Byte* w, Sink&) { return w; }
Byte* JisBlocksToEuc(const Byte*&, const Byte*, Byte* w, Sink&) { return w; }
Byte* ShiftJisKanaRunToEuc(const Byte*&, const Byte*, Byte* w, Sink&) { return w; }

#endif

const Byte* Begin(std::string_view text) { return reinterpret_cast<const Byte*>(text.data()); }

// The byte after position i, or the zero byte that stands for what lies
// just after the last byte.
Byte NextOrZero(const Byte* p, const Byte* end) { return end - p > 1 ? p[1] : 0; }

// Past a lead byte and its second byte, or to the end when the lead byte is
// the last byte.
const Byte* PastPair(const Byte* p, const Byte* end) { return end - p > 1 ? p + 2 : end; }

bool IsHalfWidthKana(Byte b) { return b >= 0xA1 && b <= 0xDF; }

// The full-width JIS form of half-width katakana byte k, merged with the
// sound mark `mark` (DE, DF, or 0 for none) where such a character exists.
// Returns whether the mark was merged.
bool KanaToJis(Byte k, Byte mark, BytePair& result) {
    const bool row21 = (k >= 0xA1 && k <= 0xA5) || k == 0xB0 || k >= 0xDE;
    result.first = row21 ? 0x21 : 0x25;
    result.second = HalfWidthKanaTable[k - 0xA1];
    if (mark == 0xDE) {
        if (k == 0xB3) {
            result.second = 0x74;
            return true;
        }
        if ((k >= 0xB6 && k <= 0xC4) || (k >= 0xCA && k <= 0xCE)) {
            result.second = static_cast<Byte>(result.second + 1);
            return true;
        }
    } else if (mark == 0xDF && k >= 0xCA && k <= 0xCE) {
        result.second = static_cast<Byte>(result.second + 2);
        return true;
    }
    return false;
}

// JIS's geta mark, the customary stand-in for a character that has no form.
constexpr BytePair kSubstitute{0x22, 0x2E};

// Conversions to JIS: the mode switches are written only where the set
// changes, and the text always ends in the single-byte set.
template <typename Blocks, typename DoubleByte>
void ToJis(std::string_view text, std::string& out, Blocks blocks, DoubleByte double_byte) {
    const Byte* const begin = Begin(text);
    const Byte* const end = begin + text.size();
    const Byte* p = begin;
    Sink sink(out);
    Byte* w = sink.Start();
    while (p < end) {
        // The single-byte set: a run of 7-bit bytes is copied whole.
        const Byte* run_end = AsciiRunEnd(p, end);
        w = sink.Append(w, p, run_end, end);
        p = run_end;
        if (p == end) break;
        w = Put3(sink.Room(w, 3), kEsc, '$', 'B');
        // The double-byte set, up to the next 7-bit byte.
        while (p < end && *p >= 0x80) {
            w = blocks(p, end, w, sink);
            if (p == end || *p < 0x80) break;
            w = Put(sink.Room(w, 2), double_byte(p, end));
        }
        w = Put3(sink.Room(w, 3), kEsc, '(', 'J');
    }
    sink.Flush(w);
}

// Reads the escape sequences that start at p: each switches the mode by its
// second byte and is three bytes long. Returns null when the text ends with
// them or inside one of them.
const Byte* ReadEscapes(const Byte* p, const Byte* end, bool& double_byte) {
    while (p < end && *p == kEsc) {
        if (end - p < 3) return nullptr;
        if (p[1] == '$') double_byte = true;
        else if (p[1] == '(') double_byte = false;
        p += 3;
    }
    return p == end ? nullptr : p;
}

}  // namespace

// ---------------------------------------------------------------------------
// Pair arithmetic and half-width katakana

BytePair JisPairToShiftJis(unsigned char j1, unsigned char j2) {
    BytePair s;
    s.first = static_cast<Byte>((static_cast<Byte>(j1 + 1) >> 1) + (j1 < 0x5F ? 0x70 : 0xB0));
    if (j1 & 1) s.second = static_cast<Byte>(j2 + (j2 <= 0x5F ? 0x1F : 0x20));
    else s.second = static_cast<Byte>(j2 + 0x7E);
    return s;
}

BytePair ShiftJisPairToJis(unsigned char s1, unsigned char s2) {
    BytePair j;
    j.first = static_cast<Byte>(2 * (s1 - (s1 < 0xA0 ? 0x70 : 0xB0)));
    if (s2 < 0x9F) {
        j.second = static_cast<Byte>(s2 - (s2 > 0x7F ? 0x20 : 0x1F));
        j.first = static_cast<Byte>(j.first - 1);
    } else {
        j.second = static_cast<Byte>(s2 - 0x7E);
    }
    return j;
}

namespace {

// The kana conversions over a pointer that they advance, for the text
// conversions; the positional forms below wrap them.
// p lies within the text.
BytePair ShiftJisKanaAt(const Byte*& p, const Byte* end) {
    if (!IsHalfWidthKana(*p)) {
        ++p;
        return kSubstitute;
    }
    BytePair result;
    const bool merged = KanaToJis(*p, NextOrZero(p, end), result);
    p += merged ? 2 : 1;
    return result;
}

// After 8E anything but a half-width katakana byte (or nothing at all) is
// no character: only the 8E is consumed and becomes the substitution mark,
// so that a following line end or lead byte is still read by itself.
BytePair EucKanaAt(const Byte*& p, const Byte* end) {
    if (end - p < 2 || !IsHalfWidthKana(p[1])) {
        ++p;
        return kSubstitute;
    }
    const Byte mark = end - p >= 4 && p[2] == 0x8E ? p[3] : 0;
    BytePair result;
    const bool merged = KanaToJis(p[1], mark, result);
    p += merged ? 4 : 2;
    return result;
}

}  // namespace

BytePair ShiftJisKanaToJis(std::string_view text, std::size_t& pos) {
    if (pos >= text.size()) {
        ++pos;
        return kSubstitute;
    }
    const Byte* p = Begin(text) + pos;
    const BytePair result = ShiftJisKanaAt(p, Begin(text) + text.size());
    pos = static_cast<std::size_t>(p - Begin(text));
    return result;
}

BytePair EucKanaToJis(std::string_view text, std::size_t& pos) {
    if (pos >= text.size()) {
        ++pos;
        return kSubstitute;
    }
    const Byte* p = Begin(text) + pos;
    const BytePair result = EucKanaAt(p, Begin(text) + text.size());
    pos = static_cast<std::size_t>(p - Begin(text));
    return result;
}

// ---------------------------------------------------------------------------
// Detection

TextCode DetectTextCode(std::string_view text) {
    const Byte* const s = Begin(text);
    const std::size_t n = text.size();
    if (n == 0) return TextCode::Ascii;
    // The last byte is never examined: it cannot start a character.
    const std::size_t prescan = n - 1 < BinaryScanLength ? n - 1 : BinaryScanLength;
    for (std::size_t i = 0; i < prescan; ++i)
        if (s[i] < 0x08 || s[i] == 0xFF) return TextCode::Binary;

    int code = 0;
    std::size_t i = 0;
    while ((code == 0 || code == 6) && i + 1 < n) {
        // Ordinary 7-bit bytes decide nothing; skip them a word at a time.
        while (n - i >= 8) {
            const std::uint64_t word = Load8(s + i);
            if ((word & kHighs) || HasByteBelow(word, 0x08) || HasByte(word, kEsc)) break;
            i += 8;
        }
        if (i + 1 >= n) break;
        const Byte b = s[i];
        const Byte c = s[i + 1];
        if (b == kEsc) {
            if (c == '$') {
                const Byte d = i + 2 < n ? s[i + 2] : 0;
                if (d == 'B') code = 2;
                else if (d == '@') code = 3;
                i += 3;
            } else {
                i += 2;
            }
        } else if (b < 0x08 || b == 0xFF) {
            code = 1;
            i += 1;
        } else if (b < 0x80) {
            i += 1;
        } else if ((b >= 0x81 && b <= 0x8D) || (b >= 0x8F && b <= 0x9F)) {
            code = 5;
            i += 1;
        } else if (b == 0x8E) {
            if ((c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xA0) || (c >= 0xE0 && c <= 0xFC)) code = 5;
            else if (c >= 0xA1 && c <= 0xDF) code = 6;
            i += 2;
        } else if (b >= 0xA1 && b <= 0xDF) {
            if (c >= 0xF0 && c <= 0xFE) {
                code = 4;
                i += 2;
            } else if (c >= 0xA1 && c <= 0xDF) {
                code = 6;
                i += 2;
            } else if (c >= 0xE0 && c <= 0xEF) {
                // Both codes still fit: walk the run of high bytes that
                // follows until one of them tells the codes apart.
                code = 6;
                std::size_t q = i + 1;
                while (q < n && s[q] >= 0x40 && code == 6) {
                    const Byte r = s[q];
                    if ((r >= 0x81 && r <= 0x8D) || (r >= 0x8F && r <= 0x9C)) code = 5;
                    else if (r >= 0xFD && r <= 0xFE) code = 4;
                    ++q;
                }
                i = q + 1;
            } else if (c <= 0x9F) {
                code = 5;
                i += 2;
            } else {
                i += 2;  // A0 or FF
            }
        } else if (b >= 0xE0 && b <= 0xEF) {
            if ((c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xA0)) code = 5;
            else if (c >= 0xFD && c <= 0xFE) code = 4;
            else if (c >= 0xA1 && c <= 0xFC) code = 6;
            i += 2;
        } else if (b >= 0xF0 && b <= 0xFE) {
            code = 4;
            i += 1;
        } else {
            i += 1;  // 80 or A0
        }
    }
    return static_cast<TextCode>(code);
}

// ---------------------------------------------------------------------------
// Text conversions

void ShiftJisToJis(std::string_view text, std::string& out) {
    ToJis(
        text, out,
        [](const Byte*& p, const Byte* end, Byte* w, Sink& sink) { return ShiftJisBlocks<false>(p, end, w, sink); },
        [](const Byte*& p, const Byte* end) {
            if (IsHalfWidthKana(*p)) return ShiftJisKanaAt(p, end);
            const BytePair j = ShiftJisPairToJis(*p, NextOrZero(p, end));
            p = PastPair(p, end);
            return j;
        });
}

void EucToJis(std::string_view text, std::string& out) {
    ToJis(
        text, out,
        [](const Byte*& p, const Byte* end, Byte* w, Sink& sink) { return EucBlocksToJis(p, end, w, sink); },
        [](const Byte*& p, const Byte* end) {
            if (*p == 0x8E) return EucKanaAt(p, end);
            const BytePair j{static_cast<Byte>(*p & 0x7F), static_cast<Byte>(NextOrZero(p, end) & 0x7F)};
            p = PastPair(p, end);
            return j;
        });
}

namespace {

// The output ends before its first zero byte, so the conversion stops where
// it would write one.
Byte* JisToShiftJisInto(const Byte* p, const Byte* end, Byte* w, Sink& sink) {
    bool double_byte = false;
    while (p < end) {
        if (*p == kEsc && !(p = ReadEscapes(p, end, double_byte))) return w;
        if (!double_byte) {
            const Byte* run_end = JisPlainRunEnd(p, end, true);
            w = sink.Append(w, p, run_end, end);
            p = run_end;
            if (p < end && *p == 0) return w;
            continue;
        }
        while (p < end && *p != kEsc) {
            w = JisBlocksToShiftJis(p, end, w, sink);
            if (p == end || *p == kEsc) break;
            w = sink.Room(w, 2);
            const BytePair s = JisPairToShiftJis(p[0], NextOrZero(p, end));
            if (s.first == 0) return w;
            w = Put(w, s.first);
            if (s.second == 0) return w;
            w = Put(w, s.second);
            p = PastPair(p, end);
        }
    }
    return w;
}

Byte* JisToEucInto(const Byte* p, const Byte* end, Byte* w, Sink& sink) {
    bool double_byte = false;
    while (p < end) {
        if (*p == kEsc && !(p = ReadEscapes(p, end, double_byte))) return w;
        if (!double_byte) {
            const Byte* run_end = JisPlainRunEnd(p, end, false);
            w = sink.Append(w, p, run_end, end);
            p = run_end;
            continue;
        }
        w = JisBlocksToEuc(p, end, w, sink);
        for (; p < end && *p != kEsc; ++p) {
            const Byte b = *p;
            w = Put(sink.Room(w, 1), b >= 0x21 && b <= 0x7E ? static_cast<Byte>(b | 0x80) : b);
        }
    }
    return w;
}

Byte* EucToShiftJisInto(const Byte* p, const Byte* end, Byte* w, Sink& sink) {
    while (p < end) {
        const Byte* run_end = AsciiRunEnd(p, end);
        w = sink.Append(w, p, run_end, end);
        p = run_end;
        while (p < end && *p >= 0x80) {
            w = EucBlocksToShiftJis(p, end, w, sink);
            if (p == end || *p < 0x80) break;
            w = sink.Room(w, 2);
            const Byte b = *p;
            if (b == 0x80 || b == 0xFF) {
                w = Put(w, b);
                ++p;
            } else if (b == 0x8E) {
                // Half-width katakana stay half-width.
                w = Put(w, NextOrZero(p, end));
                p = PastPair(p, end);
            } else {
                w = Put(w, JisPairToShiftJis(b & 0x7F, NextOrZero(p, end) & 0x7F));
                p = PastPair(p, end);
            }
        }
    }
    return w;
}

Byte* ShiftJisToEucInto(const Byte* p, const Byte* end, Byte* w, Sink& sink) {
    while (p < end) {
        const Byte* run_end = AsciiRunEnd(p, end);
        w = sink.Append(w, p, run_end, end);
        p = run_end;
        while (p < end && *p >= 0x80) {
            w = ShiftJisBlocks<true>(p, end, w, sink);
            if (p == end || *p < 0x80) break;
            w = sink.Room(w, 2);
            const Byte b = *p;
            if (IsHalfWidthKana(b)) {
                const Byte* before = p;
                w = ShiftJisKanaRunToEuc(p, end, w, sink);
                if (p != before) continue;
                w = Put(sink.Room(w, 2), BytePair{0x8E, b});
                ++p;
            } else {
                const BytePair j = ShiftJisPairToJis(b, NextOrZero(p, end));
                w = Put(w, BytePair{static_cast<Byte>(j.first | 0x80), static_cast<Byte>(j.second | 0x80)});
                p = PastPair(p, end);
            }
        }
    }
    return w;
}

void Run(std::string_view text, std::string& out, Byte* (*into)(const Byte*, const Byte*, Byte*, Sink&)) {
    Sink sink(out);
    sink.Flush(into(Begin(text), Begin(text) + text.size(), sink.Start(), sink));
}

}  // namespace

void JisToShiftJis(std::string_view text, std::string& out) { Run(text, out, JisToShiftJisInto); }
void JisToEuc(std::string_view text, std::string& out) { Run(text, out, JisToEucInto); }
void EucToShiftJis(std::string_view text, std::string& out) { Run(text, out, EucToShiftJisInto); }
void ShiftJisToEuc(std::string_view text, std::string& out) { Run(text, out, ShiftJisToEucInto); }

namespace {

std::string Converted(std::string_view text, std::size_t extra,
                      void (*convert)(std::string_view, std::string&)) {
    std::string out;
    out.reserve(text.size() + extra);
    convert(text, out);
    return out;
}

}  // namespace

std::string JisToShiftJis(std::string_view text) { return Converted(text, 1, JisToShiftJis); }
std::string JisToEuc(std::string_view text) { return Converted(text, 0, JisToEuc); }
std::string EucToJis(std::string_view text) { return Converted(text, text.size() / 8 + 16, EucToJis); }
std::string EucToShiftJis(std::string_view text) { return Converted(text, 1, EucToShiftJis); }
std::string ShiftJisToJis(std::string_view text) { return Converted(text, text.size() / 8 + 16, ShiftJisToJis); }
std::string ShiftJisToEuc(std::string_view text) { return Converted(text, text.size() / 4 + 1, ShiftJisToEuc); }

void ConvertTextCode(std::string_view text, TextCode target, std::string& out) {
    const TextCode code = DetectTextCode(text);
    const bool from_jis = code == TextCode::JisNew || code == TextCode::JisOld;
    switch (target) {
    case TextCode::JisNew:
        if (code == TextCode::EucJp) return EucToJis(text, out);
        if (code == TextCode::ShiftJis) return ShiftJisToJis(text, out);
        break;
    case TextCode::EucJp:
        if (from_jis) return JisToEuc(text, out);
        if (code == TextCode::ShiftJis) return ShiftJisToEuc(text, out);
        break;
    case TextCode::ShiftJis:
        if (from_jis) return JisToShiftJis(text, out);
        if (code == TextCode::EucJp) return EucToShiftJis(text, out);
        break;
    default:
        break;
    }
    out.append(text);
}

std::string ConvertTextCode(std::string_view text, TextCode target) {
    std::string out;
    out.reserve(text.size() + text.size() / 8 + 16);
    ConvertTextCode(text, target, out);
    return out;
}

}  // namespace kaveto
