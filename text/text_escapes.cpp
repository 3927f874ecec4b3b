#include "text/text_escapes.h"

#include "text/text_helpers.h"

namespace kaveto {

void AppendEscapedHtml(std::string_view text, std::string& out) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char* entity = nullptr;
        switch (text[i]) {
        case '&': entity = "&amp;"; break;
        case '<': entity = "&lt;"; break;
        case '>': entity = "&gt;"; break;
        case '"': entity = "&quot;"; break;
        case '\'': entity = "&#39;"; break;
        default: continue;
        }
        out.append(text, start, i - start).append(entity);
        start = i + 1;
    }
    out.append(text, start, std::string_view::npos);
}

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    AppendEscapedHtml(text, out);
    return out;
}

namespace {

bool IsMarkdownPunctuation(char c) {
    switch (c) {
    case '\\': case '`': case '*': case '_': case '[': case ']': case '<': case '>': case '|': return true;
    default: return false;
    }
}

// `width` gives the length of the character at a position: the code page's
// double-byte characters stay whole.
template <typename Width>
std::string MarkdownEscape(std::string_view text, Width width) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            out += ' ';
            i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            continue;
        }
        const std::size_t n = width(text, i);
        if (n == 1 && IsMarkdownPunctuation(c)) out += '\\';
        out.append(text, i, n);
        i += n;
    }
    return out;
}

}  // namespace

std::string EscapeMarkdownUtf8(std::string_view text) {
    // No byte of a UTF-8 character beyond ASCII is ASCII.
    return MarkdownEscape(text, [](std::string_view, std::size_t) { return std::size_t{1}; });
}

std::string EscapeMarkdown(std::string_view text) { return MarkdownEscape(text, CharLength); }

namespace {

bool KeptInUrl(unsigned char c) {
    if (c <= 0x20 || c >= 0x7F) return false;
    switch (c) {
    case '"': case '<': case '>': case '(': case ')': case '\\': case '^': case '`': case '{': case '|': case '}':
        return false;
    default: return true;
    }
}

}  // namespace

std::string EscapeUrl(std::string_view utf8) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(utf8.size());
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if (KeptInUrl(c)) {
            out += ch;
            continue;
        }
        out += '%';
        out += kHex[c >> 4];
        out += kHex[c & 0xF];
    }
    return out;
}

namespace {

bool StartsWithScheme(std::string_view address, std::string_view scheme) {
    if (address.size() < scheme.size()) return false;
    for (std::size_t i = 0; i < scheme.size(); ++i)
        if (FoldAscii(address[i]) != FoldAscii(scheme[i])) return false;
    return true;
}

}  // namespace

bool IsLinkableAddress(std::string_view address) {
    for (const std::string_view scheme : {"http:", "https:", "file:", "mailto:"})
        if (StartsWithScheme(address, scheme)) return true;
    return false;
}

}  // namespace kaveto
