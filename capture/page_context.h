#pragma once
// The page the user is looking at: its address, read out of the browser's
// address bar, and its title, read out of the page's local copy.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "capture/capture_context.h"

namespace kaveto {

// A local copy larger than this is not read for its title: no page is that
// big, and reading it whole would only exhaust memory.
constexpr std::int64_t kMaxPageFileSize = std::int64_t{64} << 20;

// Searches the descendants of `window` for an "Edit" control whose text is a
// web or file address; the first one sets state.last_found_url. When none
// does, the window's accessibility tree is asked (a browser's web document,
// else its address bar). True when either found an address; otherwise
// last_found_url keeps the address found before.
bool FindPageAddress(CaptureContext& context, WindowHandle window);

// The address of the page a drop came from, as the drag itself tells it;
// asked only when the window shows none.
using DropPage = std::function<std::optional<DualText>()>;

// Sets page_url and title_txt for the page shown in `window`. When the
// window shows no address and the drop names its page, that page becomes
// the last found address. When the page's copy gives no title and the
// address was found now, the title is the web document's name, else the
// browser's caption.
void CapturePageContext(CaptureContext& context, WindowHandle window, const DropPage& drop_page = nullptr);

// Sets title_txt from the local copy of last_found_url; leaves it alone when
// there is no local copy.
void LookUpPageTitle(CaptureContext& context);

// The page's title as its reader sees it: the page's bytes up to the first
// zero byte, lines ended with CR LF, converted to Shift_JIS from the code
// the page is read in (ConvertPageToShiftJis: UTF-8 and declared codes
// too); then the title element on one line, or else as a browser finds it
// (FindTitleElement), laid out by LayOutTitle. Empty when the page has no
// title element.
std::string PageTitleFromContent(const std::string& content);
// The same title in both forms. Its Unicode form keeps what Shift_JIS
// lacks: a UTF-8 page's own characters, and every character a reference
// names, in a page of any code.
DualText PageTitlesFromContent(const std::string& content);

// The local file for an address: the path itself for a file address, else
// the URL cache's copy; empty when there is none.
std::string UrlToLocalFile(const std::string& address, UrlCache& cache);

// Turns "file:///C:/a%20b.htm" into "C:\a b.htm" in place; false (and the
// text unchanged) when the text does not begin with "file:///" in any case.
bool FileUrlToPath(std::string& text);

// The double-click on the picture: quotes the page of the target window and
// then gives that window the focus back.
void Image1DblClick(CaptureContext& context);

}  // namespace kaveto
