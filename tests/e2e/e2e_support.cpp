#include "e2e_support.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kaveto::e2e {

namespace {

std::string WindowsPath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void CopyTree(const std::string& from, const std::string& to) {
    ::CreateDirectoryA(to.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((from + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CopyTree(from + "\\" + name, to + "\\" + name);
        else
            ::CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE);
    } while (::FindNextFileA(find, &found));
    ::FindClose(find);
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((path + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else {
                ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(child.c_str());
            }
        } while (::FindNextFileA(find, &found));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(path.c_str());
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, DWORD timeout_ms) {
    const ULONGLONG end = ::GetTickCount64() + timeout_ms;
    for (;;) {
        if (done()) return true;
        if (::GetTickCount64() >= end) return false;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(5);
    }
}

void Settle(DWORD ms) { WaitUntil([] { return false; }, ms); }

namespace {

std::string FreshTempFolder() {
    static std::atomic<int> counter{0};
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    char longer[MAX_PATH];
    if (::GetLongPathNameA(temp, longer, MAX_PATH)) std::strcpy(temp, longer);
    const std::string path = std::string(temp) + "kaveto_e2e_" + std::to_string(::GetCurrentProcessId()) + "_" +
            std::to_string(++counter) + "\\";
    RemoveTree(path.substr(0, path.size() - 1));
    if (!::CreateDirectoryA(path.c_str(), nullptr)) throw std::runtime_error("cannot make " + path);
    return path;
}

}  // namespace

ProgramFolder::ProgramFolder(const std::string& unpacked) : path_(FreshTempFolder()) {
    const std::string from = WindowsPath(unpacked);
    if (!Exists(from + "\\kaveto.exe")) throw std::runtime_error("no kaveto.exe in " + from);
    CopyTree(from, path_.substr(0, path_.size() - 1));
}

ProgramFolder::ProgramFolder() : path_(FreshTempFolder()) {
    if (!::CopyFileA(WindowsPath(KAVETO_EXE).c_str(), exe().c_str(), FALSE))
        throw std::runtime_error("cannot copy " + std::string(KAVETO_EXE));
    const std::string defaults = WindowsPath(KAVETO_PROGRAM_DIR);
    for (const char* item : {"title.txt", "main", "sub", "log"}) {
        const std::string from = defaults + "\\" + item;
        if (!Exists(from)) continue;
        if (::GetFileAttributesA(from.c_str()) & FILE_ATTRIBUTE_DIRECTORY)
            CopyTree(from, path_ + item);
        else
            ::CopyFileA(from.c_str(), (path_ + item).c_str(), FALSE);
    }
}

ProgramFolder::~ProgramFolder() { RemoveTree(path_.substr(0, path_.size() - 1)); }

void ProgramFolder::WriteIni(const std::string& content) const {
    std::ofstream(ini(), std::ios::binary) << content;
}

std::string ProgramFolder::ReadIni() const {
    std::ifstream in(ini(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

RunningProgram::RunningProgram(const std::string& exe) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string command = "\"" + exe + "\"";
    const std::string folder = exe.substr(0, exe.find_last_of('\\'));
    if (!::CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                          &info_))
        throw std::runtime_error("cannot start " + exe);
}

RunningProgram::~RunningProgram() {
    if (!info_.hProcess) return;
    if (Running()) Terminate();
    ::CloseHandle(info_.hThread);
    ::CloseHandle(info_.hProcess);
}

bool RunningProgram::Running() const { return ::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

bool RunningProgram::WaitForExit(DWORD timeout_ms) {
    return WaitUntil([this] { return !Running(); }, timeout_ms);
}

DWORD RunningProgram::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

void RunningProgram::Terminate() {
    ::TerminateProcess(info_.hProcess, 99);
    ::WaitForSingleObject(info_.hProcess, kTimeoutMs);
}

namespace {

struct WindowQuery {
    DWORD pid;
    const char* class_name;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* query = reinterpret_cast<WindowQuery*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == query->pid && ::IsWindowVisible(window) && ClassNameOf(window) == query->class_name) {
        query->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND RunningProgram::Window(const char* class_name) const {
    WindowQuery query{pid(), class_name, nullptr};
    ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND RunningProgram::WaitForWindow(const char* class_name, DWORD timeout_ms) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = Window(class_name)) != nullptr; }, timeout_ms);
    return found;
}

std::string ClassNameOf(HWND window) {
    char name[256] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window) {
    char text[1024] = {};
    ::SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

RECT RectOf(HWND window) {
    RECT r = {};
    ::GetWindowRect(window, &r);
    return r;
}

namespace {

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    reinterpret_cast<std::vector<ChildWindow>*>(param)->push_back(
        {child, ClassNameOf(child), TextOf(child), ::GetWindowLongA(child, GWL_STYLE), ::IsWindowVisible(child) != 0});
    return TRUE;
}

}  // namespace

std::vector<ChildWindow> ChildrenOf(HWND window) {
    std::vector<ChildWindow> children;
    ::EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

bool ShowsIcon(const ChildWindow& child) {
    return child.visible && child.class_name == "Static" && (child.style & SS_TYPEMASK) == SS_ICON &&
           ::SendMessageA(child.handle, STM_GETICON, 0, 0) != 0;
}

void MoveMouseTo(int x, int y) {
    ::SetCursorPos(x, y);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = (x * 65536 + 65535) / ::GetSystemMetrics(SM_CXSCREEN);
    input.mi.dy = (y * 65536 + 65535) / ::GetSystemMetrics(SM_CYSCREEN);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &input, sizeof input);
    Settle(30);
}

void MouseButton(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    ::SendInput(1, &input, sizeof input);
    Settle(30);
}

void Key(BYTE vk, bool up) {
    ::keybd_event(vk, 0, up ? KEYEVENTF_KEYUP : 0, 0);
    Settle(20);
}

void Tap(BYTE vk) {
    Key(vk, false);
    Key(vk, true);
}

void PressAltA() {
    Key(VK_MENU, false);
    Key('A', false);
    Key('A', true);
    Key(VK_MENU, true);
}

namespace {

bool OpenClipboardPatiently() {
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (::OpenClipboard(nullptr)) return true;
        Settle(20);
    }
    return false;
}

}  // namespace

std::string ClipboardText() {
    if (!OpenClipboardPatiently()) throw std::runtime_error("the clipboard stays busy");
    std::string text;
    if (HANDLE block = ::GetClipboardData(CF_TEXT)) {
        const char* bytes = static_cast<const char*>(::GlobalLock(block));
        const SIZE_T size = ::GlobalSize(block);
        if (bytes) text.assign(bytes, strnlen(bytes, size));
        ::GlobalUnlock(block);
    }
    ::CloseClipboard();
    return text;
}

void SetClipboardText(const std::string& text) {
    if (!OpenClipboardPatiently()) throw std::runtime_error("the clipboard stays busy");
    ::EmptyClipboard();
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(::GlobalLock(block), text.c_str(), text.size() + 1);
    ::GlobalUnlock(block);
    ::SetClipboardData(CF_TEXT, block);
    ::CloseClipboard();
}

std::vector<std::string> IniLines(const std::string& content) {
    std::vector<std::string> lines;
    std::string section;
    std::istringstream in(content);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (line.front() == '[') {
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        lines.push_back(section + "/" + line);
    }
    return lines;
}

}  // namespace kaveto::e2e
