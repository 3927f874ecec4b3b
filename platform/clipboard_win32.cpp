#include "platform/clipboard_win32.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/errors.h"
#include "platform/unique_win32.h"
#include "text/html_format.h"
#include "text/unicode.h"

namespace kaveto {
namespace {

// The clipboard, open for as long as the guard lives. Another program may
// hold it for a moment (more than a moment on a busy machine), so opening is
// retried for up to a second.
class OpenClipboardGuard {
public:
    explicit OpenClipboardGuard(HWND owner) {
        for (int attempt = 0; attempt < 50; ++attempt) {
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

// A movable global block holding `bytes` and then `terminator` zero bytes.
UniqueHGlobal BlockOf(const void* bytes, std::size_t size, std::size_t terminator) {
    UniqueHGlobal block(::GlobalAlloc(GMEM_MOVEABLE, size + terminator));
    if (!block) throw std::bad_alloc();
    GlobalLockGuard lock(block.get());
    if (!lock.data()) throw std::bad_alloc();
    if (size) std::memcpy(lock.data(), bytes, size);
    std::memset(static_cast<char*>(lock.data()) + size, 0, terminator);
    return block;
}

UniqueHGlobal AnsiBlock(const std::string& text) { return BlockOf(text.data(), std::min(text.find('\0'), text.size()), 1); }

// Hands the block to the clipboard, which owns it from then on.
void Put(UINT format, UniqueHGlobal& block) {
    if (!::SetClipboardData(format, block.get())) throw ClipboardError();
    block.release();
}

// The language of the program's texts: Japanese (Japan), sort order default.
constexpr LCID kJapanese = 0x0411;

}  // namespace

Win32Clipboard::Win32Clipboard(HWND owner)
    : own_window_(owner ? nullptr
                        : ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                            ::GetModuleHandleA(nullptr), nullptr)),
      owner_(owner ? owner : own_window_.get()) {}

void Win32Clipboard::SetText(const std::string& text) {
    UniqueHGlobal block = AnsiBlock(text);
    OpenClipboardGuard clipboard(owner_);
    if (!::EmptyClipboard()) throw ClipboardError();
    Put(CF_TEXT, block);
}

void Win32Clipboard::SetSnippet(const Snippet& snippet) {
    const DualText& text = snippet.text;
    // Every block is made before the clipboard is opened, so that it is held
    // no longer than the handing over takes.
    UINT html_format = 0;
    UniqueHGlobal html;
    if (snippet.html) {
        html_format = ::RegisterClipboardFormatA("HTML Format");
        if (!html_format) throw ClipboardError();
        const std::string block = BuildHtmlFormat(snippet.html->fragment, snippet.html->source_url);
        html = BlockOf(block.data(), block.size(), 1);
    }
    std::u16string wide = Utf8ToUtf16(text.utf8);
    wide.resize(std::min(wide.find(u'\0'), wide.size()));
    UniqueHGlobal unicode = BlockOf(wide.data(), wide.size() * sizeof(char16_t), sizeof(char16_t));
    UniqueHGlobal ansi = AnsiBlock(text.shift_jis);
    const LCID locale = kJapanese;
    UniqueHGlobal language = BlockOf(&locale, sizeof locale, 0);
    OpenClipboardGuard clipboard(owner_);
    // Emptying it also takes away the HTML form of an earlier snippet.
    if (!::EmptyClipboard()) throw ClipboardError();
    // The richest form first, then Unicode: a program that takes the first
    // format it knows gets the link, or else the whole text.
    if (html) Put(html_format, html);
    Put(CF_UNICODETEXT, unicode);
    Put(CF_TEXT, ansi);
    Put(CF_LOCALE, language);
}

}  // namespace kaveto
