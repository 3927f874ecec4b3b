#include "tools/drive/window_query.h"

#include <algorithm>

namespace kaveto::drive {

std::string ClassNameOf(HWND window) {
    char name[256] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window, DWORD timeout_ms) {
    char text[2048] = {};
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                               timeout_ms, &copied))
        return {};
    return std::string(text, std::min<DWORD_PTR>(copied, sizeof text - 1));
}

RECT RectOf(HWND window) {
    RECT r = {};
    ::GetWindowRect(window, &r);
    return r;
}

POINT CentreOf(HWND window) {
    const RECT r = RectOf(window);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    return pid;
}

namespace {

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    reinterpret_cast<std::vector<ChildWindow>*>(param)->push_back(
        {child, ClassNameOf(child), TextOf(child), ::GetWindowLongA(child, GWL_STYLE), ::IsWindowVisible(child) != 0});
    return TRUE;
}

struct Search {
    const WindowQuery* query;
    HWND found;
};

BOOL CALLBACK MatchTopWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    const WindowQuery& q = *search->query;
    if (q.pid && ProcessOf(window) != q.pid) return TRUE;
    if (q.visible_only && !::IsWindowVisible(window)) return TRUE;
    if (!q.class_name.empty() && ClassNameOf(window) != q.class_name) return TRUE;
    if (!q.caption.empty() && TextOf(window, 1000) != q.caption) return TRUE;
    if (q.accept && !q.accept(window)) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

std::vector<ChildWindow> ChildrenOf(HWND window) {
    std::vector<ChildWindow> children;
    ::EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

HWND FindTopWindow(const WindowQuery& query) {
    Search search{&query, nullptr};
    ::EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForTopWindow(const WindowQuery& query, DWORD timeout_ms) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindow(query)) != nullptr; }, timeout_ms);
    return found;
}

bool MovingOrSizing(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) && (info.flags & GUI_INMOVESIZE);
}

bool BringToFront(HWND window, DWORD timeout_ms) {
    // Under Wine the window's thread can hand the front to the desktop while
    // it handles older news of a lost focus; asked again, it keeps it.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const HWND before = ::GetForegroundWindow();
        ::SetForegroundWindow(window);
        if (WaitForFront(window, before, timeout_ms)) return true;
        const HWND front = ::GetForegroundWindow();
        if (front && front != ::GetDesktopWindow()) return false;
    }
    return false;
}

bool WaitForFront(HWND window, HWND before, DWORD timeout_ms) {
    if (!WaitUntil([&] { return ::GetForegroundWindow() == window; }, timeout_ms)) return false;
    if (before == window) return true;
    // Both threads handle the change now, not later when the front may have
    // moved on again (under Wine the thread that lost the front may then
    // take it away from the next window). One that does not answer is not
    // waited for long.
    const bool answered = SyncWith(window, timeout_ms);
    if (before) SyncWith(before, 1000);
    return answered && ::GetForegroundWindow() == window;
}

bool WaitForForegroundIn(DWORD pid, DWORD timeout_ms) {
    return WaitUntil([&] { return ProcessOf(::GetForegroundWindow()) == pid; }, timeout_ms);
}

bool SyncWith(HWND window, DWORD timeout_ms) {
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeout_ms, &ignored) != 0;
}

bool SyncInputWith(HWND window, int queued) {
    for (int trip = 0; trip <= queued; ++trip)
        if (!SyncWith(window)) return false;
    return true;
}

std::string DescribeWindow(HWND window) {
    if (!window) return "no window";
    std::string description = "class \"" + ClassNameOf(window) + "\", caption \"" + TextOf(window, 1000) +
                              "\", process " + std::to_string(ProcessOf(window));
    // A message box says what it is about in its static texts.
    if (ClassNameOf(window) == "#32770") {
        for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            if (ClassNameOf(child) == "Static" && !TextOf(child, 1000).empty())
                description += ", saying \"" + TextOf(child, 1000) + "\"";
    }
    // A thread inside a menu or a move takes no other input until it ends.
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info)) {
        if (info.flags & GUI_INMENUMODE) description += ", in a menu";
        if (info.flags & GUI_POPUPMENUMODE) description += " (a popup menu)";
        if (info.flags & GUI_INMOVESIZE) description += ", moving";
        if (info.hwndCapture) description += ", capture on class \"" + ClassNameOf(info.hwndCapture) + "\"";
    }
    return description;
}

}  // namespace kaveto::drive
