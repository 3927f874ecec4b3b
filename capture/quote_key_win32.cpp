#include "capture/quote_key_win32.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/foreground_win32.h"

namespace kaveto {
namespace {

constexpr DWORD kPollMs = 5;
// Another program may hold the clipboard for a moment (more than a moment
// on a busy machine).
constexpr DWORD kOpenTimeoutMs = 1000;

// Waits up to `ms` while handling the messages that other threads send this
// one, and no others: a program that empties the clipboard this program
// owns sends it a message and waits for the answer, and nothing posted
// (another key, a drop) may begin while a capture runs.
void HandleSentMessagesFor(DWORD ms) {
    ::MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_SENDMESSAGE, 0);
    MSG msg;
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

// Polls `done` until it holds or the time is up; it is asked once more at
// the end, so a change at the last moment counts.
template <typename Done>
bool PollUntil(Done done, DWORD timeout_ms) {
    const ULONGLONG deadline = ::GetTickCount64() + timeout_ms;
    for (;;) {
        if (done()) return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return done();
        HandleSentMessagesFor(static_cast<DWORD>(std::min<ULONGLONG>(kPollMs, deadline - now)));
    }
}

// The clipboard, open for as long as the guard lives.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) {
        open_ = PollUntil([owner] { return ::OpenClipboard(owner) != 0; }, kOpenTimeoutMs);
    }
    ~OpenedClipboard() {
        if (open_) ::CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    bool open() const { return open_; }

private:
    bool open_ = false;
};

void KeyEvent(BYTE vk, bool up) { ::keybd_event(vk, 0, up ? KEYEVENTF_KEYUP : 0, 0); }

void Tap(BYTE vk) {
    KeyEvent(vk, false);
    KeyEvent(vk, true);
}

// A key that no program gives a meaning to. Alt let go with no key between
// its press and its release (the chord's own key went to the hotkey, not to
// the window) opens the menu of the window in front; a key between them
// tells the window that Alt was part of a chord.
constexpr BYTE kMenuMaskKey = 0xE8;
constexpr int kMenuLeaveTries = 3;
constexpr DWORD kMenuLeaveMs = 200;

// Round trips through the window's thread: a thread handles what is sent to
// it when it asks for its next message, and asks again only after it has
// taken one queued message, so each trip after the first lets one queued
// key message through (the copy has four).
constexpr int kKeyMessagesTaken = 5;

bool InMenuMode(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info)) return false;
    return (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE)) != 0;
}

}  // namespace

Win32QuoteKeyDesk::Win32QuoteKeyDesk()
    : owner_(::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ::GetModuleHandleA(nullptr),
                               nullptr)) {}

WindowHandle Win32QuoteKeyDesk::FrontWindow() {
    const HWND front = ::GetForegroundWindow();
    if (!front || front == ::GetDesktopWindow()) return 0;
    return reinterpret_cast<WindowHandle>(front);
}

bool Win32QuoteKeyDesk::IsOwnWindow(WindowHandle window) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &process);
    return process == ::GetCurrentProcessId();
}

void Win32QuoteKeyDesk::MaskAltRelease() {
    if (::GetAsyncKeyState(VK_MENU) & 0x8000) Tap(kMenuMaskKey);
}

bool Win32QuoteKeyDesk::WaitForKeysUp(const std::vector<std::uint8_t>& keys, std::uint32_t timeout_ms) {
    return PollUntil(
        [&keys] {
            for (std::uint8_t vk : keys)
                if (::GetAsyncKeyState(vk) & 0x8000) return false;
            return true;
        },
        timeout_ms);
}

std::optional<ClipboardContents> Win32QuoteKeyDesk::ReadClipboard() {
    OpenedClipboard clipboard(owner_.get());
    if (!clipboard.open()) return std::nullopt;
    ClipboardContents contents;
    for (UINT format = ::EnumClipboardFormats(0); format != 0; format = ::EnumClipboardFormats(format)) {
        if (format > 0xFFFF || !HeldInGlobalMemory(static_cast<std::uint16_t>(format))) continue;
        // Asking renders a format that its owner offered without data.
        HGLOBAL block = static_cast<HGLOBAL>(::GetClipboardData(format));
        if (!block) continue;
        GlobalLockGuard lock(block);
        if (!lock.data()) continue;
        contents.blocks.push_back(
            {static_cast<std::uint16_t>(format), std::string(static_cast<const char*>(lock.data()), lock.size())});
    }
    return contents;
}

bool Win32QuoteKeyDesk::WriteClipboard(const ClipboardContents& contents) {
    // Every block is made before the clipboard is opened, so that it is held
    // no longer than the handing over takes.
    std::vector<std::pair<UINT, UniqueHGlobal>> blocks;
    for (const ClipboardContents::Block& b : contents.blocks) {
        UniqueHGlobal block(::GlobalAlloc(GMEM_MOVEABLE, b.bytes.empty() ? 1 : b.bytes.size()));
        if (!block) throw std::bad_alloc();
        GlobalLockGuard lock(block.get());
        if (!lock.data()) throw std::bad_alloc();
        std::memcpy(lock.data(), b.bytes.data(), b.bytes.size());
        blocks.emplace_back(b.format, std::move(block));
    }
    OpenedClipboard clipboard(owner_.get());
    if (!clipboard.open() || !::EmptyClipboard()) return false;
    bool all = true;
    for (auto& [format, block] : blocks) {
        if (::SetClipboardData(format, block.get()))
            block.release();  // the clipboard owns it now
        else
            all = false;
    }
    return all;
}

std::uint32_t Win32QuoteKeyDesk::ClipboardSequence() { return ::GetClipboardSequenceNumber(); }

// Takes the window's queued input through its thread; a window that does
// not answer is not waited for.
void TakeQueuedInput(HWND window) {
    for (int trip = 0; window && trip < kKeyMessagesTaken; ++trip)
        if (!WindowAnswers(window)) return;
}

// The chord's own keys are taken first: an Alt let go before the mask came
// has then opened the window's menu, which would take the copy keys (and
// hold back every call into the window while it is open), so it is closed.
// The time the copy is given counts from when the browser has the copy keys,
// not from when they were sent: a browser thread busy with something else is
// not taken for one that copied nothing.
void Win32QuoteKeyDesk::SendCopyKeys() {
    const HWND front = ::GetForegroundWindow();
    TakeQueuedInput(front);
    for (int attempt = 0; attempt < kMenuLeaveTries && front && InMenuMode(front); ++attempt) {
        Tap(VK_ESCAPE);
        PollUntil([front] { return !InMenuMode(front); }, kMenuLeaveMs);
    }
    KeyEvent(VK_CONTROL, false);
    KeyEvent('C', false);
    KeyEvent('C', true);
    KeyEvent(VK_CONTROL, true);
    TakeQueuedInput(front);
}

bool Win32QuoteKeyDesk::WaitForClipboardChange(std::uint32_t since, std::uint32_t timeout_ms) {
    return PollUntil([since] { return ::GetClipboardSequenceNumber() != since; }, timeout_ms);
}

}  // namespace kaveto
