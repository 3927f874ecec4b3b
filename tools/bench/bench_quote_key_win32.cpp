// Quote key to clipboard, beside the double-click on the same stand-in in
// the same run: the real kaveto.exe, in a fresh program folder with
// QuoteShortCut=Alt+Q, and a stand-in browser on a thread of this process.
// Each round brings the browser to the front and times, until the
// clipboard holds the snippet (the keys pressed and let go at once, as a
// quick hand gives them):
//   double-click   the picture double-clicked;
//   key, page      Alt+Q with nothing selected: the program waits out its
//                  bound for a copy that does not come;
//   key, selection Alt+Q with a selection that Ctrl+C copies as Chrome does,
//                  60 ms after the key.
//
//   bench_quote_key [--runs N] [--kind edit|chrome]...
//
// Without --kind both kinds are measured. Prints, per kind and road, the
// median, minimum and maximum in milliseconds. Exit status: 0 done, 1 a
// round went wrong (its snippet is printed), 2 usage.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "tools/drive/browser_drag.h"
#include "tools/drive/clipboard.h"
#include "tools/drive/drag.h"
#include "tools/drive/input.h"
#include "tools/drive/process.h"
#include "tools/drive/program_folder.h"
#include "tools/drive/standin_browser.h"
#include "tools/drive/standin_selection.h"
#include "tools/drive/window_query.h"

namespace {

using namespace kaveto::drive;

constexpr POINT kPicture = {112, 112};
const std::wstring kTitle = L"\u65e5\u672c\u8a9e\u301c\u30da\u30fc\u30b8";
const std::string kTitleSjis = "\x93\xfa\x96\x7b\x8c\xea\x81\x60\x83\x79\x81\x5b\x83\x57";
const std::wstring kSelection = L"\u6b21\u306e\u301c text";
const std::string kSelectionSjis = "\x8e\x9f\x82\xcc\x81\x60 text";
const std::string kPage = "https://example.jp/bench/quote.html";

struct Figures {
    std::vector<DWORD> ms;
    DWORD median() {
        std::sort(ms.begin(), ms.end());
        return ms.empty() ? 0 : ms[ms.size() / 2];
    }
    DWORD min() const { return ms.empty() ? 0 : *std::min_element(ms.begin(), ms.end()); }
    DWORD max() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
};

int Usage() {
    std::fputs("usage: bench_quote_key [--runs N] [--kind edit|chrome]...\n", stderr);
    return 2;
}

// Runs `act` and times until the clipboard holds `expected`; false, with
// what it held last printed, when it never did.
bool TimeUntil(const char* road, const std::function<void()>& act, const std::string& expected, Figures& figures) {
    DWORD seen = ClipboardSequence();
    std::string last;
    const Stopwatch round;
    act();
    const bool arrived = WaitUntil([&] {
        if (ClipboardSequence() == seen) return false;
        seen = ClipboardSequence();
        last = ClipboardText();
        return last == expected;
    });
    const DWORD took = round.ElapsedMs();
    if (!arrived) {
        std::printf("  %s: the clipboard held \"%s\"\n", road, last.c_str());
        return false;
    }
    figures.ms.push_back(took);
    return true;
}

void Print(const char* kind, const char* road, Figures& f) {
    std::printf("%-8s %-16s %4zu   %6lu %5lu %5lu\n", kind, road, f.ms.size(), static_cast<unsigned long>(f.median()),
                static_cast<unsigned long>(f.min()), static_cast<unsigned long>(f.max()));
    std::fflush(stdout);
}

bool Measure(BrowserKind kind, const char* name, int runs) {
    ProgramFolder folder(OwnFolder(), "kaveto.exe", {"title.txt", "main", "sub", "log"});
    folder.Write("kaveto.ini", "[Window]\r\nTop=100\r\nLeft=100\r\n[Other]\r\nQuoteShortCut=Alt+Q\r\n");
    Process program(folder.exe());
    HWND picture = program.WaitForWindow("TForm1");
    if (!picture) return false;
    StandInBrowser browser({kPage, kTitle}, {kind});
    // The classic kind shows no title, and this page is in no cache.
    const std::string title = kind == BrowserKind::kEditBar ? "" : kTitleSjis;
    const std::string page = title + "\r\n" + kPage + "\r\n";
    const std::string selected = "\x81\x75" + kSelectionSjis + "\x81\x76\r\n" + page;
    Figures clicks, keys, selections;
    bool ok = true;
    // The three roads take turns, so that a busy moment of the machine
    // falls on each alike.
    for (int run = 0; ok && run < runs; ++run) {
        ok = browser.BringToFront() && TimeUntil("double-click", [] { DoubleClickAt(kPicture); }, page, clicks) &&
             browser.BringToFront() && TimeUntil("key, page", [] { Chord({VK_MENU, 'Q'}); }, page, keys);
        if (!ok) break;
        BrowserSelection selection(browser.window(), SelectionDrag(BrowserKind::kChromium, kSelection, kPage));
        ok = browser.BringToFront() && TimeUntil("key, selection", [] { Chord({VK_MENU, 'Q'}); }, selected, selections) &&
             SyncWith(picture);
        if (!ok)
            std::printf("  round %d: the browser took %ld Ctrl+C and copied %ld times\n", run + 1, selection.presses(),
                        selection.copies());
    }
    if (!ok) {
        if (HWND box = program.Window("#32770")) std::printf("  a message box: %s\n", DescribeWindow(box).c_str());
        std::printf("  in front: %s\n", DescribeWindow(::GetForegroundWindow()).c_str());
    }
    ::PostMessageA(picture, WM_CLOSE, 0, 0);
    program.WaitForExit();
    if (!ok) return false;
    Print(name, "double-click", clicks);
    Print(name, "key, page", keys);
    Print(name, "key, selection", selections);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    int runs = 15;
    std::vector<std::pair<BrowserKind, std::string>> kinds;
    for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == "--runs") {
            runs = std::atoi(args[i + 1].c_str());
        } else if (args[i] == "--kind") {
            const auto named = BrowserKindNamed(args[i + 1]);
            if (!named || *named == BrowserKind::kFirefox) return Usage();
            kinds.emplace_back(*named, args[i + 1]);
        } else {
            return Usage();
        }
    }
    if (args.size() % 2 != 0 || runs < 1) return Usage();
    if (kinds.empty()) kinds = {{BrowserKind::kEditBar, "edit"}, {BrowserKind::kChromium, "chrome"}};
    OleThread ole;
    std::printf("kind     road             runs   median   min   max (ms, key press or double-click to clipboard)\n");
    for (const auto& [kind, name] : kinds)
        if (!Measure(kind, name.c_str(), runs)) {
            std::printf("%s: failed\n", name.c_str());
            return 1;
        }
    return 0;
}
