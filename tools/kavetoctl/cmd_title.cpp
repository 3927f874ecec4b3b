// title: the page title that a capture would quote, for a page saved from
// the browser, so that users can see why a page quotes as it does.
#include <cstdint>
#include <string>

#include "capture/page_context.h"
#include "tools/kavetoctl/commands.h"

namespace kaveto::ctl {

// Prints the title in Shift_JIS (with --utf8: its Unicode form in UTF-8)
// and a line end, after the page's text code has been detected and
// converted as a capture does. Exit 1 when the page gives no title (none
// found, an empty one, or a page too large to be read).
int CmdTitle(const Args& given) {
    Args args = given;
    const bool utf8 = TakeUtf8Flag(args);
    if (!args.empty()) return Usage();
    std::string page;
    if (!ReadStdin(page)) return 2;
    if (static_cast<std::int64_t>(page.size()) > kMaxPageFileSize) return 1;
    const std::string title = utf8 ? PageTitlesFromContent(page).utf8 : PageTitleFromContent(page);
    if (title.empty()) return 1;
    return WriteStdout(title + "\n");
}

}  // namespace kaveto::ctl
