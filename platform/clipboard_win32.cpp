#include "platform/clipboard_win32.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/errors.h"
#include "platform/unique_win32.h"

namespace kaveto {
namespace {

// The clipboard, open for as long as the guard lives. Another program may
// hold it for a moment, so opening is retried briefly.
class OpenClipboardGuard {
public:
    explicit OpenClipboardGuard(HWND owner) {
        for (int attempt = 0; attempt < 10; ++attempt) {
            if (::OpenClipboard(owner)) {
                open_ = true;
                return;
            }
            ::Sleep(20);
        }
        throw ClipboardError();
    }
    ~OpenClipboardGuard() {
        if (open_) ::CloseClipboard();
    }
    OpenClipboardGuard(const OpenClipboardGuard&) = delete;
    OpenClipboardGuard& operator=(const OpenClipboardGuard&) = delete;

private:
    bool open_ = false;
};

}  // namespace

void Win32Clipboard::SetText(const std::string& text) {
    const std::size_t length = std::min(text.find('\0'), text.size());
    UniqueHGlobal block(::GlobalAlloc(GMEM_MOVEABLE, length + 1));
    if (!block) throw std::bad_alloc();
    {
        GlobalLockGuard lock(block.get());
        if (!lock.data()) throw std::bad_alloc();
        std::memcpy(lock.data(), text.data(), length);
        static_cast<char*>(lock.data())[length] = '\0';
    }
    OpenClipboardGuard clipboard(owner_);
    if (!::EmptyClipboard()) throw ClipboardError();
    if (!::SetClipboardData(CF_TEXT, block.get())) throw ClipboardError();
    block.release();  // the system owns it now
}

}  // namespace kaveto
