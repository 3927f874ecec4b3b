#pragma once
// The road from a filled CaptureRecord to a delivered snippet.
#include <optional>
#include <string>
#include <vector>

#include "engine/app_state.h"
#include "engine/template_fill.h"
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

// The HTML template beside a text template: "3.html" for "3.txt".
std::string HtmlTemplateName(const std::string& text_template);

// An HTML template file's text: UTF-8, a byte order mark skipped, ending
// before its first Ctrl+Z byte. Bytes that are no UTF-8 read as U+FFFD, so
// that the HTML form is UTF-8 whatever the file holds.
std::string HtmlTemplateText(const std::string& file_bytes);

// Replaces the date and time tokens with the values of `now`. The weekday name
// is looked up first: ListIndexError when `youbi` has no entry for it.
void ExpandDateTokens(std::string& text, const LocalTime& now, const std::vector<std::string>& youbi);

// The composed snippet and its history label; `composed` is false when no
// template applies. The sinks are not run.
struct Composition {
    bool composed = false;
    Snippet snippet;
    std::string label;
    LocalTime now;
    std::string template_file;  // "main\3.txt", relative to the program folder
};
Composition ComposeSnippet(CaptureRecord& record, const Settings& settings, Environment& env);

// Hands a composed snippet to the clipboard, the history and the log, each
// under its setting and in that order; the first failure stops the rest.
void DeliverSnippet(AppState& state, Environment& env, const Composition& composition);

}  // namespace kaveto
