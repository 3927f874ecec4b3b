// Page titles from arbitrary pages: the title scan stays within its bounds
// and returns text without an end tag, every character reference read is
// well formed, and the laid-out title holds no white space but single
// spaces between characters.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "capture/page_context.h"
#include "capture/page_title.h"
#include "text/html_references.h"
#include "text/text_helpers.h"
#include "text/page_code.h"
#include "text/unicode.h"

using namespace kaveto;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool HoldsEndTag(std::string_view text) {
    for (std::size_t at = 0; (at = text.find("</", at)) != std::string_view::npos; ++at) {
        if (at + 7 >= text.size()) return false;
        if (EqualIgnoreCase(text.substr(at + 2, 5), "title") &&
            (IsSpace(text[at + 7]) || text[at + 7] == '/' || text[at + 7] == '>'))
            return true;
    }
    return false;
}

// Walking the title by characters: white space only as single spaces, none
// at either end.
void CheckLaidOut(const std::string& title) {
    bool last_was_space = true;
    for (std::size_t pos = 0; pos < title.size();) {
        const std::size_t length = CharLength(title, pos);
        const bool space = length == 1 && IsSpace(title[pos]);
        Check(!space || (title[pos] == ' ' && !last_was_space));
        last_was_space = space;
        pos += length;
    }
    Check(!last_was_space || title.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string page(reinterpret_cast<const char*>(data), size);

    if (const auto element = FindTitleElement(page)) {
        Check(element->data() >= page.data() && element->data() + element->size() <= page.data() + page.size());
        Check(element->size() < kTitleStretch);
        Check(static_cast<std::size_t>(element->data() - page.data()) < kTitleSearchLimit + kTitleStretch);
        Check(!HoldsEndTag(*element));
    }

    for (std::size_t at = 0; (at = page.find('&', at)) != std::string::npos; ++at) {
        const auto reference = ReadCharacterReference(std::string_view(page).substr(at));
        if (!reference) continue;
        Check(reference->length >= 4 && at + reference->length <= size && page[at + reference->length - 1] == ';');
        const char32_t c = reference->character;
        Check(c != 0 && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF));
    }

    const std::string laid_out = LayOutTitle(page);
    // Without references, no no-break space can stand at an end or beside
    // another space; and a laid-out title lays out to itself.
    if (page.find('&') == std::string::npos) {
        CheckLaidOut(laid_out);
        Check(LayOutTitle(laid_out) == laid_out);
    }
    Check(laid_out.size() <= size);  // a reference is never shorter than what it gives

    // Both forms of the title come from the same place: the Unicode form
    // is well-formed UTF-8 whatever the page holds, and the Shift_JIS form
    // is the title the program always quoted.
    const DualText titles = PageTitlesFromContent(page);
    Check(titles.shift_jis == PageTitleFromContent(page));
    Check(titles.utf8.empty() == titles.shift_jis.empty());
    bool ascii = true;
    for (const char c : titles.utf8) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    Check(ascii || ReadsAsUtf8(titles.utf8));
    // Read as UTF-8, any bytes give a title of whole Shift_JIS characters:
    // what is not UTF-8, or that Shift_JIS lacks, is "?"; and the Unicode
    // form converts to it, the no-break space of a reference aside.
    const DualText utf8 = PageTitlesFromContent("\xEF\xBB\xBF" + page.substr(0, page.find('\0')));
    const std::string& utf8_title = utf8.shift_jis;
    for (std::size_t pos = 0; pos < utf8_title.size();) Check(NextShiftJis(utf8_title, pos) != kReplacementCharacter);
    if (page.find('&') == std::string::npos) Check(Utf8ToShiftJis(utf8.utf8) == utf8_title);
    return 0;
}
