// The quote key's clipboard on the real window system: what it keeps is what
// it puts back, every format that lives in global memory, and a change is
// seen however it comes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "capture/quote_key_win32.h"
#include "platform/unique_win32.h"
#include "tools/drive/clipboard.h"
#include "tools/drive/drag.h"
#include "tools/drive/wait.h"

namespace kaveto {
namespace {

// Puts the blocks on the clipboard as a program other than the desk would.
void PutOnClipboard(const std::vector<std::pair<UINT, std::string>>& blocks) {
    ASSERT_TRUE(drive::WaitUntil([] { return ::OpenClipboard(nullptr) != 0; }));
    ::EmptyClipboard();
    for (const auto& [format, bytes] : blocks) {
        UniqueHGlobal block(::GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
        {
            GlobalLockGuard lock(block.get());
            std::memcpy(lock.data(), bytes.data(), bytes.size());
        }
        if (::SetClipboardData(format, block.get())) block.release();
    }
    ::CloseClipboard();
}

const std::string* Find(const ClipboardContents& contents, UINT format) {
    for (const auto& block : contents.blocks)
        if (block.format == format) return &block.bytes;
    return nullptr;
}

TEST(Win32QuoteKeyDesk, WhatItKeepsComesBackWholeAfterAnotherProgramsCopy) {
    const UINT html = drive::RegisteredFormat("HTML Format");
    const UINT own = ::RegisterClipboardFormatA("Kaveto.Test.Private");
    // A device-independent picture: the header and two pixels.
    std::string picture(40 + 8, '\x11');
    picture[0] = 40;
    const std::string html_block = drive::HtmlFormatBlock("<b>x</b>", "https://example.jp/kept");
    PutOnClipboard({{CF_UNICODETEXT, drive::UnicodeTextBlock(L"\u65e5\u672c kept")},
                    {html, html_block},
                    {CF_DIB, picture},
                    {own, std::string("a\0b\0", 4)}});

    Win32QuoteKeyDesk desk;
    const std::optional<ClipboardContents> kept = desk.ReadClipboard();
    ASSERT_TRUE(kept);
    ASSERT_NE(Find(*kept, html), nullptr);
    EXPECT_EQ(Find(*kept, html)->substr(0, html_block.size()), html_block);
    ASSERT_NE(Find(*kept, own), nullptr);
    EXPECT_EQ(Find(*kept, own)->substr(0, 4), std::string("a\0b\0", 4));
    EXPECT_NE(Find(*kept, CF_DIB), nullptr);
    EXPECT_EQ(Find(*kept, CF_BITMAP), nullptr) << "a drawing object's handle is no block";

    const DWORD before = desk.ClipboardSequence();
    EXPECT_FALSE(desk.WaitForClipboardChange(before, 50)) << "nothing changed it";
    drive::SetClipboardText("another program's copy");
    EXPECT_TRUE(desk.WaitForClipboardChange(before, 2000));

    ASSERT_TRUE(desk.WriteClipboard(*kept));
    const std::optional<ClipboardContents> back = desk.ReadClipboard();
    ASSERT_TRUE(back);
    for (const UINT format : {UINT{CF_UNICODETEXT}, html, UINT{CF_DIB}, own}) {
        SCOPED_TRACE(format);
        ASSERT_NE(Find(*back, format), nullptr);
        EXPECT_EQ(*Find(*back, format), *Find(*kept, format));
    }
    EXPECT_EQ(drive::ClipboardText(), "\x93\xfa\x96\x7b kept") << "what other programs read as text";
}

TEST(Win32QuoteKeyDesk, TellsItsOwnWindowsFromOthersAndTheDesktopFromNone) {
    Win32QuoteKeyDesk desk;
    UniqueWindow own(::CreateWindowExA(0, "Static", "own", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                       nullptr));
    EXPECT_TRUE(desk.IsOwnWindow(reinterpret_cast<WindowHandle>(own.get())));
    EXPECT_FALSE(desk.IsOwnWindow(reinterpret_cast<WindowHandle>(::GetDesktopWindow())));
    EXPECT_TRUE(desk.WaitForKeysUp({VK_F24}, 0)) << "a key nobody holds";
}

}  // namespace
}  // namespace kaveto
