#include "tools/drive/standin_selection.h"

#include <cstring>

#include "platform/unique_win32.h"

namespace kaveto::drive {
namespace {

constexpr wchar_t kSelectionProperty[] = L"Kaveto.StandIn.Selection";
constexpr UINT_PTR kCopyTimer = 0x4B43;

bool Down(int vk) { return (::GetKeyState(vk) & 0x8000) != 0; }

}  // namespace

// The window procedure is taken over from here: the window's own thread
// runs it from the next message on.
BrowserSelection::BrowserSelection(HWND browser, std::vector<DragFormat> formats, DWORD lag_ms)
    : browser_(browser), formats_(std::move(formats)), lag_ms_(lag_ms) {
    ::SetPropW(browser_, kSelectionProperty, this);
    previous_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(browser_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BrowserSelection::Proc)));
}

BrowserSelection::~BrowserSelection() {
    if (!::IsWindow(browser_)) return;
    ::SetWindowLongPtrW(browser_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    // Sent: it returns once the window's thread is past any message that
    // was still being handled by the procedure of this object.
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(browser_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    ::KillTimer(browser_, kCopyTimer);
    ::RemovePropW(browser_, kSelectionProperty);
}

LRESULT CALLBACK BrowserSelection::Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = static_cast<BrowserSelection*>(::GetPropW(window, kSelectionProperty));
    // Ctrl+C and nothing else: Ctrl+Alt+C is another command.
    if (message == WM_KEYDOWN && wparam == 'C' && Down(VK_CONTROL) && !Down(VK_MENU) && !Down(VK_SHIFT)) {
        ++self->presses_;
        ::SetTimer(window, kCopyTimer, self->lag_ms_, nullptr);
        return 0;
    }
    if (message == WM_TIMER && wparam == kCopyTimer) {
        ::KillTimer(window, kCopyTimer);
        self->Copy(window);
        return 0;
    }
    return ::CallWindowProcW(self->previous_, window, message, wparam, lparam);
}

void BrowserSelection::Copy(HWND window) {
    if (!::OpenClipboard(window)) return;
    ::EmptyClipboard();
    for (const DragFormat& f : formats_) {
        UniqueHGlobal block(::GlobalAlloc(GMEM_MOVEABLE, f.bytes.size()));
        if (!block) continue;
        {
            GlobalLockGuard lock(block.get());
            if (lock.data()) std::memcpy(lock.data(), f.bytes.data(), f.bytes.size());
        }
        if (::SetClipboardData(f.format, block.get())) block.release();  // the system owns it now
    }
    ::CloseClipboard();
    ++copies_;
}

}  // namespace kaveto::drive
