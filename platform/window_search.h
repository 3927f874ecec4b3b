#pragma once
// The window system as the capture sees it: the descendants of a window, their
// class names and texts, and the foreground window. The buffer calls keep the
// platform's own contracts (a limit that counts the terminating zero) so that
// the rules about buffer sizes live in the portable code that calls them.
#include <functional>
#include <string>

#include "platform/seams.h"

namespace kaveto {

class WindowSearch {
public:
    virtual ~WindowSearch() = default;
    // Calls `visit` for every descendant of `parent` in the platform's order,
    // parents before their children, until `visit` returns false. A null
    // parent stands for the top-level windows.
    virtual void EnumDescendants(WindowHandle parent, const std::function<bool(WindowHandle)>& visit) = 0;
    // Copies at most limit - 1 characters of the class name and a zero byte
    // into `buffer`; returns the characters copied, 0 on failure.
    virtual int ClassName(WindowHandle window, char* buffer, int limit) = 0;
    // The window's text as WM_GETTEXT gives it: at most limit - 1 characters
    // and a zero byte. False, with the buffer untouched, when the window's
    // program does not answer within a short time: another program must
    // never hold this one up.
    virtual bool WindowText(WindowHandle window, char* buffer, int limit) = 0;
    // The window's caption as Unicode text, or empty when the window's
    // program does not answer within a short time.
    virtual std::u16string Caption(WindowHandle window) = 0;
    // The window's text as WM_GETTEXT gives it in Unicode: at most limit - 1
    // characters. Empty when the window's program does not answer within a
    // short time, and where the platform has no Unicode texts: callers then
    // take the conversion of WindowText.
    virtual std::u16string WideWindowText(WindowHandle /*window*/, int /*limit*/) { return std::u16string(); }
    // The window in front, or null when there is none.
    virtual WindowHandle ForegroundWindow() = 0;
    // Makes the window the foreground window and brings it to the top without
    // waiting for a window that does not answer. Changes nothing and reports
    // nothing for a null or vanished window.
    virtual void ForceForeground(WindowHandle window) = 0;
};

}  // namespace kaveto
