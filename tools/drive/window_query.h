#pragma once
// Looking at the windows of this and other processes: names, texts, places,
// the top-level window of a process, the window in front.
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tools/drive/wait.h"

namespace kaveto::drive {

std::string ClassNameOf(HWND window);
// The text by WM_GETTEXT, which works across processes; a window whose thread
// does not answer within the time gives "", so a hung window never stops
// the caller.
std::string TextOf(HWND window, DWORD timeout_ms = kPatienceMs);
RECT RectOf(HWND window);
POINT CentreOf(HWND window);
DWORD ProcessOf(HWND window);

struct ChildWindow {
    HWND handle;
    std::string class_name, text;
    LONG style;
    bool visible;
};
// Every descendant, parents before their children.
std::vector<ChildWindow> ChildrenOf(HWND window);

// A top-level window by its process (0: any), class and caption (empty:
// any); hidden windows are passed over unless asked for, and so are those
// that `accept`, when given, turns down.
struct WindowQuery {
    WindowQuery(DWORD pid, std::string class_name, std::string caption = {}, bool visible_only = true,
                std::function<bool(HWND)> accept = {})
        : pid(pid),
          class_name(std::move(class_name)),
          caption(std::move(caption)),
          visible_only(visible_only),
          accept(std::move(accept)) {}
    DWORD pid;
    std::string class_name;
    std::string caption;
    bool visible_only;
    std::function<bool(HWND)> accept;
};
HWND FindTopWindow(const WindowQuery& query);
HWND WaitForTopWindow(const WindowQuery& query, DWORD timeout_ms = kPatienceMs);

// The window's thread is moving or sizing a window with the mouse (the
// system's own loop, started by a press on a caption).
bool MovingOrSizing(HWND window);

// Asks for the window to be in front and waits until it is (the change shows
// a little after the request) and its thread, and the thread of the window
// that was in front, have handled the change.
bool BringToFront(HWND window, DWORD timeout_ms = kPatienceMs);
// The same after a request made otherwise; `before` was in front until then.
bool WaitForFront(HWND window, HWND before, DWORD timeout_ms = kPatienceMs);
// Waits until a window of the process is in front.
bool WaitForForegroundIn(DWORD pid, DWORD timeout_ms = kPatienceMs);

// A round trip through the window's thread: true once that thread has
// handled what was sent to it before, false when it did not answer in time.
bool SyncWith(HWND window, DWORD timeout_ms = kPatienceMs);

// Waits until the window's thread has taken the `queued` input messages
// queued before the call. A thread handles what is sent to it whenever it
// asks for its next message, and asks again only after it has taken one
// message from its queue (input, when nothing is posted to it): each round
// trip after the first lets one queued message through.
bool SyncInputWith(HWND window, int queued = 1);

// "class "Edit", caption "...", process 12" for failure messages; "no
// window" for null.
std::string DescribeWindow(HWND window);

}  // namespace kaveto::drive
