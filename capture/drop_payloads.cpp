#include "capture/drop_payloads.h"

#include <cstdint>

namespace kaveto {
namespace {

// FILEGROUPDESCRIPTORW: the count, then the first record, whose cFileName
// (MAX_PATH units) starts 72 bytes into it.
constexpr std::size_t kCountSize = 4;
constexpr std::size_t kFirstNameOffsetW = kCountSize + 72;
constexpr std::size_t kFileNameBytesW = 260 * 2;

// More digits than any block can hold bytes; keeps the value within 64 bits.
constexpr std::size_t kMaxOffsetDigits = 18;

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

template <typename View>
View Trim(View text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The text up to its first line end.
template <typename View>
View FirstLine(View text) {
    std::size_t end = 0;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    return text.substr(0, end);
}

// The position after the line end at `pos` (CR LF, LF or CR); `pos` itself
// at the text's end.
template <typename View>
std::size_t SkipLineEnd(View text, std::size_t pos) {
    if (pos >= text.size()) return pos;
    if (text[pos] == '\n') return pos + 1;
    ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;
    return pos;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (LowerAscii(text[i]) != prefix[i]) return false;
    return true;
}

bool IsHeaderName(std::string_view name) {
    if (name.empty()) return false;
    for (char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
    return true;
}

// A decimal offset, perhaps signed; nothing for a value that is no number.
std::optional<std::int64_t> ReadOffset(std::string_view value) {
    bool negative = false;
    if (!value.empty() && (value.front() == '-' || value.front() == '+')) {
        negative = value.front() == '-';
        value.remove_prefix(1);
    }
    if (value.empty() || value.size() > kMaxOffsetDigits) return std::nullopt;
    std::int64_t number = 0;
    for (char c : value) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + (c - '0');
    }
    return negative ? -number : number;
}

struct HtmlOffsets {
    std::optional<std::int64_t> start_html, end_html, start_fragment, end_fragment;
};

std::optional<HtmlFormatHeader::Span> SpanOf(const std::optional<std::int64_t>& begin,
                                             const std::optional<std::int64_t>& end, std::size_t header_end,
                                             std::size_t content_end) {
    if (!begin || !end || *begin < 0 || *end < 0) return std::nullopt;
    const auto b = static_cast<std::uint64_t>(*begin);
    const auto e = static_cast<std::uint64_t>(*end);
    if (b < header_end || b > e || e > content_end) return std::nullopt;
    return HtmlFormatHeader::Span{static_cast<std::size_t>(b), static_cast<std::size_t>(e)};
}

// Keeps the first value of a field.
void Keep(std::optional<std::int64_t>& field, std::string_view value) {
    if (!field) field = ReadOffset(value).value_or(-1);
}

}  // namespace

std::u16string TextFromUtf16Block(std::string_view block) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < block.size(); i += 2) {
        const auto unit = static_cast<char16_t>(static_cast<unsigned char>(block[i]) |
                                                (static_cast<unsigned char>(block[i + 1]) << 8));
        if (unit == 0) break;
        text.push_back(unit);
    }
    return text;
}

std::u16string DescriptorFirstNameW(std::string_view block) {
    if (block.size() <= kFirstNameOffsetW) return std::u16string();
    std::uint32_t count = 0;
    for (std::size_t i = 0; i < kCountSize; ++i)
        count |= static_cast<std::uint32_t>(static_cast<unsigned char>(block[i])) << (8 * i);
    if (count == 0) return std::u16string();
    return TextFromUtf16Block(block.substr(kFirstNameOffsetW, kFileNameBytesW));
}

std::u16string AddressFromUrlBlockW(std::string_view block) {
    const std::u16string text = TextFromUtf16Block(block);
    return std::u16string(Trim(FirstLine(std::u16string_view(text))));
}

std::string AddressFromUrlBlock(std::string_view block) {
    return std::string(Trim(FirstLine(block.substr(0, block.find('\0')))));
}

HtmlFormatHeader ParseHtmlFormat(std::string_view block) {
    const std::string_view text = block.substr(0, block.find('\0'));
    HtmlFormatHeader header;
    HtmlOffsets offsets;
    bool have_version = false;
    bool have_source = false;
    // The HTML begins at a start offset that points past the lines read so
    // far; a line there is the page's, whatever it looks like.
    std::size_t html_begins = text.size();
    std::size_t pos = 0;
    while (pos < html_begins) {
        const std::string_view line = FirstLine(text.substr(pos));
        const std::size_t next = SkipLineEnd(text, pos + line.size());
        // A line the block ends inside may have been cut short.
        if (next == pos + line.size()) break;
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || !IsHeaderName(line.substr(0, colon))) break;
        const std::string_view name = line.substr(0, colon);
        const std::string_view value = Trim(line.substr(colon + 1));
        if (name == "Version" && !have_version) {
            header.version = std::string(value);
            have_version = true;
        } else if (name == "SourceURL" && !have_source) {
            header.source_url = std::string(value);
            have_source = true;
        } else if (name == "StartHTML" || name == "StartFragment") {
            std::optional<std::int64_t>& field = name == "StartHTML" ? offsets.start_html : offsets.start_fragment;
            const bool first = !field;
            Keep(field, value);
            if (first && *field >= 0 && static_cast<std::uint64_t>(*field) >= next &&
                static_cast<std::uint64_t>(*field) < html_begins)
                html_begins = static_cast<std::size_t>(*field);
        } else if (name == "EndHTML") {
            Keep(offsets.end_html, value);
        } else if (name == "EndFragment") {
            Keep(offsets.end_fragment, value);
        }
        pos = next;
    }
    header.header_end = pos;
    header.html = SpanOf(offsets.start_html, offsets.end_html, pos, text.size());
    header.fragment = SpanOf(offsets.start_fragment, offsets.end_fragment, pos, text.size());
    return header;
}

MozUrl ParseMozUrl(std::string_view block) {
    const std::u16string text = TextFromUtf16Block(block);
    const std::u16string_view all(text);
    const std::u16string_view first = FirstLine(all);
    MozUrl url;
    url.address = std::u16string(Trim(first));
    const std::size_t second = SkipLineEnd(all, first.size());
    if (second > first.size()) url.title = std::u16string(Trim(FirstLine(all.substr(second))));
    return url;
}

bool IsWebOrFileAddress(std::string_view address) {
    return StartsWithIgnoringCase(address, "http://") || StartsWithIgnoringCase(address, "https://") ||
           StartsWithIgnoringCase(address, "file:");
}

bool NamesCachedFile(std::string_view name) {
    if (name.empty()) return false;
    if (name.size() < 4) return true;
    return !StartsWithIgnoringCase(name.substr(name.size() - 4), ".url");
}

}  // namespace kaveto
