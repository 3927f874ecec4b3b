#include "capture/page_title.h"

#include "text/html_references.h"
#include "text/text_helpers.h"
#include "text/unicode.h"

namespace kaveto {
namespace {

// None of the bytes looked for here ("<", "/", ">", "=", quotes, white
// space, "&", ";") can be the second byte of a double-byte character, whose
// second bytes are 0x40 and above; so a search for them never lands inside
// one, and the letters that follow them start characters of their own.

bool IsHtmlSpace(char32_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// Whether `text` holds, at `pos`, the tag name "title" in any case followed
// by what ends a tag name.
bool TitleNameAt(std::string_view text, std::size_t pos) {
    constexpr std::string_view kName = "TITLE";
    if (pos + kName.size() >= text.size()) return false;
    for (std::size_t i = 0; i < kName.size(); ++i)
        if (FoldAscii(text[pos + i]) != kName[i]) return false;
    const char after = text[pos + kName.size()];
    return IsHtmlSpace(static_cast<unsigned char>(after)) || after == '/' || after == '>';
}

// The position just after the ">" that ends the start tag whose attributes
// begin at `pos`; npos when it does not end within the text.
std::size_t EndOfStartTag(std::string_view tag, std::size_t pos) {
    while (pos < tag.size()) {
        const char c = tag[pos++];
        if (c == '>') return pos;
        if (c != '=') continue;
        while (pos < tag.size() && IsHtmlSpace(static_cast<unsigned char>(tag[pos]))) ++pos;
        if (pos < tag.size() && (tag[pos] == '"' || tag[pos] == '\'')) {
            const std::size_t close = tag.find(tag[pos], pos + 1);
            if (close == std::string_view::npos) return std::string_view::npos;
            pos = close + 1;
        }
    }
    return std::string_view::npos;
}

// The position of the end tag of the title at or after `pos`; npos when
// there is none.
std::size_t EndTag(std::string_view text, std::size_t pos) {
    for (std::size_t at; (at = text.find("</", pos)) != std::string_view::npos; pos = at + 1)
        if (TitleNameAt(text, at + 2)) return at;
    return std::string_view::npos;
}

}  // namespace

std::optional<std::string_view> FindTitleElement(std::string_view page) {
    const std::string_view searched = page.substr(0, kTitleSearchLimit);
    for (std::size_t at = 0; (at = searched.find('<', at)) != std::string_view::npos; ++at) {
        if (!TitleNameAt(page, at + 1)) continue;
        const std::string_view element = page.substr(at, kTitleStretch);
        const std::size_t text_from = EndOfStartTag(element, 1 + 5);
        if (text_from == std::string_view::npos) return std::nullopt;
        const std::size_t text_to = EndTag(element, text_from);
        if (text_to == std::string_view::npos) return std::nullopt;
        return element.substr(text_from, text_to - text_from);
    }
    return std::nullopt;
}

namespace {

// The layout of a title, written by `Code`: how a decoded reference's
// character is written, and how the text's own character at a position is
// copied (giving the position after it).
template <typename Code>
std::string LayOut(std::string_view raw, const Code& code) {
    std::string out;
    out.reserve(raw.size());
    bool space_due = false;
    // White space is written only once something follows it.
    const auto space_before_next = [&] {
        if (space_due && !out.empty()) out += ' ';
        space_due = false;
    };
    for (std::size_t pos = 0; pos < raw.size();) {
        const unsigned char byte = static_cast<unsigned char>(raw[pos]);
        if (IsHtmlSpace(byte)) {
            space_due = true;
            ++pos;
            continue;
        }
        if (byte == '&') {
            if (const auto reference = ReadCharacterReference(raw.substr(pos))) {
                pos += reference->length;
                const char32_t c = reference->character;
                if (IsHtmlSpace(c)) {
                    space_due = true;
                    continue;
                }
                space_before_next();
                code.AppendReference(c, out);
                continue;
            }
        }
        space_before_next();
        pos = code.AppendCharacter(raw, pos, out);
    }
    return out;
}

struct ShiftJisLayout {
    void AppendReference(char32_t c, std::string& out) const {
        // Shift_JIS has no no-break space: a plain one stands in.
        if (c == 0xA0) out += ' ';
        else AppendShiftJis(c, out);
    }
    std::size_t AppendCharacter(std::string_view raw, std::size_t pos, std::string& out) const {
        const std::size_t length = CharLength(raw, pos);
        out.append(raw, pos, length);
        return pos + length;
    }
};

struct Utf8Layout {
    void AppendReference(char32_t c, std::string& out) const { AppendUtf8(c, out); }
    // Each character is read and written again, so that what is not
    // well-formed UTF-8 leaves as U+FFFD.
    std::size_t AppendCharacter(std::string_view raw, std::size_t pos, std::string& out) const {
        AppendUtf8(NextUtf8(raw, pos), out);
        return pos;
    }
};

}  // namespace

std::string LayOutTitle(std::string_view raw) { return LayOut(raw, ShiftJisLayout{}); }

std::string LayOutTitleUtf8(std::string_view raw) { return LayOut(raw, Utf8Layout{}); }

}  // namespace kaveto
