#include "app/main_window_win32.h"

#include <windowsx.h>

#include "app/confirmation_tip_win32.h"
#include "app/error_box_win32.h"
#include "capture/capture_services_win32.h"
#include "capture/quote_key_win32.h"
#include "engine/history_menu.h"
#include "engine/hotkey_keys.h"
#include "engine/settings.h"
#include "platform/errors.h"
#include "platform/foreground_win32.h"
#include "platform/paste_back_win32.h"
#include "platform/seams.h"
#include "platform/win32_error.h"

namespace kaveto {

namespace {

// The size the window is designed at; creation shrinks it to the picture.
constexpr int kDesignWidth = 238;
constexpr int kDesignHeight = 166;
// The move command by the caption: the system moves the window with the
// mouse until the button is released.
constexpr WPARAM kMoveByCaption = SC_MOVE + 2;

WindowHandle ToHandle(HWND window) { return reinterpret_cast<WindowHandle>(window); }

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    if (::GetClassInfoExA(instance, TForm1::kClassName, &wc)) return;
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hIcon = ::LoadIconA(instance, "MAINICON");
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = TForm1::kClassName;
    ::RegisterClassExA(&wc);
}

// The left button as the user holds it now, not as the message queue last
// saw it; with swapped buttons the left button is the physical right one.
bool LeftButtonHeld() {
    const int key = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    return (::GetAsyncKeyState(key) & 0x8000) != 0;
}

RECT WindowRect(HWND window) {
    RECT r = {};
    ::GetWindowRect(window, &r);
    return r;
}

}  // namespace

TForm1::TForm1(const MainWindowServices& services)
    : services_(services),
      capture_(std::make_unique<CaptureServices>(state_, services_.env,
                                                 [this](const std::string& message) { ReportLater(message); })),
      picture_(services_.instance) {
    CreatePopupMenu1();

    RegisterWindowClass(services_.instance, &TForm1::WindowProc);
    HWND hwnd = ::CreateWindowExA(WS_EX_TOPMOST, kClassName, "Form1", WS_POPUP, 0, 0, kDesignWidth, kDesignHeight,
                                  services_.owner, nullptr, services_.instance, this);
    if (!hwnd) throw Error(SystemMessage(::GetLastError()));
    ReportingErrors(services_.owner, [this] { FormCreate(); });
}

TForm1::~TForm1() {
    if (!handle_) return;
    ReportingErrors(services_.owner, [this] { FormDestroy(); });
    ReportingErrors(services_.owner, [this] { HandleDestroying(); });
    confirmation_.reset();
    tip_.reset();
    handle_.reset();
}

void TForm1::Show() {
    ::ShowWindow(handle(), SW_SHOWNORMAL);
    ::UpdateWindow(handle());
}

void TForm1::CreatePopupMenu1() {
    popup_menu1_ = UniqueMenu(::CreatePopupMenu());
    ::AppendMenuA(popup_menu1_.get(), MF_SEPARATOR, 0, nullptr);             // N1
    ::AppendMenuA(popup_menu1_.get(), MF_STRING, kClose1, "終了(&Z)");  // Close1
}

