#include "engine/snippet_composer.h"

#include <iterator>

#include "engine/output_sinks.h"
#include "engine/title_rules.h"
#include "platform/errors.h"
#include "text/text_helpers.h"

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

void ExpandDateTokens(std::string& text, const LocalTime& now, const std::vector<std::string>& youbi) {
    // The weekday name is looked up before anything is replaced, so a short
    // list fails on that weekday whatever the template holds.
    if (now.weekday < 0 || static_cast<std::size_t>(now.weekday) >= youbi.size()) throw ListIndexError(now.weekday);
    const std::string& weekday = youbi[static_cast<std::size_t>(now.weekday)];
    const std::string values[] = {
        std::to_string(now.year),   std::to_string(now.year - 2000), std::to_string(now.month),
        TwoDigit(now.month),        std::to_string(now.day),         TwoDigit(now.day),
        std::to_string(now.hour),   TwoDigit(now.hour),              std::to_string(now.minute),
        TwoDigit(now.minute),       std::to_string(now.second),      TwoDigit(now.second),
        weekday,
    };
    static_assert(std::size(values) == std::size(kDateTokens));
    for (std::size_t i = 0; i < std::size(values); ++i) ReplaceAll(text, kDateTokens[i], values[i]);
}

Composition ComposeSnippet(CaptureRecord& record, const Settings& settings, Environment& env) {
    const std::string page_url_default = record.page_url;
    const std::string title_txt_default = record.title_txt;
    ApplyTitleRules(record, env);

    Composition result;
    const std::string name = ChooseTemplate(record);
    if (name.empty()) return result;
    const std::string folder = env.program_folder + (env.key_state.ControlDown() ? "sub\\" : "main\\");
    result.snippet = env.files.ReadAll(folder + name);
    // Ctrl+Z ends a text file.
    const std::size_t eof = result.snippet.find('\x1A');
    if (eof != std::string::npos) result.snippet.resize(eof);

    ReplacePlaceholders(result.snippet, record, page_url_default, title_txt_default);
    result.now = env.clock.Now();
    ExpandDateTokens(result.snippet, result.now, settings.Youbi);

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
