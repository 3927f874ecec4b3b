#include "tools/drive/standin_browser.h"

#include "tools/drive/window_query.h"

namespace kaveto::drive {
namespace {

// The tag of a WM_COPYDATA that carries an address.
constexpr ULONG_PTR kAddressData = 0x4b414444;

UINT HangMessage() {
    static const UINT message = ::RegisterWindowMessageA("Kaveto.StandIn.Hang");
    return message;
}

// The classic browser: the address in an "Edit" inside a pane of the frame.
// The address bar keeps no focus of its own: the frame holds it, as a page
// would.
class EditBarBrowser : public BrowserWindow {
protected:
    const char* ClassName() const override { return "KavetoStandInBrowser"; }
    void Populate(HWND frame, const std::string& address) override {
        HINSTANCE instance = ::GetModuleHandleA(nullptr);
        HWND pane = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 460, 40, frame, nullptr, instance,
                                      nullptr);
        address_bar_ = ::CreateWindowExA(0, "Edit", address.c_str(), WS_CHILD | WS_VISIBLE | WS_BORDER, 4, 4, 440, 24,
                                         pane, nullptr, instance, nullptr);
    }
    void ShowAddress(const std::string& address) override { ::SetWindowTextA(address_bar_, address.c_str()); }

private:
    HWND address_bar_ = nullptr;  // a child: it goes with the frame
};

}  // namespace

std::optional<BrowserKind> BrowserKindNamed(const std::string& name) {
    if (name == "edit") return BrowserKind::kEditBar;
    return std::nullopt;
}

std::unique_ptr<BrowserWindow> MakeBrowserWindow(BrowserKind kind) {
    switch (kind) {
    case BrowserKind::kEditBar:
        return std::make_unique<EditBarBrowser>();
    }
    return nullptr;
}

HWND BrowserWindow::Open(const std::string& address, const Placement& placement) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = ClassName();
    ::RegisterClassA(&wc);  // fails harmlessly for the second window of the kind
    frame_.reset(::CreateWindowExA(0, ClassName(), "Stand-in browser", WS_OVERLAPPEDWINDOW | WS_VISIBLE, placement.x,
                                   placement.y, placement.width, placement.height, nullptr, nullptr, wc.hInstance,
                                   this));
    if (frame_) Populate(frame_.get(), address);
    return frame_.get();
}

LRESULT CALLBACK BrowserWindow::FrameProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<BrowserWindow*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<BrowserWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self || message == WM_NCDESTROY) {
        if (message == WM_NCDESTROY) ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        return ::DefWindowProcA(window, message, wparam, lparam);
    }
    return self->Handle(window, message, wparam, lparam);
}

LRESULT BrowserWindow::Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
        if (data->dwData != kAddressData) return FALSE;
        ShowAddress(std::string(static_cast<const char*>(data->lpData), data->cbData));
        return TRUE;
    }
    if (message == HangMessage()) {
        // A thread that does not answer: no message of any kind is handled
        // until the time is up.
        hanging_ = true;
        ::WaitForSingleObject(release_.get(), static_cast<DWORD>(wparam));
        hanging_ = false;
        return 0;
    }
    LRESULT result = 0;
    if (Answer(message, wparam, lparam, result)) return result;
    return ::DefWindowProcA(window, message, wparam, lparam);
}

bool ShowAddressIn(HWND browser, const std::string& address, DWORD timeout_ms) {
    COPYDATASTRUCT data = {kAddressData, static_cast<DWORD>(address.size()), const_cast<char*>(address.data())};
    DWORD_PTR shown = FALSE;
    return ::SendMessageTimeoutA(browser, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, timeout_ms,
                                 &shown) &&
           shown;
}

void HangBrowser(HWND browser, DWORD ms) {
    // Sent, not posted: sent messages are handled in the order they came,
    // before posted ones, so whatever is sent after this waits for the hang.
    ::SendNotifyMessageA(browser, HangMessage(), ms, 0);
}

StandInBrowser::StandInBrowser(const std::string& address, BrowserKind kind, const Placement& placement)
    : browser_(MakeBrowserWindow(kind)),
      thread_([this, address, placement] { browser_->Open(address, placement); }, [this] { browser_->Close(); }) {}

StandInBrowser::~StandInBrowser() { browser_->EndHang(); }

bool StandInBrowser::BringToFront() { return drive::BringToFront(window()); }

void StandInBrowser::Hang(DWORD ms) {
    browser_->Rearm();
    HangBrowser(window(), ms);
}

}  // namespace kaveto::drive
