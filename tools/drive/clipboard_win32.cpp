#include "tools/drive/clipboard.h"

#include <cstring>
#include <stdexcept>

#include "platform/unique_win32.h"

namespace kaveto::drive {
namespace {

// The clipboard, open while the guard lives. Under Wine two threads that
// both open it without a window share one opening: the second is let in
// while the first is still writing, and its close ends the first one's
// opening, so the writer's next SetClipboardData fails. A reader opens it
// with a window of its own, which is refused until the writer has closed,
// as Windows refuses any second opener.
class ClipboardOpening {
public:
    explicit ClipboardOpening(HWND window = nullptr) {
        if (!WaitUntil([window] { return ::OpenClipboard(window) != 0; }, 2000))
            throw std::runtime_error("the clipboard stays busy");
    }
    ~ClipboardOpening() { ::CloseClipboard(); }
    ClipboardOpening(const ClipboardOpening&) = delete;
    ClipboardOpening& operator=(const ClipboardOpening&) = delete;
};

}  // namespace

DWORD ClipboardSequence() { return ::GetClipboardSequenceNumber(); }

std::string ClipboardText() {
    // The window only opens the clipboard: it never empties it, so it never
    // becomes the owner that a program emptying the clipboard waits for.
    UniqueWindow reader(
        ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ::GetModuleHandleA(nullptr), nullptr));
    ClipboardOpening open(reader.get());
    HANDLE block = ::GetClipboardData(CF_TEXT);
    if (!block) return {};
    GlobalLockGuard lock(block);
    const char* bytes = static_cast<const char*>(lock.data());
    return bytes ? std::string(bytes, strnlen(bytes, lock.size())) : std::string();
}

std::optional<std::string> ClipboardBlock(UINT format) {
    UniqueWindow reader(
        ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ::GetModuleHandleA(nullptr), nullptr));
    ClipboardOpening open(reader.get());
    HANDLE block = format ? ::GetClipboardData(format) : nullptr;
    if (!block) return std::nullopt;
    GlobalLockGuard lock(block);
    const char* bytes = static_cast<const char*>(lock.data());
    return bytes ? std::string(bytes, lock.size()) : std::string();
}

std::optional<std::string> ClipboardBlock(const char* format_name) {
    return ClipboardBlock(::RegisterClipboardFormatA(format_name));
}

void SetClipboardText(const std::string& text) {
    UniqueHGlobal block(::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1));
    if (!block) throw std::bad_alloc();
    {
        GlobalLockGuard lock(block.get());
        std::memcpy(lock.data(), text.c_str(), text.size() + 1);
    }
    ClipboardOpening open;
    ::EmptyClipboard();
    if (::SetClipboardData(CF_TEXT, block.get())) block.release();  // the system owns it now
}

std::optional<std::string> ClipboardAfter(const std::function<void()>& act, DWORD timeout_ms) {
    const DWORD before = ClipboardSequence();
    act();
    if (!WaitUntil([&] { return ClipboardSequence() != before; }, timeout_ms)) return std::nullopt;
    return ClipboardText();
}

}  // namespace kaveto::drive
