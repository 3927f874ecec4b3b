#pragma once
// The blocks today's browsers put on a drag besides CF_TEXT, read as plain
// bytes. A block is whatever the data object handed over: its size may be
// larger than its content (global blocks are rounded up) or smaller than its
// own fields claim, so every reader stops at the content's terminator and at
// the block's end, whichever comes first, and believes no offset or count it
// cannot check.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kaveto {

// The UTF-16 (little-endian) text of a block such as CF_UNICODETEXT: the
// units up to the first zero unit, or all whole units when there is none; an
// odd last byte is no unit.
std::u16string TextFromUtf16Block(std::string_view block);

// The first file name of a "FileGroupDescriptorW" block (FILEGROUPDESCRIPTORW:
// a 32-bit count, then records of 592 bytes whose name, 260 UTF-16 units,
// starts 72 bytes in), up to its zero unit. A count of 0 names nothing; a
// short block gives what it holds of the name.
std::u16string DescriptorFirstNameW(std::string_view block);

// The address of a "UniformResourceLocatorW" or "UniformResourceLocator"
// block: its text's first line without surrounding blanks.
std::u16string AddressFromUrlBlockW(std::string_view block);
std::string AddressFromUrlBlock(std::string_view block);

// The header of an "HTML Format" block: "Name:value" lines (Version,
// StartHTML, EndHTML, StartFragment, EndFragment, SourceURL, ...) ended by
// CR LF, LF or CR, then the HTML itself. Offsets count bytes from the
// block's start.
struct HtmlFormatHeader {
    struct Span {
        std::size_t begin = 0;
        std::size_t end = 0;
    };
    std::string version;     // empty when the header has none
    std::string source_url;  // as written (UTF-8); empty when there is none
    // Where the header lines stop: the first line that is no "Name:value"
    // line, or that starts at or after a start offset already read.
    std::size_t header_end = 0;
    // StartHTML..EndHTML and StartFragment..EndFragment, each only when both
    // of its offsets are numbers that lie between the header's end and the
    // content's end, in order. A negative offset (the way to say "none"), a
    // value that is no number, a missing field or an offset beyond the
    // content leave the span out.
    std::optional<Span> html;
    std::optional<Span> fragment;
};
// Reads the block up to its first zero byte (all of it when there is none).
// The first occurrence of a field counts.
HtmlFormatHeader ParseHtmlFormat(std::string_view block);

// A "text/x-moz-url" block: UTF-16 lines, the address on the first and the
// link's title on the second. "text/x-moz-url-priv" holds the page's address
// on its first line.
struct MozUrl {
    std::u16string address;
    std::u16string title;
};
MozUrl ParseMozUrl(std::string_view block);

// True for an address that names a page: "http://", "https://" or "file:"
// at its start, the scheme in any letter case.
bool IsWebOrFileAddress(std::string_view address);

// True for a descriptor name that names a file other than an internet
// shortcut: not empty, and not ending with ".url" in any letter case.
bool NamesCachedFile(std::string_view name);

}  // namespace kaveto
