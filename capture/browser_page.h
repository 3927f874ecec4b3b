#pragma once
// Rules that read a page's address and title out of what a browser shows of
// itself: its accessibility tree and its window caption.
#include <string>
#include <string_view>

#include "platform/accessibility.h"

namespace kaveto {

// True for a text that begins like a web or file address, by the same test
// the address bar search makes: "http" or "file:///", in small letters.
bool IsPageAddress(std::u16string_view text);

// The page's address from the tree: the web document's value when it is a
// web or file address; otherwise the first editable text whose value is an
// address. A value without a scheme that names a host ("example.com/a",
// "localhost:8080/") is taken as an https address: browsers hide the scheme
// of the page in front, and almost every page is served over https. Empty
// when nothing qualifies.
std::u16string AddressFromAccessiblePage(const AccessiblePage& page);

// True for the window classes of the browsers whose captions are read:
// "Chrome_WidgetWin_1" (Chrome, Edge, Brave, Vivaldi, Opera) and
// "MozillaWindowClass" (Firefox and its relatives).
bool IsBrowserWindowClass(std::string_view class_name);

// The page title from a browser's caption, the browser's name removed; empty
// when the window is not a browser's or the caption does not end in a
// browser's name (a dialog, a browser of another make).
std::u16string TitleFromCaption(std::string_view class_name, std::u16string_view caption);

}  // namespace kaveto
