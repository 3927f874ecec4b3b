#pragma once
// The escapes a value may be put into a snippet with: for HTML, for
// Markdown, and for an address (percent-encoding); and the addresses an
// HTML snippet may link to.
#include <string>
#include <string_view>

namespace kaveto {

// "&", "<", ">", '"' and "'" as "&amp;", "&lt;", "&gt;", "&quot;" and
// "&#39;". All five are ASCII below the second bytes of the code page's
// double-byte characters, so the same holds for UTF-8 and Shift_JIS text.
void AppendEscapedHtml(std::string_view text, std::string& out);
std::string EscapeHtml(std::string_view text);

// A backslash before each of \ ` * _ [ ] < > |, and each line end (CR LF,
// CR or LF) as one space. The code page form leaves the second byte of a
// double-byte character alone ("ソ" is 83 5C, and no backslash).
std::string EscapeMarkdownUtf8(std::string_view text);
std::string EscapeMarkdown(std::string_view text);

// The percent-encoding of a UTF-8 text, upper-case hexadecimal: each byte
// of a character beyond ASCII, each control character, and each of
// space " < > ( ) \ ^ ` { | }. Every other character is kept, a "%XX"
// already there included, so the result is ASCII.
std::string EscapeUrl(std::string_view utf8);

// True for a web, file or mail address: "http:", "https:", "file:" or
// "mailto:" at its start, in any letter case. Only these may become a link
// in an HTML snippet: any other ("javascript:", "data:", ...) could carry
// script into the document it is pasted into.
bool IsLinkableAddress(std::string_view address);

}  // namespace kaveto
