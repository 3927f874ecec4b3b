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

void ReplacePlaceholders(std::string& text, const CaptureRecord& record, const DualText& page_url_default,
                         const DualText& title_txt_default) {
    // In sequence: a value brought in by one placeholder is seen by the later
    // ones, as users' templates expect.
    const std::string* const values[] = {&record.page_url.shift_jis,  &page_url_default.shift_jis,
                                         &record.sel_txt.shift_jis,   &record.title_txt.shift_jis,
                                         &title_txt_default.shift_jis, &record.click_url.shift_jis,
                                         &record.url_txt.shift_jis,   &record.src.shift_jis};
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

void ReplacePlaceholdersUtf8(std::string& text, const CaptureRecord& record, const DualText& page_url_default,
                             const DualText& title_txt_default) {
    const std::string* const values[] = {&record.page_url.utf8,  &page_url_default.utf8,  &record.sel_txt.utf8,
                                         &record.title_txt.utf8, &title_txt_default.utf8, &record.click_url.utf8,
                                         &record.url_txt.utf8,   &record.src.utf8};
    static_assert(std::size(values) == std::size(kPlaceholders));
    for (std::size_t i = 0; i < std::size(values); ++i) ReplaceAllUtf8(text, kPlaceholders[i], *values[i]);
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
    const DualText page_url_default = record.page_url;
    const DualText title_txt_default = record.title_txt;
    ApplyTitleRules(record, env);

    Composition result;
    const std::string name = ChooseTemplate(record);
    if (name.empty()) return result;
    const std::string folder = env.program_folder + (env.key_state.ControlDown() ? "sub\\" : "main\\");
    DualText& text = result.snippet.text;
    text = TemplateTexts(env.files.ReadAll(folder + name));

    ReplacePlaceholders(text.shift_jis, record, page_url_default, title_txt_default);
    ReplacePlaceholdersUtf8(text.utf8, record, page_url_default, title_txt_default);
    result.now = env.clock.Now();
    ExpandDateTokens(text.shift_jis, result.now, settings.Youbi);
    ExpandDateTokensUtf8(text.utf8, result.now, settings.Youbi);

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
