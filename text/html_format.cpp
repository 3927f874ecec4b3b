#include "text/html_format.h"

#include <cstdio>

namespace kaveto {
namespace {

constexpr std::string_view kHtmlStart = "<html><body>\r\n<!--StartFragment-->";
constexpr std::string_view kHtmlEnd = "<!--EndFragment-->\r\n</body></html>";

// A header line: the name and the offset in ten digits.
void AppendOffset(std::string& out, const char* name, std::size_t offset) {
    char digits[24];
    std::snprintf(digits, sizeof digits, "%010zu", offset);
    out.append(name).append(":").append(digits).append("\r\n");
}

struct Offsets {
    std::size_t start_html = 0, end_html = 0, start_fragment = 0, end_fragment = 0;
};

std::string Header(const Offsets& o, std::string_view source_url) {
    std::string header = "Version:0.9\r\n";
    AppendOffset(header, "StartHTML", o.start_html);
    AppendOffset(header, "EndHTML", o.end_html);
    AppendOffset(header, "StartFragment", o.start_fragment);
    AppendOffset(header, "EndFragment", o.end_fragment);
    if (!source_url.empty()) header.append("SourceURL:").append(source_url).append("\r\n");
    return header;
}

}  // namespace

std::string BuildHtmlFormat(std::string_view fragment, std::string_view source_url) {
    fragment = fragment.substr(0, fragment.find('\0'));
    // Every offset is written in ten digits, so the header is as long with
    // the real offsets as with none.
    Offsets o;
    o.start_html = Header(o, source_url).size();
    o.start_fragment = o.start_html + kHtmlStart.size();
    o.end_fragment = o.start_fragment + fragment.size();
    o.end_html = o.end_fragment + kHtmlEnd.size();
    std::string block = Header(o, source_url);
    block.reserve(o.end_html);
    block.append(kHtmlStart).append(fragment).append(kHtmlEnd);
    return block;
}

}  // namespace kaveto
