#pragma once
// An "HTML Format" block read as a strict reader reads it, by its own rules
// and none of the program's: the header's "Name:value" lines, each ended by
// CR LF, up to the document; then every offset checked against what stands
// there. Offsets that lie are the classic fault of the format.
#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace kaveto::testing {

struct HtmlFormatReading {
    std::string error;  // what is wrong with the block; empty when it holds
    std::string fragment;
    std::string source_url;  // empty when the header has none
};

inline HtmlFormatReading ReadHtmlFormatBlock(std::string_view block) {
    HtmlFormatReading reading;
    const std::string_view text = block.substr(0, block.find('\0'));
    std::map<std::string, std::string, std::less<>> fields;
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] != '<') {
        const std::size_t end = text.find("\r\n", pos);
        const std::size_t colon = text.find(':', pos);
        if (end == std::string_view::npos || colon == std::string_view::npos || colon > end) {
            reading.error = "a header line without a name, a colon or CR LF";
            return reading;
        }
        fields.emplace(std::string(text.substr(pos, colon - pos)),
                       std::string(text.substr(colon + 1, end - colon - 1)));
        pos = end + 2;
    }
    if (fields["Version"] != "0.9") reading.error = "Version is \"" + fields["Version"] + "\", not 0.9";
    std::size_t offsets[4] = {};
    const char* names[] = {"StartHTML", "EndHTML", "StartFragment", "EndFragment"};
    for (int i = 0; i < 4; ++i) {
        const std::string& digits = fields[names[i]];
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) {
            reading.error = std::string(names[i]) + " is \"" + digits + "\"";
            return reading;
        }
        offsets[i] = std::stoul(digits);
    }
    const auto [start_html, end_html, start_fragment, end_fragment] = offsets;
    const std::string_view start_mark = "<!--StartFragment-->", end_mark = "<!--EndFragment-->";
    if (start_html != pos) reading.error = "StartHTML is not where the header ends";
    else if (end_html != text.size()) reading.error = "EndHTML is not where the block ends";
    else if (text.substr(start_html, 6) != "<html>") reading.error = "StartHTML points at no <html>";
    else if (!(start_html <= start_fragment && start_fragment <= end_fragment && end_fragment <= end_html))
        reading.error = "the offsets are out of order";
    else if (start_fragment < start_mark.size() ||
             text.substr(start_fragment - start_mark.size(), start_mark.size()) != start_mark)
        reading.error = "StartFragment is not just after <!--StartFragment-->";
    else if (text.substr(end_fragment, end_mark.size()) != end_mark)
        reading.error = "EndFragment is not just before <!--EndFragment-->";
    if (!reading.error.empty()) return reading;
    reading.fragment = std::string(text.substr(start_fragment, end_fragment - start_fragment));
    if (const auto source = fields.find("SourceURL"); source != fields.end()) reading.source_url = source->second;
    return reading;
}

}  // namespace kaveto::testing
