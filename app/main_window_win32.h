#pragma once
// The main window: a borderless, always-on-top picture, 24 x 24 at 100 %
// display scale, that takes drops, double-clicks and the hotkey, and carries
// the history menu.
#include <windows.h>

#include <cstddef>
#include <deque>
#include <memory>
#include <string>

#include "app/picture_screen_win32.h"
#include "app/picture_tip_win32.h"
#include "engine/app_state.h"
#include "platform/unique_win32.h"

namespace kaveto {

struct Environment;
class CaptureServices;
class ConfirmationTip;
class KeyNames;
class Profile;

// What the main window needs from outside.
struct MainWindowServices {
    HINSTANCE instance;
    HWND owner;  // the application's hidden owner window, owner of the error boxes
    Profile& profile;
    KeyNames& key_names;
    Environment& env;  // the program folder, clipboard, key state, clock and files
    std::string settings_path;
};

class TForm1 {
public:
    static constexpr char kClassName[] = "TForm1";
    static constexpr int kHotKeyId = 123;
    // The quote key, registered only when QuoteShortCut names one.
    static constexpr int kQuoteHotKeyId = 124;

    // Creates the window and runs FormCreate. Errors of the creation are
    // shown in the error box; the window exists afterwards in any case.
    explicit TForm1(const MainWindowServices& services);
    // FormDestroy, then the drop target is revoked and the handle destroyed.
    ~TForm1();
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    HWND handle() const { return handle_.get(); }
    HMENU popup_menu1() const { return popup_menu1_.get(); }
    void Show();

    // The handlers, named as the form designer names them.
    void FormCreate();
    void FormDestroy();
    void Image1MouseDown(UINT button_message, WPARAM shift, int x, int y);
    void Image1MouseMove();
    void Image1DblClick();
    void Close1Click();
    void PopupMenu1Popup();
    void WMHotKey(WPARAM id);
    void HistoryItemClick(std::size_t position);
    void TrackTargetWindow();
    // The quote key: the window in front is quoted, and the snippet shown
    // beside the picture. `hotkey_lparam` tells the modifiers pressed.
    void QuoteKeyPressed(LPARAM hotkey_lparam);

    // The handle hooks: the drop target is registered as soon as the handle
    // exists and revoked before the handle goes.
    void HandleCreated();
    void HandleDestroying();

    AppState& state() { return state_; }

    // Shows the error later, from the message loop: a drop's error arrives
    // while the drag source still waits for the drop to end.
    void ReportLater(const std::string& message);

private:
    static constexpr UINT kClose1 = 1;
    static constexpr UINT kFirstHistoryItem = 0x100;  // + position in the menu
    static constexpr UINT kShowPendingErrors = WM_APP + 1;
    static constexpr UINT kRetakeFront = WM_APP + 2;
    // How often one opening of the menu takes the front back.
    static constexpr int kMenuFrontRetakes = 3;

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
    void CreatePopupMenu1();
    void OpenPopupMenu1(POINT screen_point);
    void TakeKeysPressedBefore(LONG time);
    void Paint();
    POINT ClientOriginOnScreen() const;
    // The window takes the picture's size, its top-left corner staying.
    void SizeToPicture();
    void FollowDpi(unsigned dpi);
    // A picture that the monitors there are now do not show whole comes
    // back to the nearest place where they do.
    void BringOnScreen();

    MainWindowServices services_;
    AppState state_;
    std::unique_ptr<CaptureServices> capture_;  // the drop target and the double-click
    std::deque<std::string> pending_errors_;
    std::unique_ptr<ConfirmationTip> confirmation_;  // made at the first quote
    PictureArt picture_;
    std::unique_ptr<PictureTip> tip_;
    // True while the history menu is open.
    bool menu_open_ = false;
    int menu_front_retakes_ = 0;
    UniqueMenu popup_menu1_;
    UniqueWindow handle_;
};

}  // namespace kaveto
