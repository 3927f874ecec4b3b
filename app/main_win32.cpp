// Program entry: one instance per session, the hidden owner window, the main
// window and the message loop.
#include <windows.h>
#include <ole2.h>

#include <string>

#include "app/error_box_win32.h"
#include "app/main_window_win32.h"
#include "app/program_services_win32.h"
#include "engine/settings.h"
#include "platform/system.h"

namespace kaveto {
namespace {

constexpr char kMutexName[] = "Kaveto_Mutex";
constexpr char kOwnerClassName[] = "KavetoApplication";

// OLE for the GUI thread, shut down last, also in a copy that ends at once.
class OleSession {
public:
    OleSession() { ::OleInitialize(nullptr); }
    ~OleSession() { ::OleUninitialize(); }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;
};

bool AnotherInstanceRuns() {
    UniqueHandle other(::OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kMutexName));
    return static_cast<bool>(other);
}

LRESULT CALLBACK OwnerWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    // Closing the application closes the program, as closing its window does.
    if (message == WM_CLOSE) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(hwnd, message, wparam, lparam);
}

// The hidden top-level window that owns the main window and the message
// boxes. Its extended style is only WS_EX_TOOLWINDOW, so the program has no
// taskbar button.
UniqueWindow CreateOwnerWindow(HINSTANCE instance) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = OwnerWindowProc;
    wc.hInstance = instance;
    wc.hIcon = ::LoadIconA(instance, "MAINICON");
    wc.lpszClassName = kOwnerClassName;
    ::RegisterClassExA(&wc);
    UniqueWindow owner(::CreateWindowExA(0, kOwnerClassName, kApplicationTitle, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                         instance, nullptr));
    ::SetWindowLongA(owner.get(), GWL_EXSTYLE, WS_EX_TOOLWINDOW);
    return owner;
}

void RunMessageLoop() {
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

}  // namespace
}  // namespace kaveto

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace kaveto;
    OleSession ole;
    if (AnotherInstanceRuns()) return 0;
    // Never closed: the name stands for this instance until the process ends.
    ::CreateMutexA(nullptr, FALSE, kMutexName);

    UniqueWindow owner = CreateOwnerWindow(instance);
    try {
        const std::string executable = ExecutablePath();
        ProgramServices services = MakeProgramServices(executable.substr(0, executable.find_last_of('\\') + 1));
        TForm1 form(MainWindowServices{instance, owner.get(), *services.profile, *services.key_names, *services.env,
                                       SettingsFilePath(executable)});
        form.Show();
        RunMessageLoop();
    } catch (...) {
        ShowCurrentError(owner.get());
    }
    return 0;
}
