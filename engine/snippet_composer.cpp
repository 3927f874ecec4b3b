#include "engine/snippet_composer.h"

#include "engine/output_sinks.h"
#include "engine/title_rules.h"
#include "text/page_code.h"
#include "text/text_escapes.h"
#include "text/unicode.h"

namespace kaveto {

std::string ChooseTemplate(const CaptureRecord& r) {
    // The Shift_JIS forms decide, byte for byte.
    if (r.src.shift_jis.empty() && r.click_url.shift_jis.empty() && r.url_txt.shift_jis.empty() &&
        r.sel_txt.shift_jis.empty())
        return "3.txt";
    if (!r.src.shift_jis.empty()) return "4.txt";
    if (r.page_url.shift_jis == r.click_url.shift_jis) return "3.txt";
    if (!r.sel_txt.shift_jis.empty()) return "1.txt";
    if (!r.url_txt.shift_jis.empty()) return "2.txt";
    return {};
}

namespace {

// The text up to its first Ctrl+Z, which ends a text file. In either code
// the byte is that character alone.
std::string BeforeCtrlZ(std::string text) {
    const std::size_t eof = text.find('\x1A');
    if (eof != std::string::npos) text.resize(eof);
    return text;
}

}  // namespace

DualText TemplateTexts(const std::string& file_bytes) {
    const bool utf8 = StartsWithUtf8Bom(file_bytes);
    std::string text = BeforeCtrlZ(utf8 ? file_bytes.substr(kUtf8ByteOrderMark.size()) : file_bytes);
    return utf8 ? FromUtf8(std::move(text)) : FromShiftJis(std::move(text));
}

std::string HtmlTemplateName(const std::string& text_template) {
    return text_template.substr(0, text_template.rfind('.')) + ".html";
}

std::string HtmlTemplateText(const std::string& file_bytes) {
    std::string text =
        BeforeCtrlZ(StartsWithUtf8Bom(file_bytes) ? file_bytes.substr(kUtf8ByteOrderMark.size()) : file_bytes);
    if (IsWellFormedUtf8(text)) return text;
    return Utf16ToUtf8(Utf8ToUtf16(text));
}

void ExpandDateTokens(std::string& text, const LocalTime& now, const std::vector<std::string>& youbi) {
    text = FillDateTokens(text, SnippetForm::ShiftJis, DateTokenValues(now, youbi));
}

namespace {

// The page's address for the HTML form's source line: a web, file or mail
// address, percent-encoded so that it is one line of ASCII.
std::string SourceUrlOf(const DualText& page_url) {
    return IsLinkableAddress(page_url.utf8) ? EscapeUrl(page_url.utf8) : std::string();
}

}  // namespace

Composition ComposeSnippet(CaptureRecord& record, const Settings& settings, Environment& env) {
    const DualText page_url_default = record.page_url;
    const DualText title_txt_default = record.title_txt;
    const TitleRuleMatch rule = MatchTitleRules(record, env);

    Composition result;
    const std::string name = ChooseTemplate(record);
    if (name.empty()) return result;
    const std::string folder = env.key_state.ControlDown() ? "sub\\" : "main\\";
    result.template_file = folder + name;
    const DualText text = TemplateTexts(env.files.ReadAll(env.program_folder + result.template_file));
    const std::string html_path = env.program_folder + folder + HtmlTemplateName(name);
    std::optional<std::string> html;
    if (env.files.FileExists(html_path)) html = HtmlTemplateText(env.files.ReadAll(html_path));

    result.now = env.clock.Now();
    TemplateValues values;
    values.date_tokens = DateTokenValues(result.now, settings.Youbi);
    values.placeholders = {&record.page_url,  &page_url_default,  &record.sel_txt, &record.title_txt,
                           &title_txt_default, &record.click_url, &record.url_txt, &record.src};
    // What a rule of the user's gave is the user's text, filled as ever.
    values.users_text[0] = rule.address;
    values.users_text[3] = rule.line != 0;
    result.snippet.text = {FillTemplate(text.shift_jis, SnippetForm::ShiftJis, values),
                           FillTemplate(text.utf8, SnippetForm::Utf8, values)};
    if (html)
        result.snippet.html = HtmlForm{FillTemplate(*html, SnippetForm::Html, values), SourceUrlOf(record.page_url)};

    switch (name[0]) {
    case '1': result.label = record.sel_txt.shift_jis; break;
    case '2': result.label = record.url_txt.shift_jis; break;
    case '3': result.label = record.title_txt.shift_jis; break;
    default: result.label = record.src.shift_jis; break;
    }
    result.composed = true;
    return result;
}

void DeliverSnippet(AppState& state, Environment& env, const Composition& c) {
    if (state.settings.DoClipBool) CopyToClipboard(env.clipboard, c.snippet);
    if (state.settings.HistoryBool) AddToHistory(state.history, c.snippet, c.label);
    // The log date comes from the same instant as the snippet's date tokens.
    if (state.settings.LogBool) WriteLog(c.snippet, state.settings, env, c.now);
}

void SnippetComposer(AppState& state, Environment& env) {
    const Composition c = ComposeSnippet(state.record, state.settings, env);
    if (c.composed) DeliverSnippet(state, env, c);
}

}  // namespace kaveto
