// The HTML form of a snippet, from the real program to a reader: a
// double-click whose template has an HTML one beside it puts three forms on
// the clipboard; a Windows reader and an X11 reader (through Wine's own
// clipboard bridge) find the same fragment by its offsets; a capture
// without an HTML template leaves none; and an older history entry chosen
// again brings its HTML form back.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "e2e_support.h"
#include "tests/text/html_format_reader.h"
#include "tools/drive/console_run.h"
#include "tools/drive/standin_editor.h"

namespace kaveto::e2e {
namespace {

// "日本語のページ" in Shift_JIS and in UTF-8.
const std::string kTitleSjis = "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x79\x81\x5b\x83\x57";
const std::string kTitleUtf8 = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x83\x9A\xE3\x83\xBC\xE3\x82\xB8";

// The fragment of the clipboard's "HTML Format", found by its offsets, or
// what is wrong with the block.
std::string HtmlFragment(std::string* source_url = nullptr) {
    const std::optional<std::string> block = ClipboardBlock("HTML Format");
    if (!block) return "(no HTML Format)";
    const testing::HtmlFormatReading reading = testing::ReadHtmlFormatBlock(*block);
    if (!reading.error.empty()) return "(" + reading.error + ": " + *block + ")";
    if (source_url) *source_url = reading.source_url;
    return reading.fragment;
}

// The UTF-8 of the clipboard's CF_UNICODETEXT, up to its zero.
std::string UnicodeText() {
    const std::optional<std::string> block = ClipboardBlock(CF_UNICODETEXT);
    if (!block) return "(no CF_UNICODETEXT)";
    const std::wstring wide(reinterpret_cast<const wchar_t*>(block->data()), block->size() / sizeof(wchar_t));
    const std::wstring text = wide.substr(0, wide.find(L'\0'));
    std::string utf8(text.size() * 3, '\0');
    utf8.resize(::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(),
                                      static_cast<int>(utf8.size()), nullptr, nullptr));
    return utf8;
}

// What an X11 program gets when it pastes HTML: the bridge offers the block
// as text/html, cut by its fragment's offsets. Wine starts a Unix program
// but does not wait for it, so the program leaves its answer in files and
// marks the end with one more, which is waited for.
std::string X11Html() {
    const std::string base = "/tmp/kaveto-e2e-xclip-" + std::to_string(::GetCurrentProcessId()) + "-" +
                             std::to_string(::GetTickCount64());
    const std::string out = base + ".out", err = base + ".err", done = base + ".done";
    std::string command = "\"Z:\\bin\\sh\" -c \"xclip -o -selection clipboard -t text/html >" + out + " 2>" + err +
                          "; echo $? >" + done + ".part && mv " + done + ".part " + done + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA("Z:\\bin\\sh", command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &startup, &info))
        return "(sh did not start: error " + std::to_string(::GetLastError()) + ")";
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    const auto windows = [](const std::string& unix_path) { return "Z:" + WindowsPath(unix_path); };
    const auto read = [&](const std::string& unix_path) {
        std::ifstream in(windows(unix_path), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const bool ended =
        WaitUntil([&] { return ::GetFileAttributesA(windows(done).c_str()) != INVALID_FILE_ATTRIBUTES; });
    const std::string status = read(done), html = read(out), message = read(err);
    for (const std::string& file : {out, err, done}) ::DeleteFileA(windows(file).c_str());
    if (!ended) return "(xclip did not end)";
    if (status != "0\n") return "(xclip failed: " + status + message + ")";
    return html;
}

class HtmlSnippetTest : public ProgramCase {
protected:
    CachedPages pages;
};

TEST_F(HtmlSnippetTest, TheHtmlFormGoesWithItsSnippetToTheClipboardAndBackFromTheHistory) {
    const std::string url = pages.NewAddress("html.html");
    ASSERT_NE(pages.Commit(url, PageHtml(kTitleSjis + " &lt;Kaveto&gt;")), "") << "the cache took no entry";
    StandInBrowser browser(url);
    const std::string fragment = "<a href=\"" + url + "\">" + kTitleUtf8 + " &lt;Kaveto&gt;</a>";

    // The page quoted by a double-click, with the shipped main\3.html.
    const std::string text = DoubleClickFrom(browser, kPicture);
    EXPECT_EQ(text, kTitleSjis + " <Kaveto>\r\n" + url + "\r\n");
    EXPECT_EQ(UnicodeText(), kTitleUtf8 + " <Kaveto>\r\n" + url + "\r\n");
    std::string source;
    EXPECT_EQ(HtmlFragment(&source), fragment);
    EXPECT_EQ(source, url);
    EXPECT_EQ(X11Html(), fragment) << "Wine's bridge cuts the block by its own reading of the offsets";

    // A link whose template has no HTML one beside it: the texts alone.
    ASSERT_TRUE(::DeleteFileA(folder.File("main\\2.html").c_str()));
    const std::string link = "http://kaveto.test/e2e/plain-link.html";
    EXPECT_EQ(DropFrom(browser, [&] { return DragLinkTo(link, "Plain link", kPicture); }),
              "Plain link\r\n" + link + "\r\n");
    EXPECT_EQ(HtmlFragment(), "(no HTML Format)") << "the double-click's HTML form stayed behind";

    // The older entry chosen again from the hotkey's menu, into an editor.
    StandInEditor editor;
    ASSERT_TRUE(editor.BringToFront());
    const std::string again = DeliveredBy([&] {
        ChordByHand({VK_MENU, 'A'});
        ASSERT_TRUE(program->WaitForMenu()) << "the hotkey opened no menu";
        Tap('B');
    });
    EXPECT_EQ(again, text);
    EXPECT_TRUE(WaitUntil([&] { return editor.Text() == text; })) << "the editor holds \"" << editor.Text() << "\"";
    EXPECT_EQ(HtmlFragment(&source), fragment);
    EXPECT_EQ(source, url);
    EXPECT_TRUE(SyncWith(window)) << "the program did not finish the paste";
}

}  // namespace
}  // namespace kaveto::e2e
