// What Shift_JIS cannot hold, kept on the real platform: the clipboard in
// both forms, a drop whose link and page titles hold an emoji, an accented
// letter and WAVE DASH, the UTF-8 log written by the real file code, the
// address bar's own Unicode text, and a paste-back into a Unicode editor of
// another thread.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "capture/page_context.h"
#include "engine/history_menu.h"
#include "engine/output_sinks.h"
#include "platform/clipboard_win32.h"
#include "platform/foreground_win32.h"
#include "platform/paste_back_win32.h"
#include "platform/unique_win32.h"
#include "platform/window_search_win32.h"
#include "tests/capture/capture_fakes.h"
#include "tests/win/drop_rig_win32.h"
#include "tests/win/window_search_rig_win32.h"
#include "tools/drive/drag.h"
#include "tools/drive/wait.h"
#include "tools/drive/window_query.h"
#include "tools/drive/window_thread.h"

namespace kaveto {
namespace {

using drive::WaitUntil;

std::string U8(std::u8string_view text) { return std::string(text.begin(), text.end()); }
std::wstring W(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// "Café 😀 〜": an accented letter, an emoji and WAVE DASH, none of which the
// Shift_JIS snippet can hold but the last.
const std::u16string kTitle = u"Caf\u00E9 \U0001F600 \u301C";
const std::string kTitleSjis = "Caf? ? \x81\x60";

// What the clipboard holds in each text format, read in one opening; the
// opening is asked for again while another program holds the clipboard.
struct ClipboardTexts {
    bool opened = false;
    std::u16string unicode;
    std::string ansi;
    DWORD locale = 0;
};

ClipboardTexts ReadClipboard() {
    ClipboardTexts texts;
    if (!WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, 2000)) return texts;
    texts.opened = true;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* p = static_cast<const char16_t*>(GlobalLock(h))) {
            const std::size_t units = GlobalSize(h) / sizeof(char16_t);
            std::size_t n = 0;
            while (n < units && p[n]) ++n;
            texts.unicode.assign(p, n);
            GlobalUnlock(h);
        }
    }
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(GlobalLock(h))) {
            texts.ansi.assign(p, strnlen(p, GlobalSize(h)));
            GlobalUnlock(h);
        }
    }
    if (HANDLE h = GetClipboardData(CF_LOCALE)) {
        if (const void* p = GlobalLock(h)) {
            if (GlobalSize(h) >= sizeof(DWORD)) std::memcpy(&texts.locale, p, sizeof(DWORD));
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return texts;
}

TEST(Win32Clipboard, TakesBothFormsAndJapaneseInOneOpening) {
    Win32Clipboard clipboard;
    const DualText text = FromUtf16(u"\u65E5\u672C " + kTitle + u"\r\nhttps://kaveto.test/\u00E9");
    const DWORD before = GetClipboardSequenceNumber();
    clipboard.SetSnippet(Snippet{text});
    ClipboardTexts got = ReadClipboard();
    ASSERT_TRUE(got.opened);
    EXPECT_EQ(got.unicode, u"\u65E5\u672C " + kTitle + u"\r\nhttps://kaveto.test/\u00E9");
    EXPECT_EQ(got.ansi, "\x93\xfa\x96\x7b " + kTitleSjis + "\r\nhttps://kaveto.test/?");
    EXPECT_EQ(got.locale, 0x0411u);
    EXPECT_NE(GetClipboardSequenceNumber(), before);

    // Each form ends at its first zero, as CF_TEXT always did.
    clipboard.SetSnippet(
        Snippet{{std::string("before\0after", 12), U8(u8"b\u00E9fore") + std::string(1, '\0') + "after"}});
    got = ReadClipboard();
    EXPECT_EQ(got.unicode, u"b\u00E9fore");
    EXPECT_EQ(got.ansi, "before");
}

// ------------------------------------------------------------------ drop


LRESULT CALLBACK PlainProcW(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }

class UnicodeDrop : public testing::DropRig {
protected:
    UnicodeDrop() {
        // Shift_JIS, as templates always were: the Shift_JIS snippet is what
        // it was before the Unicode one stood beside it.
        Write("main\\2.txt", "2|%url_txt%|%title_txt%|%click_url%|%page_url%");
        state_.settings.LogBool = true;
        state_.settings.SaveFileName = "%my_folder%log.txt";
        state_.settings.LogCode = LogTextCode::Utf8;

        // A browser of today's make: its caption is its page's title.
        WNDCLASSW wc{};
        wc.lpfnWndProc = PlainProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"Chrome_WidgetWin_1";
        RegisterClassW(&wc);
        const std::u16string caption = kTitle + u" - Google Chrome";
        windows_.browser = CreateWindowExW(0, wc.lpszClassName, reinterpret_cast<const wchar_t*>(caption.c_str()),
                                           WS_OVERLAPPED, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    }
};

TEST_F(UnicodeDrop, ALinkAndAPageTitledBeyondShiftJisArriveWholeInUnicodeAndAsBeforeInCfText) {
    drive::OfferedData data;
    data.blocks[drive::RegisteredFormat("UniformResourceLocatorW")] =
        drive::UnicodeTextBlock(L"https://kaveto.test/linked/\u00E9");
    data.blocks[drive::RegisteredFormat("FileGroupDescriptorW")] =
        drive::FileGroupDescriptorWBlock({W(kTitle) + L".url"});
    data.blocks[drive::RegisteredFormat("HTML Format")] =
        drive::HtmlFormatBlock("<a>x</a>", U8(u8"https://kaveto.test/page/\u00E9"));
    DropOnTarget(data);

    const std::u16string unicode = u"2|" + kTitle + u"|" + kTitle +
                                   u"|https://kaveto.test/linked/\u00E9|https://kaveto.test/page/\u00E9";
    const std::string ansi =
        "2|" + kTitleSjis + "|" + kTitleSjis + "|https://kaveto.test/linked/?|https://kaveto.test/page/?";
    const ClipboardTexts got = ReadClipboard();
    ASSERT_TRUE(got.opened);
    EXPECT_EQ(got.unicode, unicode);
    EXPECT_EQ(got.ansi, ansi);
    EXPECT_EQ(got.locale, 0x0411u);

    // The log is new: UTF-8 with its byte order mark. Written again under
    // ShiftJis, it stays in the code it holds.
    const std::string bom = "\xEF\xBB\xBF";
    EXPECT_EQ(files_.ReadAll(ProgramFile("log.txt")), bom + Utf16ToUtf8(unicode));
    state_.settings.LogCode = LogTextCode::ShiftJis;
    DropOnTarget(data);
    EXPECT_EQ(files_.ReadAll(ProgramFile("log.txt")), bom + Utf16ToUtf8(unicode) + "\r\n" + Utf16ToUtf8(unicode));
    EXPECT_EQ(state_.history.history_texts().front(), ansi);
    EXPECT_EQ(state_.history.history_labels().front(), kTitleSjis) << "the menu shows the label as it always has";
}

// ------------------------------------------------------ the address bar

TEST(UnicodeAddressBar, TheBarsOwnUnicodeTextIsTheAddressesUnicodeForm) {
    HWND top = CreateWindowExW(0, L"STATIC", L"browser", WS_OVERLAPPED, 0, 0, 400, 300, nullptr, nullptr, nullptr,
                               nullptr);
    ASSERT_TRUE(top);
    HWND bar = CreateWindowExW(0, L"Edit", L"http://kaveto.test/caf\u00E9/\U0001F600", WS_CHILD, 0, 0, 300, 20, top,
                               nullptr, nullptr, nullptr);
    ASSERT_TRUE(bar);
    WindowSearchRig rig;
    CapturePageContext(rig.context, reinterpret_cast<WindowHandle>(top));
    EXPECT_EQ(rig.state.record.page_url.shift_jis.rfind("http://kaveto.test/caf", 0), 0u)
        << "read in the code page, as always";
    EXPECT_EQ(rig.state.record.page_url.utf8, U8(u8"http://kaveto.test/caf\u00E9/\U0001F600"));
    EXPECT_EQ(rig.state.last_found_url.utf8, rig.state.record.page_url.utf8);
    DestroyWindow(top);
}

// ------------------------------------------------------------ paste-back

LRESULT CALLBACK EditorProcW(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    // Like an editor, the window hands its focus to its text field.
    if (message == WM_SETFOCUS) {
        if (HWND edit = GetWindow(hwnd, GW_CHILD)) SetFocus(edit);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

// An editor made with the W functions, as today's programs are, run by a
// thread of its own as another program's window would be.
class UnicodeEditor {
public:
    HWND window() const { return window_; }
    std::u16string Text() const {
        wchar_t text[512] = {};
        SendMessageW(edit_, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
        return reinterpret_cast<const char16_t*>(text);
    }

private:
    void Open() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = EditorProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KavetoTestUnicodeEditor";
        RegisterClassW(&wc);
        // Shown once the field exists, so that the focus passes to it.
        window_ = CreateWindowExW(0, wc.lpszClassName, L"editor", WS_OVERLAPPEDWINDOW, 300, 300, 300, 200, nullptr,
                                  nullptr, wc.hInstance, nullptr);
        edit_ = CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0, 280,
                                150, window_, nullptr, wc.hInstance, nullptr);
        ShowWindow(window_, SW_SHOW);
    }

    HWND window_ = nullptr, edit_ = nullptr;
    drive::WindowThread thread_{[this] { Open(); }, [this] { DestroyWindow(window_); }};
};

TEST(UnicodePasteBack, AHistoryEntryArrivesWholeInAUnicodeEditor) {
    UnicodeEditor editor;
    UniqueWindow own(CreateWindowExA(WS_EX_TOPMOST, "Static", "own", WS_POPUP | WS_VISIBLE, 0, 0, 24, 24, nullptr,
                                     nullptr, nullptr, nullptr));
    ASSERT_TRUE(drive::BringToFront(own.get()));

    AppState state;
    AddToHistory(state.history, Snippet{FromUtf16(kTitle + u"\r\nhttps://kaveto.test/\u00E9")}, kTitleSjis);
    AddToHistory(state.history, Snippet{FromShiftJis("newer")}, "newer");
    state.target_window = reinterpret_cast<WindowHandle>(editor.window());
    state.settings.ClipbordTime = 30;
    Win32Clipboard clipboard;
    Win32PasteBack actions;
    ReuseHistoryEntry(state, 1, clipboard, actions);

    const std::u16string expected = kTitle + u"\r\nhttps://kaveto.test/\u00E9";
    EXPECT_TRUE(WaitUntil([&] { return editor.Text() == expected; }))
        << "the editor holds " << Utf16ToUtf8(editor.Text());
    EXPECT_EQ(ReadClipboard().ansi, kTitleSjis + "\r\nhttps://kaveto.test/?");
}

}  // namespace
}  // namespace kaveto
