// The template filling with HTML templates and suffixes, and the "HTML
// Format" block, on arbitrary bytes. The input is parts separated by 0xFF
// 0xFF: the HTML template, the text template, then the eight placeholders'
// texts; the first byte of the text template says which values are the
// user's own (a title rule's). Checked: the block's offsets always give the
// fragment and the whole document, ":url" gives plain ASCII in every form,
// and a page's value comes out as itself (escaped in the HTML form).
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "capture/drop_payloads.h"
#include "engine/app_state.h"
#include "engine/snippet_composer.h"
#include "engine/template_fill.h"
#include "text/html_format.h"
#include "text/text_escapes.h"

namespace {

using namespace kaveto;

void Check(bool holds) {
    if (!holds) std::abort();
}

std::vector<std::string> Parts(const std::string& input) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t sep = input.find("\xff\xff", start);
        parts.push_back(input.substr(start, sep == std::string::npos ? std::string::npos : sep - start));
        if (sep == std::string::npos) return parts;
        start = sep + 2;
    }
}

const char* const kNames[] = {"page_url",          "page_url_default", "sel_txt", "title_txt",
                              "title_txt_default", "click_url",        "url_txt", "SRC"};

// The block read back by its offsets gives the fragment and the document.
void CheckBlock(const std::string& fragment, const std::string& source_url) {
    const std::string block = BuildHtmlFormat(fragment, source_url);
    const HtmlFormatHeader header = ParseHtmlFormat(block);
    Check(header.version == "0.9");
    Check(header.source_url == source_url);
    Check(header.html && header.html->end == block.size() && block.compare(header.html->begin, 6, "<html>") == 0);
    Check(header.fragment &&
          block.substr(header.fragment->begin, header.fragment->end - header.fragment->begin) ==
              fragment.substr(0, fragment.find('\0')));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> parts = Parts(std::string(reinterpret_cast<const char*>(data), size));
    parts.resize(2 + kPlaceholderCount);
    const std::string html_template = HtmlTemplateText(parts[0]);
    const std::string& text_template = parts[1];
    const unsigned users = text_template.empty() ? 0 : static_cast<unsigned char>(text_template[0]);

    std::array<DualText, kPlaceholderCount> texts;
    TemplateValues values;
    for (std::size_t k = 0; k < kPlaceholderCount; ++k) {
        // Even values come as the browser's Unicode, odd ones as Shift_JIS.
        texts[k] = k % 2 ? FromShiftJis(parts[2 + k]) : FromUtf8(Utf16ToUtf8(Utf8ToUtf16(parts[2 + k])));
        values.placeholders[k] = &texts[k];
        values.users_text[k] = (k == 0 || k == 3) && (users >> k) & 1;
    }
    values.date_tokens = DateTokenValues({2026, 6, 7, 9, 5, 7, 0}, {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"});

    for (const SnippetForm form : {SnippetForm::ShiftJis, SnippetForm::Utf8, SnippetForm::Html}) {
        (void)FillTemplate(text_template, form, values);
        for (std::size_t k = 0; k < kPlaceholderCount; ++k) {
            const std::string name = kNames[k];
            for (const char c : FillTemplate("%" + name + ":url%", form, values)) Check(c > 0x20 && c < 0x7F);
            if (values.users_text[k]) continue;
            const std::string plain = FillTemplate("%" + name + "%", form, values);
            const std::string& own = form == SnippetForm::ShiftJis ? texts[k].shift_jis : texts[k].utf8;
            if (form != SnippetForm::Html) Check(plain == own);
            else Check(plain.empty() || plain == EscapeHtml(own));
        }
    }
    CheckBlock(FillTemplate(html_template, SnippetForm::Html, values),
               IsLinkableAddress(texts[0].utf8) ? EscapeUrl(texts[0].utf8) : std::string());
    CheckBlock(parts[0], EscapeUrl(parts[2]));
    return 0;
}
