// Drives a running kaveto.exe the way a user would, for the headless
// demonstration. A classic browser (an "Edit" address bar) shows a page kept
// in the URL cache (its title stored in EUC-JP): a double-click on the
// picture quotes it and a link dragged from it is dropped on the picture. A
// Chrome-like browser (its page told by its accessibility tree) is quoted by
// a double-click too, and a selection dragged from it as Chrome offers one
// (CF_UNICODETEXT and "HTML Format" with the page as SourceURL) is dropped.
// Then the newest history entry is pasted back into an editor with the
// hotkey.
//
//   demo_driver [PICTURE_FOLDER]
//
// With a folder, the driver stops after each step for a picture of the
// screen: it leaves "<moment>.ready" there, holding a line that tells what
// was done, and goes on once "<moment>.done" appears. The moments are
// "double-click", "link-drop", "chrome-double-click", "selection-drop",
// "menu" (the history menu open) and "editor" (the editor holding the
// pasted snippet).
//
// Prints each snippet (Shift_JIS bytes, as the program makes them) to stdout.
// Exit status: 0 done, 1 a step failed (what failed goes to stderr), 2 usage.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tools/drive/browser_drag.h"
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

// The Chrome-like browser's page: its title in its caption and its tree.
const std::string kTodaysPage = "https://example.jp/kaveto-demo/today.html";
const std::wstring kTodaysTitle = L"今日のブラウザ - Kaveto デモ";
const std::wstring kSelection = L"選んだ文章をそのまま引用します";

// Captures made of one step before it counts as failed.
constexpr int kAttempts = 3;

// How long a picture of the screen may take (the script's side of a pause).
constexpr DWORD kPictureMs = 60000;

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void Check(bool ok, const std::string& what) {
    if (!ok) throw Failure(what);
}

std::string Delivered(const std::optional<std::string>& clipboard, const char* step) {
    Check(clipboard.has_value(), std::string(step) + ": the clipboard did not change");
    return *clipboard;
}

void PrintResult(const char* heading, const std::string& text) {
    std::printf("== %s\n%s\n", heading, text.c_str());
    std::fflush(stdout);
}

