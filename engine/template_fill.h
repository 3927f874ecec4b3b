#pragma once
// Filling a template: one pass over its text puts in the value of each
// placeholder and date token it holds. A value is put in as literal text
// and never read as template syntax again, so that nothing a web page
// controls (its address, its title, a selection, a link) can change the
// snippet around it. The one exception is the user's own text: a title or
// address that a title rule gives is filled itself, with the placeholders
// that come after its own in kPlaceholders and the date tokens, as it
// always was.
#include <array>
#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "platform/seams.h"

namespace kaveto {

// The placeholders a template may hold, in the order that decides which of
// them a title rule's text may hold (those after its own).
inline constexpr const char* kPlaceholders[] = {"%page_url%",  "%page_url_default%", "%sel_txt%", "%title_txt%",
                                                "%title_txt_default%", "%click_url%", "%url_txt%", "%SRC%"};
inline constexpr std::size_t kPlaceholderCount = std::size(kPlaceholders);

// The date and time tokens.
inline constexpr const char* kDateTokens[] = {"%yyyy%", "%yy%", "%m%",  "%mm%", "%d%",  "%dd%",   "%h%",
                                              "%hh%",   "%n%",  "%nn%", "%s%",  "%ss%", "%Youbi%"};
inline constexpr std::size_t kDateTokenCount = std::size(kDateTokens);

// The escapes a placeholder may carry after its name, as in
// "%title_txt:md%": Markdown, HTML and percent-encoding (text/text_escapes.h).
inline constexpr const char* kSuffixes[] = {":md", ":html", ":url"};

// The form a template is filled for. The Shift_JIS form reads its template
// in the code page, double-byte aware; the Unicode and HTML forms read
// UTF-8. In the HTML form every value is HTML-escaped, and an address
// (%page_url%, %page_url_default%, %click_url%, %SRC%) that is no web, file
// or mail address is put in as nothing.
enum class SnippetForm { ShiftJis, Utf8, Html };

// What fills a template. Each placeholder's text (in kPlaceholders' order)
// must outlive the filling.
struct TemplateValues {
    std::array<const DualText*, kPlaceholderCount> placeholders{};
    // A title or address given by a title rule: the user's own text.
    std::array<bool, kPlaceholderCount> users_text{};
    std::array<DualText, kDateTokenCount> date_tokens;
};

// The values of the date tokens at `now`, in kDateTokens' order. The
// weekday's name is looked up first: ListIndexError when `youbi` has none
// for it, whatever the template holds.
std::array<DualText, kDateTokenCount> DateTokenValues(const LocalTime& now, const std::vector<std::string>& youbi);

// The template filled for `form`.
std::string FillTemplate(std::string_view text, SnippetForm form, const TemplateValues& values);

// The template with its date tokens filled and its placeholders left as
// they stand.
std::string FillDateTokens(std::string_view text, SnippetForm form,
                           const std::array<DualText, kDateTokenCount>& date_tokens);

}  // namespace kaveto
