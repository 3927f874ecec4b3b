#pragma once
// A drag started from the test's own process, as a browser starts one: a
// data object holding text, dropped on a point of the screen.
#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

namespace kaveto::e2e {

// Drags a link to the screen point and drops it there, as a browser drags
// one: its address as CF_TEXT and a "FileGroupDescriptor" naming one
// internet shortcut after the link's text. Runs OLE's own drag loop, which
// returns once the drop is over; the test's thread must have OLE
// initialised. Returns DoDragDrop's result.
HRESULT DragLinkTo(const std::string& address, const std::string& link_text, POINT target);

// One format of a dragged data object and its bytes, handed out as a global
// block with a zero byte added.
struct DragFormat {
    CLIPFORMAT format;
    std::string bytes;
};
HRESULT DragFormatsTo(std::vector<DragFormat> formats, POINT target);
// Selected text: CF_TEXT alone.
HRESULT DragTextTo(const std::string& text, POINT target);
// One file named in CF_HDROP (ANSI), as a browser drags a picture from its cache.
HRESULT DragFileTo(const std::string& path, POINT target);

// OLE for the test's thread while it lives.
class OleThread {
public:
    OleThread() { ::OleInitialize(nullptr); }
    ~OleThread() { ::OleUninitialize(); }
    OleThread(const OleThread&) = delete;
    OleThread& operator=(const OleThread&) = delete;
};

}  // namespace kaveto::e2e