// The moments at which a picture is taken; none without a folder.
class Pauses {
public:
    explicit Pauses(std::string folder) : folder_(std::move(folder)) {
        if (!folder_.empty() && folder_.back() != '\\' && folder_.back() != '/') folder_ += '\\';
    }
    void At(const std::string& moment, const std::string& what) const {
        if (folder_.empty()) return;
        const std::string ready = folder_ + moment + ".ready", done = folder_ + moment + ".done";
        // Written whole under another name first, so that the script never
        // reads half a line.
        const std::string part = ready + ".part";
        Check(static_cast<bool>(std::ofstream(part) << what << '\n'), "could not write " + part);
        Check(::MoveFileExA(part.c_str(), ready.c_str(), MOVEFILE_REPLACE_EXISTING) != 0, "could not write " + ready);
        Check(WaitUntil([&] { return ::GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, kPictureMs),
              "no picture was taken at the moment \"" + moment + "\"");
    }

private:
    std::string folder_;
};

// Brings the window to the front to stay there. Under Wine a window just
// shown (the program's picture too) may still hold, unread, the X server's
// word that it took the focus; read later, it takes the front back. So the
// thread of each window on the screen is made to read what it holds (a
// round trip after the one that wakes it) before the front is trusted, and
// the request is made again until it holds.
void BringToFrontToStay(HWND window, const std::vector<HWND>& shown) {
    const bool stays = WaitUntil([&] {
        if (!BringToFront(window, 1000)) return false;
        for (HWND other : shown)
            if (!SyncInputWith(other)) return false;
        return ::GetForegroundWindow() == window;
    });
    Check(stays, "could not bring " + DescribeWindow(window) + " to the front; in front: " +
                     DescribeWindow(::GetForegroundWindow()));
}

int Run(const Pauses& pauses) {
    const HWND picture = WaitForTopWindow({0, "TForm1"});
    Check(picture != nullptr, "kaveto's picture window did not appear");
    const DWORD pid = ProcessOf(picture);
    const POINT middle = CentreOf(picture);

    CachedPages pages;
    const std::string page = "http://example.com/kaveto-demo/page-" + std::to_string(::GetTickCount64()) + ".html";
    Check(!pages.Commit(page, PageHtml(kTitleEucJp, "EUC-JP")).empty(),
          "could not commit the page to the URL cache");
    StandInBrowser browser(page, BrowserKind::kEditBar, {250, 40, 480, 150});
    StandInBrowser chrome({kTodaysPage, kTodaysTitle}, {BrowserKind::kChromium, TreeAnswer::kPage, {250, 210, 480, 150}});
    StandInEditor editor({250, 380, 480, 200});
    Check(browser.window() && chrome.window() && editor.window(), "could not make the browsers and the editor");
    const std::vector<HWND> shown = {picture, browser.window(), chrome.window(), editor.window()};
    // With the browser in front, what `capture` puts on the clipboard; it is
    // printed, and must name the address quoted. The program gives up on a
    // browser that does not answer within its bounds, and quotes no page;
    // on a machine too busy to let the browser answer in time that happens
    // now and then, so such a capture is made again, a few times at most.
    const auto quote_from = [&](StandInBrowser& from, const std::function<void()>& capture, const char* heading,
                                const std::string& address) {
        std::string snippet;
        for (int attempt = 1;; ++attempt) {
            BringToFrontToStay(from.window(), shown);
            snippet = Delivered(ClipboardAfter(capture), heading);
            if (snippet.find(address) != std::string::npos || attempt == kAttempts) break;
            std::printf("(%s: no page quoted, as when the browser answers too late; once more)\n", heading);
        }
        PrintResult(heading, snippet);
        Check(snippet.find(address) != std::string::npos, std::string(heading) + ": the page was not quoted");
        return snippet;
    };

    // The double-click: the pointer comes over the picture (which notes the
    // browser in front as the window to quote), two clicks.
    const auto double_click = [&] { DoubleClickAt(middle); };
    quote_from(browser, double_click, "double-click capture: clipboard", page);
    pauses.At("double-click", "1. Double-click on the picture: the classic browser's page is quoted");

    HRESULT dropped = E_FAIL;
    quote_from(browser, [&] { dropped = DragLinkTo(kLinkAddress, kLinkText, middle); }, "link drop: clipboard",
               kLinkAddress);
    Check(dropped == DRAGDROP_S_DROP, "the link was not dropped on the picture");
    pauses.At("link-drop", "2. A link dragged from it and dropped on the picture is quoted");

    quote_from(chrome, double_click, "double-click on the Chrome-like browser: clipboard", kTodaysPage);
    pauses.At("chrome-double-click", "3. Double-click: the Chrome-like browser's page is quoted");

    const std::string selection_snippet = quote_from(
        chrome, [&] { dropped = DragFormatsTo(SelectionDrag(BrowserKind::kChromium, kSelection, kTodaysPage), middle); },
        "selection dropped from the Chrome-like browser: clipboard", kTodaysPage);
    Check(dropped == DRAGDROP_S_DROP, "the selection was not dropped on the picture");
    pauses.At("selection-drop", "4. Selected text dragged from it and dropped on the picture is quoted");

    // The paste-back: the editor in front, the hotkey opens the history
    // menu, A chooses the newest entry.
    BringToFrontToStay(editor.window(), shown);
    ChordByHand({VK_MENU, 'A'});
    Check(WaitForTopWindow({pid, "#32768"}) != nullptr, "the hotkey opened no history menu");
    Check(WaitForForegroundIn(pid), "the history menu did not take the keyboard");
    pauses.At("menu", "5. In the editor, Alt+A opens the history menu over the picture");
    Tap('A');
    Check(WaitUntil([&] { return editor.Text() == selection_snippet; }),
          "the newest entry was not pasted into the editor");
    // The program lets the keys go after a pause; the editor stays until
    // the program has done so.
    Check(SyncWith(picture), "kaveto did not finish the paste-back");
    PrintResult("paste-back (Alt+A, A): the editor holds", editor.Text());
    pauses.At("editor", "6. A pastes the newest entry into the editor");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        std::fputs("usage: demo_driver [PICTURE_FOLDER]\n", stderr);
        return 2;
    }
    OleThread ole;
    if (!ole.ok()) {
        std::fputs("demo: OLE could not be started\n", stderr);
        return 1;
    }
    try {
        return Run(Pauses(argc == 2 ? argv[1] : ""));
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "demo failed: %s\n", failure.what());
    }
    return 1;
}
