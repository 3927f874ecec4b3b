#pragma once
// The road from a filled CaptureRecord to a delivered snippet.
#include <string>
#include <vector>

#include "engine/app_state.h"
#include "platform/seams.h"

namespace kaveto {

// Applies the title rules, fills the template the capture calls for (from
// "main\" or, while Ctrl is down, "sub\") and delivers the snippet to the
// clipboard, the history and the log, each under its setting. A capture that
// fits no template emits nothing.
void SnippetComposer(AppState& state, Environment& env);

// The template file name a capture calls for ("1.txt" to "4.txt"), or the
// empty text when none applies.
std::string ChooseTemplate(const CaptureRecord& record);

// A template file's text in both forms, ending before its first Ctrl+Z
// byte. A file that begins with the UTF-8 byte order mark is UTF-8 (the
// mark is no part of the text) and gives its Shift_JIS form by conversion;
// any other file is Shift_JIS, byte for byte, and gives its UTF-8 form by
// conversion.
DualText TemplateTexts(const std::string& file_bytes);

// The placeholders a template may hold, in the order they are replaced.
inline constexpr const char* kPlaceholders[] = {"%page_url%",  "%page_url_default%", "%sel_txt%", "%title_txt%",
                                                "%title_txt_default%", "%click_url%", "%url_txt%", "%SRC%"};

// The date and time tokens, in the order they are replaced.
inline constexpr const char* kDateTokens[] = {"%yyyy%", "%yy%", "%m%",  "%mm%", "%d%",  "%dd%",   "%h%",
                                              "%hh%",   "%n%",  "%nn%", "%s%",  "%ss%", "%Youbi%"};

// Fills the composer's placeholders, in their fixed order.
void ReplacePlaceholders(std::string& text, const CaptureRecord& record, const DualText& page_url_default,
                         const DualText& title_txt_default);

// Replaces the date and time tokens with the values of `now`. The weekday name
// is looked up first: ListIndexError when `youbi` has no entry for it.
void ExpandDateTokens(std::string& text, const LocalTime& now, const std::vector<std::string>& youbi);

// The same two for the UTF-8 snippet: the UTF-8 forms of the texts, and the
// weekday name (Shift_JIS, as the settings hold it) converted.
void ReplacePlaceholdersUtf8(std::string& text, const CaptureRecord& record, const DualText& page_url_default,
                             const DualText& title_txt_default);
void ExpandDateTokensUtf8(std::string& text, const LocalTime& now, const std::vector<std::string>& youbi);

// The composed snippet and its history label; `composed` is false when no
// template applies. The sinks are not run.
struct Composition {
    bool composed = false;
    Snippet snippet;
    std::string label;
    LocalTime now;
};
Composition ComposeSnippet(CaptureRecord& record, const Settings& settings, Environment& env);

// Hands a composed snippet to the clipboard, the history and the log, each
// under its setting and in that order; the first failure stops the rest.
void DeliverSnippet(AppState& state, Environment& env, const Composition& composition);

}  // namespace kaveto
