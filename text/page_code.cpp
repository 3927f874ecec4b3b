#include "text/page_code.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "text/unicode.h"

namespace kaveto {
namespace {

using Byte = unsigned char;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// None of the bytes looked for in markup ("<", ">", "=", "/", quotes, white
// space, ";") can be the second byte of a Shift_JIS or EUC-JP character,
// whose second bytes are 0x40 and above; so a byte search never lands
// inside one.

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsLower(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (Lower(text[i]) != lower[i]) return false;
    return true;
}

bool StartsWithLower(std::string_view text, std::size_t pos, std::string_view lower) {
    return pos <= text.size() && EqualsLower(text.substr(pos, lower.size()), lower);
}

// The end of the run of 7-bit bytes that starts at p, eight at a time.
const Byte* AsciiRunEnd(const Byte* p, const Byte* end) {
    while (end - p >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        if (word & 0x8080808080808080ull) break;
        p += 8;
    }
    while (p < end && *p < 0x80) ++p;
    return p;
}

// The length of the well-formed UTF-8 sequence at p, 0 when there is none.
std::size_t Utf8SequenceLength(const Byte* p, const Byte* end) {
    const Byte first = *p;
    std::size_t length;
    Byte lower = 0x80, upper = 0xBF;
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3;
        if (first == 0xE0) lower = 0xA0;  // no overlong forms
        if (first == 0xED) upper = 0x9F;  // no surrogates
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4;
        if (first == 0xF0) lower = 0x90;
        if (first == 0xF4) upper = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (static_cast<std::size_t>(end - p) < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if (p[i] < lower || p[i] > upper) return 0;
        lower = 0x80;
        upper = 0xBF;
    }
    return length;
}

// ---------------------------------------------------------------- markup

struct Attribute {
    std::string_view name, value;
};

// Reads the attribute at `pos` of a tag, moving `pos` past it. Nothing when
// the tag ends there (`closed` is then set and pos is just after its ">")
// or when the text ends first (pos then at the end). A quoted value runs to
// its closing quote, so a ">" inside it ends nothing.
std::optional<Attribute> NextAttribute(std::string_view text, std::size_t& pos, bool& closed) {
    while (pos < text.size() && (IsSpace(text[pos]) || text[pos] == '/')) ++pos;
    if (pos >= text.size()) return std::nullopt;
    if (text[pos] == '>') {
        ++pos;
        closed = true;
        return std::nullopt;
    }
    Attribute attribute;
    const std::size_t name_from = pos;
    // The first character belongs to the name even when it is "=".
    do ++pos;
    while (pos < text.size() && !IsSpace(text[pos]) && text[pos] != '/' && text[pos] != '>' && text[pos] != '=');
    attribute.name = text.substr(name_from, pos - name_from);
    while (pos < text.size() && IsSpace(text[pos])) ++pos;
    if (pos >= text.size() || text[pos] != '=') return attribute;
    ++pos;
    while (pos < text.size() && IsSpace(text[pos])) ++pos;
    if (pos >= text.size()) return attribute;
    if (text[pos] == '"' || text[pos] == '\'') {
        const std::size_t close = text.find(text[pos], pos + 1);
        if (close == std::string_view::npos) {
            pos = text.size();
            return std::nullopt;
        }
        attribute.value = text.substr(pos + 1, close - pos - 1);
        pos = close + 1;
        return attribute;
    }
    const std::size_t value_from = pos;
    while (pos < text.size() && !IsSpace(text[pos]) && text[pos] != '>') ++pos;
    attribute.value = text.substr(value_from, pos - value_from);
    return attribute;
}

// The label after "charset=" in a Content-Type value ("text/html;
// charset=Shift_JIS"), quoted or not; nothing when there is none.
std::optional<std::string_view> CharsetOfContentType(std::string_view content) {
    for (std::size_t at = 0; at + 7 <= content.size(); ++at) {
        if (!StartsWithLower(content, at, "charset")) continue;
        std::size_t pos = at + 7;
        while (pos < content.size() && IsSpace(content[pos])) ++pos;
        if (pos >= content.size() || content[pos] != '=') continue;
        ++pos;
        while (pos < content.size() && IsSpace(content[pos])) ++pos;
        if (pos >= content.size()) return std::nullopt;
        if (content[pos] == '"' || content[pos] == '\'') {
            const std::size_t close = content.find(content[pos], pos + 1);
            if (close == std::string_view::npos) return std::nullopt;
            return content.substr(pos + 1, close - pos - 1);
        }
        std::size_t end = pos;
        while (end < content.size() && !IsSpace(content[end]) && content[end] != ';') ++end;
        return content.substr(pos, end - pos);
    }
    return std::nullopt;
}

// The charset label of the meta element whose attributes begin at `pos`;
// `pos` is moved past the element. An element that the end of the text
// cuts off declares nothing: its last value may be the start of another
// label.
std::optional<std::string_view> MetaCharset(std::string_view text, std::size_t& pos) {
    std::optional<std::string_view> charset, content;
    bool content_type = false, closed = false;
    while (const std::optional<Attribute> attribute = NextAttribute(text, pos, closed)) {
        if (EqualsLower(attribute->name, "charset")) {
            if (!charset) charset = attribute->value;
        } else if (EqualsLower(attribute->name, "content")) {
            if (!content) content = attribute->value;
        } else if (EqualsLower(attribute->name, "http-equiv")) {
            content_type = content_type || EqualsLower(attribute->value, "content-type");
        }
    }
    if (!closed) return std::nullopt;
    if (charset) return charset;
    if (content_type && content) return CharsetOfContentType(*content);
    return std::nullopt;
}

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool EnoughForUtf8(const Utf8Sequences& sequences, bool other_code_declared) {
    const std::size_t all = sequences.two_byte + sequences.longer;
    if (other_code_declared) return all >= kUtf8OverDeclaration;
    return (all >= kUtf8MinSequences && sequences.longer > 0) || all >= kUtf8MinTwoByteSequences;
}

}  // namespace

std::optional<Utf8Sequences> CountUtf8Sequences(std::string_view text, std::size_t limit) {
    const Byte* p = reinterpret_cast<const Byte*>(text.data());
    const Byte* const end = p + text.size();
    const Byte* const head_end = p + std::min(limit, text.size());
    Utf8Sequences count;
    while ((p = AsciiRunEnd(p, head_end)) < head_end) {
        const std::size_t length = Utf8SequenceLength(p, end);
        if (length == 0) return std::nullopt;
        ++(length == 2 ? count.two_byte : count.longer);
        p += length;
    }
    return count;
}

std::optional<TextCode> TextCodeOfLabel(std::string_view label) {
    constexpr std::string_view kSpaces = " \t\n\r\f";
    const std::size_t first = label.find_first_not_of(kSpaces);
    if (first == std::string_view::npos) return std::nullopt;
    label = label.substr(first, label.find_last_not_of(kSpaces) - first + 1);
    std::string key;
    for (char c : label) {
        if (IsSpace(c)) return std::nullopt;
        if (c != '-' && c != '_') key += Lower(c);
    }
    struct Label {
        std::string_view key;
        TextCode code;
    };
    static constexpr Label kLabels[] = {
        {"utf8", TextCode::Utf8},
        {"unicode11utf8", TextCode::Utf8},
        {"unicode20utf8", TextCode::Utf8},
        {"xunicode20utf8", TextCode::Utf8},
        {"eucjp", TextCode::EucJp},
        {"xeucjp", TextCode::EucJp},
        {"cseucpkdfmtjapanese", TextCode::EucJp},
        {"eucjpms", TextCode::EucJp},
        {"ujis", TextCode::EucJp},
        {"shiftjis", TextCode::ShiftJis},
        {"sjis", TextCode::ShiftJis},
        {"xsjis", TextCode::ShiftJis},
        {"csshiftjis", TextCode::ShiftJis},
        {"mskanji", TextCode::ShiftJis},
        {"windows31j", TextCode::ShiftJis},
        {"cswindows31j", TextCode::ShiftJis},
        {"cp932", TextCode::ShiftJis},
        {"ms932", TextCode::ShiftJis},
        {"xmscp932", TextCode::ShiftJis},
        {"iso2022jp", TextCode::JisNew},
        {"csiso2022jp", TextCode::JisNew},
    };
    for (const Label& known : kLabels)
        if (key == known.key) return known.code;
    return std::nullopt;
}

std::optional<TextCode> DeclaredTextCode(std::string_view page) {
    const std::string_view head = page.substr(0, kDeclarationSearchLength);
    for (std::size_t pos = 0; (pos = head.find('<', pos)) != std::string_view::npos;) {
        if (head.substr(pos, 4) == "<!--") {
            const std::size_t close = head.find("-->", pos + 2);
            if (close == std::string_view::npos) return std::nullopt;
            pos = close + 3;
        } else if (StartsWithLower(head, pos + 1, "meta") && pos + 5 < head.size() &&
                   (IsSpace(head[pos + 5]) || head[pos + 5] == '/')) {
            pos += 5;
            if (const std::optional<std::string_view> label = MetaCharset(head, pos)) return TextCodeOfLabel(*label);
        } else if (pos + 1 < head.size() && IsAsciiLetter(head[pos + 1])) {
            // Another element: its attributes are passed over whole, so that
            // a "<meta" inside a quoted value is no element.
            pos += 1;
            while (pos < head.size() && !IsSpace(head[pos]) && head[pos] != '/' && head[pos] != '>') ++pos;
            bool closed = false;
            while (NextAttribute(head, pos, closed)) {
            }
        } else if (pos + 1 < head.size() && (head[pos + 1] == '!' || head[pos + 1] == '/' || head[pos + 1] == '?')) {
            const std::size_t close = head.find('>', pos + 1);
            if (close == std::string_view::npos) return std::nullopt;
            pos = close + 1;
        } else {
            ++pos;
        }
    }
    return std::nullopt;
}

bool StartsWithUtf8Bom(std::string_view text) { return text.substr(0, kUtf8Bom.size()) == kUtf8Bom; }

bool ReadsAsUtf8(std::string_view text) {
    const std::optional<Utf8Sequences> sequences = CountUtf8Sequences(text, text.size());
    return sequences && sequences->two_byte + sequences->longer > 0;
}

bool IsWellFormedUtf8(std::string_view text) { return CountUtf8Sequences(text, text.size()).has_value(); }

TextCode DetectPageCode(std::string_view page) {
    if (StartsWithUtf8Bom(page)) return TextCode::Utf8;
    const std::optional<TextCode> declared = DeclaredTextCode(page);
    if (declared == TextCode::Utf8) return TextCode::Utf8;
    const std::optional<Utf8Sequences> sequences = CountUtf8Sequences(page, kUtf8CheckLength);
    if (sequences && EnoughForUtf8(*sequences, declared.has_value())) return TextCode::Utf8;
    const TextCode detected = DetectTextCode(page);
    if (detected == TextCode::EucOrShiftJis && declared) return *declared;
    return detected;
}

std::string ConvertPageToShiftJis(std::string_view page) { return ConvertPageToShiftJis(page, DetectPageCode(page)); }

std::string ConvertPageToShiftJis(std::string_view page, TextCode code) {
    switch (code) {
    case TextCode::Utf8:
        if (StartsWithUtf8Bom(page)) page.remove_prefix(kUtf8Bom.size());
        return Utf8ToShiftJis(page);
    case TextCode::JisNew:
    case TextCode::JisOld:
        return JisToShiftJis(page);
    case TextCode::EucJp:
        return EucToShiftJis(page);
    default:
        return std::string(page);
    }
}

}  // namespace kaveto
