#pragma once
// The quote key's dealings with the window system: the keys of the chord
// and of the copy, the clipboard as a whole, and waits that keep the
// program answering the messages other programs send it meanwhile.
#include <windows.h>

#include "capture/drop_target_win32.h"
#include "capture/quote_key.h"
#include "platform/unique_win32.h"

namespace kaveto {

class Win32QuoteKeyDesk : public QuoteKeyDesk {
public:
    Win32QuoteKeyDesk();
    WindowHandle FrontWindow() override;
    bool IsOwnWindow(WindowHandle window) override;
    void MaskAltRelease() override;
    bool WaitForKeysUp(const std::vector<std::uint8_t>& keys, std::uint32_t timeout_ms) override;
    std::optional<ClipboardContents> ReadClipboard() override;
    bool WriteClipboard(const ClipboardContents& contents) override;
    std::uint32_t ClipboardSequence() override;
    void SendCopyKeys() override;
    bool WaitForClipboardChange(std::uint32_t since, std::uint32_t timeout_ms) override;
    ClipboardFormats& formats() override { return formats_; }

private:
    // The clipboard's owner while this program writes it: a window of its
    // own, so that no other opening of this thread's can end the writing.
    UniqueWindow owner_;
    Win32ClipboardFormats formats_;
};

}  // namespace kaveto
