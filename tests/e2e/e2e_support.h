#pragma once
// What the end-to-end tests know of kaveto.exe on top of the driving
// library: where the program and its default files are, its picture window,
// its settings file, and the snippets of a capture. Everything started or
// made here is undone when its owner goes, also when an assertion fails.
#include <windows.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/unique_win32.h"
#include "tools/drive/clipboard.h"
#include "tools/drive/drag.h"
#include "tools/drive/input.h"
#include "tools/drive/process.h"
#include "tools/drive/program_folder.h"
#include "tools/drive/standin_browser.h"
#include "tools/drive/url_cache.h"
#include "tools/drive/wait.h"
#include "tools/drive/window_query.h"

namespace kaveto::e2e {

using namespace drive;

constexpr char kMainWindowClass[] = "TForm1";
constexpr char kMenuClass[] = "#32768";
constexpr char kDialogClass[] = "#32770";

// A fresh program folder with kaveto.exe and the default program files, or
// a copy of a whole unpacked installation.
class KavetoFolder : public ProgramFolder {
public:
    KavetoFolder();
    explicit KavetoFolder(const std::string& unpacked);
    std::string ini() const { return File("kaveto.ini"); }
    void WriteIni(const std::string& content) const { Write("kaveto.ini", content); }
    std::string ReadIni() const { return Read("kaveto.ini"); }
};

// One running copy of kaveto.exe.
class RunningProgram : public Process {
public:
    explicit RunningProgram(const std::string& exe) : Process(exe) {}
    HWND MainWindow() const { return Window(kMainWindowClass); }
    HWND WaitForMainWindow() const { return WaitForWindow(kMainWindowClass); }
    // The program's popup menu is open and takes the keys.
    bool WaitForMenu(DWORD timeout_ms = kPatienceMs) const;
};

// Holds a hotkey for a window of this thread, as another program could,
// until it goes.
class HeldHotKey {
public:
    HeldHotKey(UINT modifiers, UINT key);
    ~HeldHotKey();
    HeldHotKey(const HeldHotKey&) = delete;
    HeldHotKey& operator=(const HeldHotKey&) = delete;
    bool held() const { return held_; }
    // True when this thread receives its WM_HOTKEY within the time.
    bool Received(DWORD timeout_ms) const;

private:
    static constexpr int kId = 77;
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    UniqueWindow window_;
    WNDPROC previous_ = nullptr;
    bool held_ = false;
    bool received_ = false;
};

// The program's notice that a hotkey could not be registered: its caption,
// no owner, one OK button, no icon and centred on the screen (each a
// failure of the test when not); its message, and the box is closed.
std::string CheckHotKeyNotice(HWND box);

// A visible icon control of a message box that holds an icon.
bool ShowsIcon(const ChildWindow& child);
// The message a message box shows.
std::string MessageOf(HWND box);

// "Section/Key=value" for every line of a settings file, in file order.
std::vector<std::string> IniLines(const std::string& content);
// The value of "Section/Key" among such lines, or "<missing>".
std::string IniValue(const std::vector<std::string>& lines, const std::string& section_key);

// Asks the main window to close and waits for the program to end cleanly.
void CloseAndWait(RunningProgram& program);

// The class of the program's tips: the hover tip and the quote key's
// confirmation.
constexpr char kTipClass[] = "tooltips_class32";
// The picture's hover tip, told from the confirmation by its first line.
bool IsHoverTip(HWND tip);
// The program's hover tip once it shows, or null when it did not in time.
HWND WaitForHoverTip(const RunningProgram& program, DWORD timeout_ms = kPatienceMs);
// Where the pointer is as the system sees it, what lies under it, and the
// program's hidden tip, for a tip that did not come.
std::string HoverState(const RunningProgram& program, HWND picture);

// One case against a copy of the program in a fresh folder, its picture
// with its top-left corner at (100, 100). A message box left open fails the
// case; the program is closed when the case ends.
class ProgramCase : public ::testing::Test {
protected:
    static constexpr POINT kPicture = {112, 112};
    void SetUp() override;
    void TearDown() override;
    // Starts the program with these lines in the settings' [Other] section.
    void Start(const std::string& other_settings);

    OleThread ole;
    KavetoFolder folder;
    std::unique_ptr<RunningProgram> program;
    HWND window = nullptr;
};

// What the clipboard held after `act`, for comparison with a snippet: the
// text, or a note that nothing was delivered.
std::string DeliveredBy(const std::function<void()>& act, DWORD timeout_ms = kPatienceMs);

// With the browser in front, the pointer comes over the picture (which
// takes the browser as the window to quote) and double-clicks it: what the
// clipboard then holds.
std::string DoubleClickFrom(StandInBrowser& browser, POINT picture);
// With the browser in front, `drag` drops on the picture: what the clipboard
// then holds.
std::string DropFrom(StandInBrowser& browser, const std::function<HRESULT()>& drag);

}  // namespace kaveto::e2e
