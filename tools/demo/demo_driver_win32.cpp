// Drives a running kaveto.exe the way a user would, for the headless
// demonstration: a browser window in front of a page kept in the URL cache
// (its title stored in EUC-JP), a double-click on the picture, a link dragged
// from the browser and dropped on the picture, and the newest history entry
// pasted back into an editor with the hotkey.
//
// Prints each snippet (Shift_JIS bytes, as the program makes them) to stdout.
// Exit status: 0 done, 1 a step failed (what failed goes to stderr).
#include <windows.h>

#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>

#include "tools/drive/clipboard.h"
#include "tools/drive/drag.h"
#include "tools/drive/input.h"
#include "tools/drive/standin_browser.h"
#include "tools/drive/standin_editor.h"
#include "tools/drive/url_cache.h"
#include "tools/drive/wait.h"
#include "tools/drive/window_query.h"

namespace {

using namespace kaveto::drive;

// "Kaveto のサンプルページ" in EUC-JP, so that the title has to be converted.
// ("ン" is a pair that Shift_JIS cannot hold, which tells the two codes apart;
// a page of only such pairs as "デモ" could be either and stays as it is.)
const std::string kTitleEucJp =
    "Kaveto \xa4\xce\xa5\xb5\xa5\xf3\xa5\xd7\xa5\xeb\xa5\xda\xa1\xbc\xa5\xb8";
// The dragged link's text: "次のページ" (a Shift_JIS literal).
const std::string kLinkText = "次のページ";
const std::string kLinkAddress = "http://example.com/kaveto-demo/next.html";

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void Check(bool ok, const std::string& what) {
    if (!ok) throw Failure(what);
}

std::string Delivered(const std::optional<std::string>& clipboard, const char* after_what) {
    Check(clipboard.has_value(), std::string("the clipboard did not change after the ") + after_what);
    return *clipboard;
}

void PrintResult(const char* heading, const std::string& text) {
    std::printf("== %s\n%s\n", heading, text.c_str());
    std::fflush(stdout);
}

int Run() {
    const HWND picture = WaitForTopWindow({0, "TForm1"});
    Check(picture != nullptr, "kaveto's picture window did not appear");
    const DWORD pid = ProcessOf(picture);
    const POINT middle = CentreOf(picture);

    CachedPages pages;
    const std::string page = "http://example.com/kaveto-demo/page-" + std::to_string(::GetTickCount64()) + ".html";
    Check(!pages.Commit(page, PageHtml(kTitleEucJp, "EUC-JP")).empty(),
          "could not commit the page to the URL cache");
    StandInBrowser browser(page, BrowserKind::kEditBar, {300, 100, 480, 160});
    StandInEditor editor({300, 300, 480, 200});
    Check(browser.window() && editor.window(), "could not make the browser and editor windows");

    // The double-click: the browser in front, the pointer comes over the
    // picture (which notes the browser as the window to quote), two clicks.
    Check(browser.BringToFront(), "could not bring the browser to the front");
    PrintResult("double-click capture: clipboard",
                Delivered(ClipboardAfter([&] { DoubleClickAt(middle); }), "double-click"));

    // The link dropped on the picture.
    Check(browser.BringToFront(), "could not bring the browser to the front");
    HRESULT dropped = E_FAIL;
    const std::string drop_snippet =
        Delivered(ClipboardAfter([&] { dropped = DragLinkTo(kLinkAddress, kLinkText, middle); }), "link drop");
    Check(dropped == DRAGDROP_S_DROP, "the link was not dropped on the picture");
    PrintResult("link drop: clipboard", drop_snippet);

    // The paste-back: the editor in front, the hotkey opens the history
    // menu, A chooses the newest entry.
    Check(editor.BringToFront(), "could not bring the editor to the front");
    ChordByHand({VK_MENU, 'A'});
    Check(WaitForTopWindow({pid, "#32768"}) != nullptr, "the hotkey opened no history menu");
    Check(WaitForForegroundIn(pid), "the history menu did not take the keyboard");
    Tap('A');
    Check(WaitUntil([&] { return editor.Text() == drop_snippet; }), "the newest entry was not pasted into the editor");
    // The program lets the keys go after a pause; the editor stays until
    // the program has done so.
    Check(SyncWith(picture), "kaveto did not finish the paste-back");
    PrintResult("paste-back (Alt+A, A): the editor holds", editor.Text());
    return 0;
}

}  // namespace

int main() {
    OleThread ole;
    if (!ole.ok()) {
        std::fputs("demo: OLE could not be started\n", stderr);
        return 1;
    }
    try {
        return Run();
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "demo failed: %s\n", failure.what());
    }
    return 1;
}
