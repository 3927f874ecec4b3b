#pragma once
// A page's title as its reader sees it in the browser: the title element
// found even when it spans lines or its start tag carries attributes, its
// character references decoded and its white space laid out.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kaveto {

// A title element is looked for only when its start tag begins within the
// first kTitleSearchLimit bytes of the page: the title belongs in the head,
// and a "<title" further on is more likely part of a script or a drawing.
// The whole element, from "<" to its end tag, must lie within
// kTitleStretch bytes, so that a page without an end tag costs no more.
inline constexpr std::size_t kTitleSearchLimit = std::size_t{1} << 20;
inline constexpr std::size_t kTitleStretch = std::size_t{64} << 10;

// The text of the first title element, as a browser reads it: tag names in
// any case, attributes in the start tag (a ">" inside a quoted value does
// not end it), the text running over any number of lines up to the first
// "</title" followed by white space, "/" or ">". Nothing when no such
// element lies within the bounds above.
std::optional<std::string_view> FindTitleElement(std::string_view page);

// The title text as a browser shows it, in Shift_JIS: character references
// decoded (a reference that is not well formed, or names nothing, stays as
// written; a character that Shift_JIS lacks becomes "?"), and runs of
// white space (space, tab, CR, LF, form feed, also when written as
// references) made one space, none at either end. A no-break space
// ("&nbsp;") becomes a plain space that, as in the browser, is neither
// merged nor trimmed.
std::string LayOutTitle(std::string_view raw);

// The same for a title in UTF-8, into UTF-8: every referenced character
// is kept, the no-break space among them, and bytes that are not
// well-formed UTF-8 become U+FFFD.
std::string LayOutTitleUtf8(std::string_view raw);

}  // namespace kaveto
