// ReplaceAll against a character-by-character reference, its UTF-8 form
// against a plain one, the title-rule line splitting in both codes and the
// template's two forms, on arbitrary bytes. The input is three parts separated by
// 0xFF 0xFF: the text, the search text and the replacement.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/snippet_composer.h"
#include "engine/title_rules.h"
#include "tests/text/replace_all_reference.h"
#include "text/page_code.h"
#include "text/text_helpers.h"

namespace {

using kaveto::testing::ReferenceReplaceAll;

// Every occurrence, left to right, none overlapping, replaced text never
// searched again: the rule with no character boundaries to keep.
std::string PlainReplaceAll(const std::string& text, const std::string& search, const std::string& replacement) {
    if (search.empty()) return text;
    std::string out;
    std::size_t pos = 0;
    for (std::size_t found; (found = text.find(search, pos)) != std::string::npos; pos = found + search.size())
        out.append(text, pos, found - pos).append(replacement);
    return out.append(text, pos, std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::string parts[3];
    std::size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t sep = i < 2 ? input.find("\xff\xff", start) : std::string::npos;
        parts[i] = input.substr(start, sep == std::string::npos ? std::string::npos : sep - start);
        if (sep == std::string::npos) break;
        start = sep + 2;
    }
    std::string text = parts[0];
    kaveto::ReplaceAll(text, parts[1], parts[2]);
    if (text != ReferenceReplaceAll(parts[0], parts[1], parts[2])) std::abort();

    std::string utf8 = parts[0];
    kaveto::ReplaceAllUtf8(utf8, parts[1], parts[2]);
    if (utf8 != PlainReplaceAll(parts[0], parts[1], parts[2])) std::abort();

    for (const std::string& line : kaveto::SplitLines(input)) {
        if (line.find_first_of("\r\n") != std::string::npos) std::abort();
        kaveto::RuleFields(line);
        // Read as UTF-8, a line of ASCII splits as it does in Shift_JIS.
        const std::vector<std::string> fields = kaveto::RuleFieldsUtf8(line);
        bool ascii = true;
        for (const char c : line) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        if (ascii && fields != kaveto::RuleFields(line)) std::abort();
        if (!fields.empty()) kaveto::RulePatternToShiftJis(fields[0]);
    }

    // A file without the mark is Shift_JIS byte for byte up to Ctrl+Z.
    const kaveto::DualText texts = kaveto::TemplateTexts(input);
    if (!kaveto::StartsWithUtf8Bom(input) && texts.shift_jis != input.substr(0, input.find('\x1A'))) std::abort();
    return 0;
}
