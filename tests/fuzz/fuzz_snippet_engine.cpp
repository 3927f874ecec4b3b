// ReplaceAll against a character-by-character reference, and the title-rule
// line splitting, on arbitrary bytes. The input is three parts separated by
// 0xFF 0xFF: the text, the search text and the replacement.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/title_rules.h"
#include "tests/text/replace_all_reference.h"
#include "text/text_helpers.h"

namespace {

using kaveto::testing::ReferenceReplaceAll;

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

    for (const std::string& line : kaveto::SplitLines(input)) {
        if (line.find_first_of("\r\n") != std::string::npos) std::abort();
        kaveto::RuleFields(line);
    }
    return 0;
}
