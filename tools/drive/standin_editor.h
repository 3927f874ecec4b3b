#pragma once
// A stand-in text editor on a thread of the driver's process, as another
// program's window would be: a frame with one multi-line "Edit" that takes
// the focus whenever the frame gets it, as real editors do (without that, a
// window brought back to the front has the focus on its frame and a pasted
// Ctrl+V goes nowhere).
#include <windows.h>

#include <string>

#include "tools/drive/window_thread.h"

namespace kaveto::drive {

constexpr Placement kEditorPlacement = {300, 300, 300, 200};

class StandInEditor {
public:
    explicit StandInEditor(const Placement& placement = kEditorPlacement);
    HWND window() const { return window_; }
    HWND edit() const { return edit_; }
    std::string Text() const;
    void Clear();
    bool BringToFront();

private:
    HWND window_ = nullptr, edit_ = nullptr;
    WindowThread thread_;
};

}  // namespace kaveto::drive
