#include "engine/snippet_composer.h"

#include <array>
#include <iterator>

#include "engine/output_sinks.h"
#include "engine/title_rules.h"
#include "platform/errors.h"
#include "text/text_helpers.h"
#include "text/page_code.h"
#include "text/unicode.h"

namespace kaveto {

std::string ChooseTemplate(const CaptureRecord& r) {
    if (r.src.empty() && r.click_url.empty() && r.url_txt.empty() && r.sel_txt.empty()) return "3.txt";
    if (!r.src.empty()) return "4.txt";
    if (r.page_url == r.click_url) return "3.txt";
    if (!r.sel_txt.empty()) return "1.txt";
    if (!r.url_txt.empty()) return "2.txt";
    return {};
}

void ReplacePlaceholders(std::string& text, const CaptureRecord& record, const std::string& page_url_default,
                         const std::string& title_txt_default) {
    // In sequence: a value brought in by one placeholder is seen by the later
    // ones, as users' templates expect.
    const std::string* const values[] = {&record.page_url,  &page_url_default,  &record.sel_txt,
                                         &record.title_txt, &title_txt_default, &record.click_url,
                                         &record.url_txt,   &record.src};
    static_assert(std::size(values) == std::size(kPlaceholders));
    for (std::size_t i = 0; i < std::size(values); ++i) ReplaceAll(text, kPlaceholders[i], *values[i]);
}

DualText TemplateTexts(const std::string& file_bytes) {
    const bool utf8 = StartsWithUtf8Bom(file_bytes);
    std::string text = utf8 ? file_bytes.substr(kUtf8ByteOrderMark.size()) : file_bytes;
    // Ctrl+Z ends a text file. In either code the byte is that character
    // alone, so both forms end at the same place.
    const std::size_t eof = text.find('\x1A');
    if (eof != std::string::npos) text.resize(eof);
    return utf8 ? FromUtf8(std::move(text)) : FromShiftJis(std::move(text));
}

void ReplacePlaceholdersUtf8(std::string& text, const CaptureRecord& record, const std::string& page_url_default,
                             const std::string& title_txt_default) {
    const CaptureRecord::Utf8Texts& u = record.utf8;
    const std::string values[] = {Utf8Form(record.page_url, u.page_url),   page_url_default,
                                  Utf8Form(record.sel_txt, u.sel_txt),     Utf8Form(record.title_txt, u.title_txt),
                                  title_txt_default,                       Utf8Form(record.click_url, u.click_url),
                                  Utf8Form(record.url_txt, u.url_txt),     Utf8Form(record.src, u.src)};
    static_assert(std::size(values) == std::size(kPlaceholders));
    for (std::size_t i = 0; i < std::size(values); ++i) ReplaceAllUtf8(text, kPlaceholders[i], values[i]);
}

namespace {

// The weekday's name; ListIndexError when the list has none for it.
const std::string& WeekdayName(const LocalTime& now, const std::vector<std::string>& youbi) {
    if (now.weekday < 0 || static_cast<std::size_t>(now.weekday) >= youbi.size()) throw ListIndexError(now.weekday);
    return youbi[static_cast<std::size_t>(now.weekday)];
}

// The values of the date and time tokens, in the tokens' order.
using DateValues = std::array<std::string, std::size(kDateTokens)>;
DateValues DateTokenValues(const LocalTime& now, const std::string& weekday) {
    return {
        std::to_string(now.year),   std::to_string(now.year - 2000), std::to_string(now.month),
        TwoDigit(now.month),        std::to_string(now.day),         TwoDigit(now.day),
        std::to_string(now.hour),   TwoDigit(now.hour),              std::to_string(now.minute),
        TwoDigit(now.minute),       std::to_string(now.second),      TwoDigit(now.second),
        weekday,
    };
}

}  // namespace

void ExpandDateTokensUtf8(std::string& text, const LocalTime& now, const std::vector<std::string>& youbi) {
    const DateValues values = DateTokenValues(now, ShiftJisToUtf8(WeekdayName(now, youbi)));
    for (std::size_t i = 0; i < values.size(); ++i) ReplaceAllUtf8(text, kDateTokens[i], values[i]);
}

void ExpandDateTokens(std::string& text, const LocalTime& now, const std::vector<std::string>& youbi) {
    // The weekday name is looked up before anything is replaced, so a short
    // list fails on that weekday whatever the template holds.
    const DateValues values = DateTokenValues(now, WeekdayName(now, youbi));
    for (std::size_t i = 0; i < values.size(); ++i) ReplaceAll(text, kDateTokens[i], values[i]);
}

Composition ComposeSnippet(CaptureRecord& record, const Settings& settings, Environment& env) {
    const std::string page_url_default = record.page_url;
    const std::string title_txt_default = record.title_txt;
    const std::string page_url_default_utf8 = Utf8Form(record.page_url, record.utf8.page_url);
    const std::string title_txt_default_utf8 = Utf8Form(record.title_txt, record.utf8.title_txt);
    ApplyTitleRules(record, env);

    Composition result;
    const std::string name = ChooseTemplate(record);
    if (name.empty()) return result;
    const std::string folder = env.program_folder + (env.key_state.ControlDown() ? "sub\\" : "main\\");
    DualText texts = TemplateTexts(env.files.ReadAll(folder + name));
    result.snippet = std::move(texts.shift_jis);
    result.snippet_utf8 = std::move(texts.utf8);

    ReplacePlaceholders(result.snippet, record, page_url_default, title_txt_default);
    ReplacePlaceholdersUtf8(result.snippet_utf8, record, page_url_default_utf8, title_txt_default_utf8);
    result.now = env.clock.Now();
    ExpandDateTokens(result.snippet, result.now, settings.Youbi);
    ExpandDateTokensUtf8(result.snippet_utf8, result.now, settings.Youbi);

    switch (name[0]) {
    case '1': result.label = record.sel_txt; break;
    case '2': result.label = record.url_txt; break;
    case '3': result.label = record.title_txt; break;
    default: result.label = record.src; break;
    }
    result.composed = true;
    return result;
}

void DeliverSnippet(AppState& state, Environment& env, const Composition& c) {
    const DualText snippet{c.snippet, Utf8Form(c.snippet, c.snippet_utf8)};
    if (state.settings.DoClipBool) CopyToClipboard(env.clipboard, snippet);
    if (state.settings.HistoryBool) AddToHistory(state.history, snippet, c.label);
    // The log date comes from the same instant as the snippet's date tokens.
    if (state.settings.LogBool) WriteLog(snippet, state.settings, env, c.now);
}

void SnippetComposer(AppState& state, Environment& env) {
    const Composition c = ComposeSnippet(state.record, state.settings, env);
    if (c.composed) DeliverSnippet(state, env, c);
}

}  // namespace kaveto
