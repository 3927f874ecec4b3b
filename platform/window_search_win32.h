#pragma once
// The window system seen through the Win32 window manager.
#include <windows.h>

#include <set>

#include "platform/window_search.h"

namespace kaveto {

class Win32WindowSearch : public WindowSearch {
public:
    void EnumDescendants(WindowHandle parent, const std::function<bool(WindowHandle)>& visit) override;
    int ClassName(WindowHandle window, char* buffer, int limit) override;
    bool WindowText(WindowHandle window, char* buffer, int limit) override;
    std::u16string Caption(WindowHandle window) override;
    std::u16string WideWindowText(WindowHandle window, int limit) override;
    WindowHandle ForegroundWindow() override;
    void ForceForeground(WindowHandle window) override;

private:
    // Threads that did not answer during the current search: their other
    // windows are passed over without another wait.
    std::set<DWORD> silent_threads_;
};

inline HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
inline WindowHandle FromHwnd(HWND window) { return reinterpret_cast<WindowHandle>(window); }

}  // namespace kaveto
