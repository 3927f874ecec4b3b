#include "tools/drive/standin_editor.h"

#include "tools/drive/window_query.h"

namespace kaveto::drive {
namespace {

LRESULT CALLBACK EditorProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_SETFOCUS) {
        if (HWND edit = ::GetWindow(window, GW_CHILD)) ::SetFocus(edit);
        return 0;
    }
    return ::DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

StandInEditor::StandInEditor(const Placement& placement)
    : thread_(
          [this, placement] {
              WNDCLASSA wc = {};
              wc.lpfnWndProc = EditorProc;
              wc.hInstance = ::GetModuleHandleA(nullptr);
              wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
              wc.lpszClassName = "KavetoStandInEditor";
              ::RegisterClassA(&wc);
              // Shown only when its text field exists, so that the focus the
              // window takes on showing passes to the field, as in an editor.
              window_ = ::CreateWindowExA(0, wc.lpszClassName, "Stand-in editor", WS_OVERLAPPEDWINDOW,
                                          placement.x, placement.y, placement.width, placement.height, nullptr,
                                          nullptr, wc.hInstance, nullptr);
              edit_ = ::CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0,
                                        placement.width - 20, placement.height - 50, window_, nullptr, wc.hInstance,
                                        nullptr);
              ::ShowWindow(window_, SW_SHOW);
          },
          [this] { ::DestroyWindow(window_); }) {}

std::string StandInEditor::Text() const { return TextOf(edit_); }

void StandInEditor::Clear() { ::SendMessageA(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("")); }

bool StandInEditor::BringToFront() { return drive::BringToFront(window_); }

}  // namespace kaveto::drive
