#pragma once
// The brief confirmation beside the picture: a tracking tooltip that shows
// the start of a delivered snippet and goes by itself. It never takes the
// front or the keyboard focus from the window the user works in.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "platform/unique_win32.h"

namespace kaveto {

class ConfirmationTip {
public:
    static constexpr UINT kShownMs = 1500;

    // A tooltip of the picture window, hidden until Show.
    explicit ConfirmationTip(HWND picture);
    ~ConfirmationTip();
    ConfirmationTip(const ConfirmationTip&) = delete;
    ConfirmationTip& operator=(const ConfirmationTip&) = delete;

    // Shows the text (in the ANSI code page) beside the picture, for
    // kShownMs from now; a second Show before then takes the first's place.
    void Show(const std::string& text);
    void Hide();
    HWND window() const { return tip_.get(); }

private:
    static LRESULT CALLBACK Subclass(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                     DWORD_PTR self);
    TOOLINFOA Tool(char* text) const;

    HWND picture_;
    UniqueWindow tip_;
};

}  // namespace kaveto
