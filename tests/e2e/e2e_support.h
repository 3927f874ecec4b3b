#pragma once
// Helpers for driving kaveto.exe from outside: a fresh program folder, the
// running program, its windows, synthesised input and waiting with a
// message pump. Everything started or made here is undone when its owner
// goes, also when an assertion fails.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace kaveto::e2e {

constexpr DWORD kTimeoutMs = 10000;

// Pumps this thread's messages until `done` holds or the time is up.
bool WaitUntil(const std::function<bool()>& done, DWORD timeout_ms = kTimeoutMs);
// Pumps messages for a while.
void Settle(DWORD ms);

// A folder under the temporary folder holding a copy of kaveto.exe and the
// default program files; removed with everything in it when it goes.
class ProgramFolder {
public:
    ProgramFolder();
    // A copy of a whole unpacked folder (an installation as a user has it).
    explicit ProgramFolder(const std::string& unpacked);
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;
    const std::string& path() const { return path_; }  // with a trailing backslash
    std::string exe() const { return path_ + "kaveto.exe"; }
    std::string ini() const { return path_ + "kaveto.ini"; }
    void WriteIni(const std::string& content) const;
    std::string ReadIni() const;

private:
    std::string path_;
};

// One running copy of kaveto.exe, ended by force if it still runs when the
// owner goes.
class RunningProgram {
public:
    explicit RunningProgram(const std::string& exe);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    DWORD pid() const { return info_.dwProcessId; }
    bool Running() const;
    bool WaitForExit(DWORD timeout_ms = kTimeoutMs);
    DWORD ExitCode() const;
    void Terminate();

    // The visible top-level window of this process with the class name, or null.
    HWND Window(const char* class_name) const;
    HWND WaitForWindow(const char* class_name, DWORD timeout_ms = kTimeoutMs) const;
    HWND MainWindow() const { return Window("TForm1"); }
    HWND WaitForMainWindow() const { return WaitForWindow("TForm1"); }

private:
    PROCESS_INFORMATION info_ = {};
};

std::string ClassNameOf(HWND window);
// WM_GETTEXT, which works across processes.
std::string TextOf(HWND window);
RECT RectOf(HWND window);

struct ChildWindow {
    HWND handle;
    std::string class_name, text;
    LONG style;
    bool visible;
};
std::vector<ChildWindow> ChildrenOf(HWND window);
// A visible icon control of a message box that holds an icon.
bool ShowsIcon(const ChildWindow& child);

// Synthesised input, as a user's mouse and keyboard give it.
void MoveMouseTo(int x, int y);
void MouseButton(DWORD flags);  // MOUSEEVENTF_LEFTDOWN and so on, at the current position
void Key(BYTE vk, bool up);
void Tap(BYTE vk);
// The default hotkey: Alt down, A down, A up, Alt up.
void PressAltA();

// The clipboard's text (CF_TEXT), read within the block's size; the
// clipboard is opened without an owner and retried while another holds it.
std::string ClipboardText();
void SetClipboardText(const std::string& text);

// "Section/Key=value" for every line of a settings file, in file order.
std::vector<std::string> IniLines(const std::string& content);

}  // namespace kaveto::e2e