void TForm1::FormCreate() {
    picture_.ChooseFor(WindowDpi(handle()));
    SizeToPicture();
    // A refused drop target leaves a window that works without drops.
    ReportingErrors(services_.owner, [this] { HandleCreated(); });

    const RECT r = WindowRect(handle());
    WindowPosition position{r.top, r.left};
    LoadSettings(services_.profile, services_.key_names, services_.settings_path, position, state_.settings);
    ::SetWindowPos(handle(), nullptr, position.left, position.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    BringOnScreen();

    state_.history = HistoryLists{};

    const HotKeyBinding hotkey = HotKeyFor(state_.settings.ShortCut);
    if (!::RegisterHotKey(handle(), kHotKeyId, hotkey.modifiers, hotkey.virtual_key)) ShowHotKeyFailure();

    if (const ShortCutValue quote = state_.settings.QuoteShortCut) {
        const HotKeyBinding binding = HotKeyFor(quote);
        if (!::RegisterHotKey(handle(), kQuoteHotKeyId, binding.modifiers, binding.virtual_key))
            ShowQuoteKeyFailure(FormatShortCut(quote, services_.key_names));
    }

    tip_ = std::make_unique<PictureTip>(
        handle(), services_.instance,
        PictureTipText(state_.settings.ShortCut, state_.settings.QuoteShortCut, services_.key_names));
    tip_->FollowDpi(WindowDpi(handle()));
}

void TForm1::SizeToPicture() {
    // The client area takes the picture's size; the frame, if any, is kept.
    RECT client = {}, outer = WindowRect(handle());
    ::GetClientRect(handle(), &client);
    ::SetWindowPos(handle(), nullptr, 0, 0, picture_.size() + (outer.right - outer.left) - client.right,
                   picture_.size() + (outer.bottom - outer.top) - client.bottom,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(handle(), nullptr, TRUE);
}

void TForm1::FollowDpi(unsigned dpi) {
    if (picture_.ChooseFor(dpi)) SizeToPicture();
    if (tip_) tip_->FollowDpi(dpi);
}

void TForm1::BringOnScreen() {
    // The place may be on a monitor of another scale, and the picture's
    // size there may call for one more move.
    FollowDpi(WindowDpi(handle()));
    if (KeepOnScreen(handle())) {
        FollowDpi(WindowDpi(handle()));
        KeepOnScreen(handle());
    }
}

void TForm1::FormDestroy() {
    const RECT r = WindowRect(handle());
    SaveSettings(services_.profile, services_.key_names, services_.settings_path, WindowPosition{r.top, r.left},
                 state_.settings);
    state_.history = HistoryLists{};
    state_.settings.Youbi.clear();
    ::UnregisterHotKey(handle(), kHotKeyId);
    ::UnregisterHotKey(handle(), kQuoteHotKeyId);
}

void TForm1::HandleCreated() { capture_->RegisterDropTarget(handle()); }

void TForm1::HandleDestroying() { capture_->RevokeDropTarget(handle()); }

void TForm1::ReportLater(const std::string& message) {
    pending_errors_.push_back(message);
    ::PostMessageA(handle(), kShowPendingErrors, 0, 0);
}

void TForm1::Image1MouseDown(UINT /*button_message*/, WPARAM shift, int x, int y) {
    if (!(shift & MK_LBUTTON)) return;
    ::ReleaseCapture();
    ::SendMessageA(handle(), WM_SYSCOMMAND, kMoveByCaption, 0);
    // The move swallowed the button's release; the window gets it here, at
    // the position of the press, handed over directly.
    HandleMessage(WM_LBUTTONUP, 0, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

void TForm1::Image1MouseMove() { TrackTargetWindow(); }

// Quotes the page shown in target_window.
void TForm1::Image1DblClick() { capture_->Image1DblClick(); }

void TForm1::Close1Click() { ::PostQuitMessage(0); }

void TForm1::TrackTargetWindow() {
    state_.target_window = NextTargetWindow(state_.target_window, ToHandle(::GetForegroundWindow()), ToHandle(handle()));
}

void TForm1::PopupMenu1Popup() {
    HMENU menu = popup_menu1_.get();
    while (::GetMenuItemCount(menu) > 2) ::DeleteMenu(menu, 0, MF_BYPOSITION);
    const std::vector<std::string> captions = HistoryItemCaptions(state_.history);
    for (std::size_t i = captions.size(); i-- > 0;)
        ::InsertMenuA(menu, 0, MF_BYPOSITION | MF_STRING, kFirstHistoryItem + i, captions[i].c_str());
}

POINT TForm1::ClientOriginOnScreen() const {
    POINT p = {0, 0};
    ::ClientToScreen(handle(), &p);
    return p;
}

void TForm1::OpenPopupMenu1(POINT screen_point) {
    PopupMenu1Popup();
    // Either button chooses an item; the choice arrives as WM_COMMAND after
    // the menu has closed.
    menu_open_ = true;
    menu_front_retakes_ = 0;
    ::TrackPopupMenu(popup_menu1_.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen_point.x, screen_point.y, 0, handle(),
                     nullptr);
    menu_open_ = false;
}

// A hotkey is posted, and what is posted is taken before input: on a busy
// machine the keys of the chord pressed before it (its Alt) still wait in
// the queue, and the menu would read that Alt as the user closing it. They
// are handled first; keys pressed after the hotkey are left to the menu.
void TForm1::TakeKeysPressedBefore(LONG time) {
    MSG msg;
    while (::PeekMessageA(&msg, handle(), WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE) &&
           static_cast<LONG>(msg.time - static_cast<DWORD>(time)) <= 0) {
        ::PeekMessageA(&msg, handle(), WM_KEYFIRST, WM_KEYLAST, PM_REMOVE);
        ::DispatchMessageA(&msg);
    }
}

void TForm1::WMHotKey(WPARAM id) {
    if (id != kHotKeyId) return;
    TakeKeysPressedBefore(::GetMessageTime());
    TrackTargetWindow();
    ForceForeground(handle());
    OpenPopupMenu1(ClientOriginOnScreen());
}

void TForm1::QuoteKeyPressed(LPARAM hotkey_lparam) {
    Win32QuoteKeyDesk desk;
    const QuoteKeyOutcome outcome =
        QuoteFrontWindow(capture_->context(), services_.env, desk,
                         {state_.settings.QuoteShortCut, (LOWORD(hotkey_lparam) & MOD_CONTROL) != 0});
    if (!outcome.delivered) return;
    if (!confirmation_) confirmation_ = std::make_unique<ConfirmationTip>(handle());
    confirmation_->Show(outcome.confirmation);
}

void TForm1::HistoryItemClick(std::size_t position) {
    Win32PasteBack actions;
    ReuseHistoryEntry(state_, position, services_.env.clipboard, actions);
}

void TForm1::Paint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(handle(), &ps);
    picture_.Draw(dc);
    ::EndPaint(handle(), &ps);
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_LBUTTONDBLCLK:
        // The second press of a double-click is a press too: the capture
        // runs first, then the press may start a move.
        Image1DblClick();
        [[fallthrough]];
    case WM_LBUTTONDOWN:
        // A press can be handled after its release: behind a capture, or
        // late on a busy machine. A move started then would wait for the
        // next release and hold the mouse and keys until it came.
        if (!LeftButtonHeld()) return 0;
        [[fallthrough]];
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        Image1MouseDown(message, wparam, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
        return 0;
    case WM_MOUSEMOVE:
        Image1MouseMove();
        return 0;
    case WM_CONTEXTMENU: {
        // From the keyboard (no position) the menu opens at the picture.
        POINT p = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
        if (lparam == -1) p = ClientOriginOnScreen();
        OpenPopupMenu1(p);
        return 0;
    }
    case WM_COMMAND:
        if (HIWORD(wparam) == 0) {
            const UINT id = LOWORD(wparam);
            if (id == kClose1) {
                Close1Click();
                return 0;
            }
            if (id >= kFirstHistoryItem && id < kFirstHistoryItem + HistoryLists::kMaxEntries) {
                HistoryItemClick(id - kFirstHistoryItem);
                return 0;
            }
        }
        break;
    case WM_HOTKEY:
        if (wparam == kQuoteHotKeyId)
            QuoteKeyPressed(lparam);
        else
            WMHotKey(wparam);
        return 0;
    case WM_CANCELMODE:
        // On a busy machine the news that this window lost the keyboard
        // focus can come after it has taken the front again, and ending the
        // menu on it closes the menu the user has just opened. The menu of
        // the window in front stays open.
        if (menu_open_ && ::GetForegroundWindow() == handle()) return 0;
        break;
    case WM_ACTIVATE:
        // Under Wine, when the display's focus is found on no window of this
        // thread, the front goes to the desktop, and the keys meant for the
        // open menu with it. The front is taken back once the change is
        // done; one that another window took is left to it.
        if (LOWORD(wparam) == WA_INACTIVE && menu_open_) ::PostMessageA(handle(), kRetakeFront, 0, 0);
        break;
    case kRetakeFront:
        if (menu_open_ && FrontIsNobodys() && menu_front_retakes_ < kMenuFrontRetakes) {
            ++menu_front_retakes_;
            ::SetForegroundWindow(handle());
        }
        return 0;
    case kShowPendingErrors:
        if (menu_open_) ::EndMenu();
        while (!pending_errors_.empty()) {
            const std::string message = std::move(pending_errors_.front());
            pending_errors_.pop_front();
            ShowErrorBox(services_.owner, message);
        }
        return 0;
    case WM_CLOSE:
        Close1Click();
        return 0;
    case WM_DPICHANGED: {
        // Moved onto a monitor of another scale: the picture drawn for it,
        // where the system suggests.
        const RECT& suggested = *reinterpret_cast<const RECT*>(lparam);
        ::SetWindowPos(handle(), nullptr, suggested.left, suggested.top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        FollowDpi(HIWORD(wparam));
        return 0;
    }
    case WM_DISPLAYCHANGE:
        // A monitor removed or rearranged can leave the picture where no
        // monitor shows it.
        BringOnScreen();
        break;
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (tip_ && tip_->OnNotify(*reinterpret_cast<const NMHDR*>(lparam), result)) return result;
        break;
    }
    default:
        break;
    }
    return ::DefWindowProcA(handle(), message, wparam, lparam);
}

LRESULT CALLBACK TForm1::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<TForm1*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->handle_ = UniqueWindow(hwnd);
    }
    auto* self = reinterpret_cast<TForm1*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcA(hwnd, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->handle_.release();
        return ::DefWindowProcA(hwnd, message, wparam, lparam);
    }
    LRESULT result = 0;
    bool handled = false;
    ReportingErrors(self->services_.owner, [&] {
        result = self->HandleMessage(message, wparam, lparam);
        handled = true;
    });
    return handled ? result : 0;
}

}  // namespace kaveto
