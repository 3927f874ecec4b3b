#include "app/confirmation_tip_win32.h"

#include "engine/confirmation.h"

namespace kaveto {
namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr UINT_PTR kToolId = 1;
// Apart from the numbers of the tooltip's own timers.
constexpr UINT_PTR kHideTimer = 0x4B51;

ScreenRect WorkAreaOf(HWND window) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    ::GetMonitorInfoA(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

}  // namespace

ConfirmationTip::ConfirmationTip(HWND picture) : picture_(picture) {
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&classes);
    // A popup that is never activated, above the picture, which is topmost.
    tip_ = UniqueWindow(::CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, TOOLTIPS_CLASSA, nullptr,
                                          WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                          CW_USEDEFAULT, CW_USEDEFAULT, picture, nullptr,
                                          ::GetModuleHandleA(nullptr), nullptr));
    if (!tip_) return;
    char empty[] = "";
    TOOLINFOA tool = Tool(empty);
    ::SendMessageA(tip_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    ::SetWindowSubclass(tip_.get(), &ConfirmationTip::Subclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

ConfirmationTip::~ConfirmationTip() {
    if (!tip_) return;
    ::KillTimer(tip_.get(), kHideTimer);
    ::RemoveWindowSubclass(tip_.get(), &ConfirmationTip::Subclass, kSubclassId);
}

TOOLINFOA ConfirmationTip::Tool(char* text) const {
    TOOLINFOA tool = {};
    // The size every version of the common controls takes.
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = picture_;
    tool.uId = kToolId;
    tool.lpszText = text;
    return tool;
}

void ConfirmationTip::Show(const std::string& text) {
    if (!tip_) return;
    std::string shown = text.substr(0, text.find('\0'));
    TOOLINFOA tool = Tool(shown.data());
    ::SendMessageA(tip_.get(), TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    const DWORD size = static_cast<DWORD>(::SendMessageA(tip_.get(), TTM_GETBUBBLESIZE, 0, reinterpret_cast<LPARAM>(&tool)));
    RECT picture = {};
    ::GetWindowRect(picture_, &picture);
    const ScreenPoint at = ConfirmationOrigin({picture.left, picture.top, picture.right, picture.bottom},
                                              LOWORD(size), HIWORD(size), WorkAreaOf(picture_));
    ::SendMessageA(tip_.get(), TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
    ::SendMessageA(tip_.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    ::SetWindowPos(tip_.get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::SetTimer(tip_.get(), kHideTimer, kShownMs, nullptr);
}

void ConfirmationTip::Hide() {
    if (!tip_) return;
    ::KillTimer(tip_.get(), kHideTimer);
    char empty[] = "";
    TOOLINFOA tool = Tool(empty);
    ::SendMessageA(tip_.get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

LRESULT CALLBACK ConfirmationTip::Subclass(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                           DWORD_PTR self) {
    if (message == WM_TIMER && wparam == kHideTimer) {
        reinterpret_cast<ConfirmationTip*>(self)->Hide();
        return 0;
    }
    return ::DefSubclassProc(window, message, wparam, lparam);
}

}  // namespace kaveto
