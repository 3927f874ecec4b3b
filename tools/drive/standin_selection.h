#pragma once
// A selection in a stand-in browser's page that Ctrl+C copies: the formats
// a browser puts on the clipboard for it, a moment after the key, as a
// browser whose page lives in another process does (the page copies, then
// the browser's own process writes the clipboard). Chrome copies a
// selection as it drags one: CF_UNICODETEXT and "HTML Format" naming the
// page (SelectionDrag's formats).
#include <windows.h>

#include <atomic>
#include <vector>

#include "tools/drive/drag.h"

namespace kaveto::drive {

// How long after the key a copy reaches the clipboard by default.
constexpr DWORD kCopyLagMs = 60;

class BrowserSelection {
public:
    // The browser window's Ctrl+C copies `formats` from now on, `lag_ms`
    // after the key; until the owner goes.
    BrowserSelection(HWND browser, std::vector<DragFormat> formats, DWORD lag_ms = kCopyLagMs);
    ~BrowserSelection();
    BrowserSelection(const BrowserSelection&) = delete;
    BrowserSelection& operator=(const BrowserSelection&) = delete;

    // Ctrl+C presses the window has taken, and the copies it has made.
    long presses() const { return presses_; }
    long copies() const { return copies_; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void Copy(HWND window);

    HWND browser_;
    std::vector<DragFormat> formats_;
    DWORD lag_ms_;
    WNDPROC previous_ = nullptr;
    std::atomic<long> presses_{0};
    std::atomic<long> copies_{0};
};

}  // namespace kaveto::drive
