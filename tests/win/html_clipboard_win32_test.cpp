// The snippet's HTML form on the real clipboard: "HTML Format" beside the
// texts, its offsets read back as a reader reads them, and gone again with
// the next snippet that has none.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "engine/app_state.h"
#include "platform/clipboard_win32.h"
#include "tests/text/html_format_reader.h"
#include "tools/drive/clipboard.h"
#include "tools/drive/wait.h"

namespace kaveto {
namespace {

std::string U8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

// The formats the clipboard holds, in the order they were put.
std::vector<UINT> Formats() {
    std::vector<UINT> formats;
    if (!drive::WaitUntil([] { return ::OpenClipboard(nullptr) != FALSE; }, 2000)) return formats;
    for (UINT f = ::EnumClipboardFormats(0); f; f = ::EnumClipboardFormats(f)) formats.push_back(f);
    ::CloseClipboard();
    return formats;
}

TEST(Win32Clipboard, PutsTheHtmlFormFirstBesideTheTextsAndTakesItAwayWithTheNextSnippet) {
    const UINT html_format = ::RegisterClipboardFormatA("HTML Format");
    Win32Clipboard clipboard;
    const std::string fragment = U8(u8"<a href=\"https://x.test/\">\u65E5\u672C\u8A9E &amp; \U0001F600</a>");
    const std::string source = "https://x.test/%E6%97%A5";
    clipboard.SetSnippet(Snippet(FromUtf8(U8(u8"\u65E5\u672C\u8A9E & \U0001F600")), HtmlForm{fragment, source}));

    const std::vector<UINT> formats = Formats();
    ASSERT_FALSE(formats.empty());
    EXPECT_EQ(formats[0], html_format) << "the richest form comes first";
    for (const UINT f : {UINT{CF_UNICODETEXT}, UINT{CF_TEXT}, UINT{CF_LOCALE}})
        EXPECT_NE(std::find(formats.begin(), formats.end(), f), formats.end()) << f;
    EXPECT_EQ(drive::ClipboardText(), "\x93\xfa\x96\x7b\x8c\xea & ?");

    const std::optional<std::string> block = drive::ClipboardBlock("HTML Format");
    ASSERT_TRUE(block);
    const testing::HtmlFormatReading reading = testing::ReadHtmlFormatBlock(*block);
    EXPECT_EQ(reading.error, "") << *block;
    EXPECT_EQ(reading.fragment, fragment);
    EXPECT_EQ(reading.source_url, source);

    clipboard.SetSnippet(Snippet(FromShiftJis("plain")));
    EXPECT_FALSE(drive::ClipboardBlock("HTML Format")) << "an earlier snippet's HTML form stays behind";
    EXPECT_EQ(drive::ClipboardText(), "plain");
}

}  // namespace
}  // namespace kaveto
