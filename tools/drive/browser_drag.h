#pragma once
// The drags each kind of stand-in browser starts, with the formats that
// kind of browser puts on them. `page` is the address of the page the drag
// comes from, which today's browsers write on the drag as well.
#include <string>
#include <vector>

#include "tools/drive/drag.h"
#include "tools/drive/standin_browser.h"

namespace kaveto::drive {

// Selected text. Classic: CF_TEXT alone. Chromium: CF_UNICODETEXT and
// "HTML Format" with the page as its SourceURL. Firefox: the same and
// "text/x-moz-url-priv" naming the page.
std::vector<DragFormat> SelectionDrag(BrowserKind kind, const std::wstring& text, const std::string& page);

// A link. Classic: its address as CF_TEXT and a "FileGroupDescriptor"
// naming "<text>.URL". Chromium: "UniformResourceLocatorW" and
// "FileGroupDescriptorW" only. Firefox: those, "text/x-moz-url" (address and
// text), "text/x-moz-url-priv" and the address as CF_UNICODETEXT.
std::vector<DragFormat> LinkDrag(BrowserKind kind, const std::string& address, const std::wstring& text,
                                 const std::string& page);

// A picture shown from `address`. Classic: its file in the URL cache as
// CF_HDROP (the address must be cached; no file is named otherwise).
// Chromium: a "FileGroupDescriptorW" naming the file, its "FileContents"
// and its address as "UniformResourceLocatorW". Firefox: those, and
// "text/x-moz-url", "text/x-moz-url-priv" and CF_UNICODETEXT.
std::vector<DragFormat> ImageDrag(BrowserKind kind, const std::string& address, const std::string& page,
                                  const std::string& contents = "GIF89a");

}  // namespace kaveto::drive
