#include "platform/window_search_win32.h"

#include <exception>
#include <iterator>
#include <string>

#include "platform/foreground_win32.h"

namespace kaveto {
namespace {

struct EnumState {
    const std::function<bool(WindowHandle)>* visit;
    std::exception_ptr error;
};

// No exception may unwind through the window manager's frames: it is kept
// and raised again once the enumeration has returned.
BOOL CALLBACK VisitChild(HWND window, LPARAM value) {
    auto* state = reinterpret_cast<EnumState*>(value);
    try {
        return (*state->visit)(FromHwnd(window)) ? TRUE : FALSE;
    } catch (...) {
        state->error = std::current_exception();
        return FALSE;
    }
}

}  // namespace

void Win32WindowSearch::EnumDescendants(WindowHandle parent, const std::function<bool(WindowHandle)>& visit) {
    EnumState state{&visit, nullptr};
    silent_threads_.clear();
    // Without a parent the search covers the top-level windows. Windows does
    // that for a null parent itself; some implementations of the API visit
    // nothing, so it is asked for in so many words.
    if (parent)
        ::EnumChildWindows(ToHwnd(parent), VisitChild, reinterpret_cast<LPARAM>(&state));
    else
        ::EnumWindows(VisitChild, reinterpret_cast<LPARAM>(&state));
    if (state.error) std::rethrow_exception(state.error);
}

int Win32WindowSearch::ClassName(WindowHandle window, char* buffer, int limit) {
    return ::GetClassNameA(ToHwnd(window), buffer, limit);
}

bool Win32WindowSearch::WindowText(WindowHandle window, char* buffer, int limit) {
    const DWORD thread = ::GetWindowThreadProcessId(ToHwnd(window), nullptr);
    if (silent_threads_.count(thread)) return false;
    // WM_GETTEXT copies into a buffer of the caller's size in any case, so a
    // reply that comes too late writes nothing here.
    DWORD_PTR copied = 0;
    if (::SendMessageTimeoutA(ToHwnd(window), WM_GETTEXT, static_cast<WPARAM>(limit), reinterpret_cast<LPARAM>(buffer),
                              SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &copied))
        return true;
    silent_threads_.insert(thread);
    return false;
}

std::u16string Win32WindowSearch::Caption(WindowHandle window) {
    // Page titles can be long; a caption beyond this is cut, as the window
    // manager itself cuts what it shows.
    wchar_t text[1024] = {};
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(ToHwnd(window), WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text),
                               SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &copied))
        return std::u16string();
    return std::u16string(reinterpret_cast<const char16_t*>(text), wcsnlen(text, std::size(text)));
}

std::u16string Win32WindowSearch::WideWindowText(WindowHandle window, int limit) {
    const DWORD thread = ::GetWindowThreadProcessId(ToHwnd(window), nullptr);
    if (limit <= 0 || silent_threads_.count(thread)) return std::u16string();
    std::wstring text(static_cast<std::size_t>(limit), L'\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(ToHwnd(window), WM_GETTEXT, static_cast<WPARAM>(limit),
                               reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &copied)) {
        silent_threads_.insert(thread);
        return std::u16string();
    }
    return std::u16string(reinterpret_cast<const char16_t*>(text.data()), wcsnlen(text.data(), text.size()));
}

WindowHandle Win32WindowSearch::ForegroundWindow() { return FromHwnd(::GetForegroundWindow()); }

void Win32WindowSearch::ForceForeground(WindowHandle window) { kaveto::ForceForeground(ToHwnd(window)); }

}  // namespace kaveto
