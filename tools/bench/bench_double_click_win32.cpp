// Double-click to clipboard: the real kaveto.exe, in a fresh program folder,
// quotes a stand-in browser whose page only its accessibility tree tells.
// Each round brings the browser to the front, double-clicks the picture and
// times until the clipboard changes. Then the walk alone is timed from a
// process of its own, as the program walks, and its objects counted.
//
//   bench_double_click [--runs N] [--kind chrome|firefox] [--tree page|huge|silent|hung]...
//
// Without --tree every answer is measured in turn. Prints, per answer, the
// median, minimum and maximum of the double-clicks and of the walks alone,
// the questions the tree answered per double-click (role, name, value,
// children) and the objects the walk visited. Exit status: 0 done, 1 a round went
// wrong (its snippet is printed), 2 usage.
//
//   bench_double_click walk HWND           one walk of that window: "visited ms found"
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/accessibility_win32.h"
#include "tools/drive/clipboard.h"
#include "tools/drive/drag.h"
#include "tools/drive/input.h"
#include "tools/drive/process.h"
#include "tools/drive/program_folder.h"
#include "tools/drive/standin_browser.h"
#include "tools/drive/window_query.h"

namespace {

using namespace kaveto::drive;

constexpr POINT kPicture = {112, 112};
constexpr DWORD kHangMs = 10000;
const std::wstring kTitle = L"\u65e5\u672c\u8a9e\u301c\u30da\u30fc\u30b8";
const std::string kTitleSjis = "\x93\xfa\x96\x7b\x8c\xea\x81\x60\x83\x79\x81\x5b\x83\x57";
const std::string kPage = "https://example.jp/bench/page.html";

struct Answer {
    const char* name;
    TreeAnswer tree;
    bool hang;  // the window's thread hangs
};
constexpr Answer kAnswers[] = {
    {"page", TreeAnswer::kPage, false},
    {"huge", TreeAnswer::kHuge, false},
    {"silent", TreeAnswer::kSilent, false},
    {"hung", TreeAnswer::kPage, true},
};

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
    std::fputs("usage: bench_double_click [--runs N] [--kind chrome|firefox] [--tree page|huge|silent|hung]...\n"
               "       bench_double_click walk HWND\n",
               stderr);
    return 2;
}

// One walk, as the program makes it, from this process.
int WalkOnce(HWND window) {
    OleThread ole;
    kaveto::Win32Accessibility reader;
    const Stopwatch walk;
    const kaveto::AccessiblePage page = reader.ReadPage(reinterpret_cast<kaveto::WindowHandle>(window));
    std::printf("%d %lu %d\n", page.visited, walk.ElapsedMs(), page.document_value.empty() ? 0 : 1);
    return 0;
}

// A browser that has stopped answering is made to answer again; true once
// its thread has caught up.
bool Release(StandInBrowser& browser) {
    browser.EndHang();
    return SyncWith(browser.window()) && WaitUntil([&] { return !browser.Hanging(); });
}

// Makes the browser stop answering for the next round, as `answer` says.
bool Silence(StandInBrowser& browser, const Answer& answer) {
    if (answer.hang) {
        browser.Hang(kHangMs);
        return WaitUntil([&] { return browser.Hanging(); });
    }
    if (answer.tree == TreeAnswer::kSilent) browser.Rearm();  // its questions wait again
    return true;
}

// The walk alone from another process, `runs` times: its times and the
// objects it visited (the same each time for a tree that answers).
bool TimeWalks(StandInBrowser& browser, const Answer& answer, int runs, Figures& times, std::string& visited) {
    for (int run = 0; run < runs; ++run) {
        if (!Silence(browser, answer)) return false;
        Process walker(OwnFolder() + "bench_double_click.exe",
                       {"walk " + std::to_string(reinterpret_cast<UINT_PTR>(browser.window())), "", true});
        const std::string line = walker.ReadLine();
        walker.WaitForExit();
        if (!Release(browser)) return false;
        int count = 0, found = 0;
        unsigned long ms = 0;
        if (std::sscanf(line.c_str(), "%d %lu %d", &count, &ms, &found) != 3) {
            std::printf("  the walk printed \"%s\"\n", line.c_str());
            return false;
        }
        times.ms.push_back(static_cast<DWORD>(ms));
        const std::string seen = std::to_string(count) + (found ? " (address found)" : "");
        if ((", " + visited + ",").find(", " + seen + ",") == std::string::npos)
            visited += (visited.empty() ? "" : ", ") + seen;
    }
    return true;
}

// `runs` double-clicks; false, with the snippet printed, when one quoted
// something else than expected.
bool TimeDoubleClicks(StandInBrowser& browser, const Answer& answer, int runs, const std::string& expected,
                      Figures& times, long& questions) {
    const long asked_before = browser.TreeQuestions();
    for (int run = 0; run < runs; ++run) {
        if (!browser.BringToFront()) {
            std::printf("  the browser did not come to the front\n");
            return false;
        }
        if (!Silence(browser, answer)) return false;
        const Stopwatch click;
        const std::optional<std::string> quoted = ClipboardAfter([] { DoubleClickAt(kPicture); });
        const DWORD took = click.ElapsedMs();
        if (!Release(browser)) return false;
        if (quoted != expected) {
            std::printf("  round %d quoted \"%s\"\n", run + 1, quoted ? quoted->c_str() : "(nothing)");
            return false;
        }
        times.ms.push_back(took);
    }
    questions = (browser.TreeQuestions() - asked_before) / runs;
    return true;
}

bool Measure(BrowserKind kind, const Answer& answer, int runs) {
    ProgramFolder folder(OwnFolder(), "kaveto.exe", {"title.txt", "main", "sub", "log"});
    folder.Write("kaveto.ini", "[Window]\r\nTop=100\r\nLeft=100\r\n");
    Process program(folder.exe());
    HWND picture = program.WaitForWindow("TForm1");
    if (!picture) return false;
    StandInBrowser browser({kPage, kTitle}, {kind, answer.tree});
    // A browser that answers is quoted whole; from one that does not, a
    // fresh program has no address to give.
    const bool answers = answer.tree == TreeAnswer::kPage && !answer.hang;
    const std::string expected = answers ? kTitleSjis + "\r\n" + kPage + "\r\n" : "\r\n\r\n";
    Figures clicks, walks;
    std::string visited;
    long questions = 0;
    const bool ok = TimeDoubleClicks(browser, answer, runs, expected, clicks, questions) &&
                    TimeWalks(browser, answer, runs, walks, visited);
    ::PostMessageA(picture, WM_CLOSE, 0, 0);
    program.WaitForExit();
    if (!ok) return false;
    std::printf("%-7s %4zu   %6lu %5lu %5lu   %6lu %5lu %5lu   %9ld   %s\n", answer.name, clicks.ms.size(),
                static_cast<unsigned long>(clicks.median()), static_cast<unsigned long>(clicks.min()),
                static_cast<unsigned long>(clicks.max()), static_cast<unsigned long>(walks.median()),
                static_cast<unsigned long>(walks.min()), static_cast<unsigned long>(walks.max()), questions,
                visited.c_str());
    std::fflush(stdout);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "walk")
        return WalkOnce(reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(args[1].c_str(), nullptr, 10))));
    int runs = 15;
    BrowserKind kind = BrowserKind::kChromium;
    std::vector<Answer> answers;
    for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == "--runs") {
            runs = std::atoi(args[i + 1].c_str());
        } else if (args[i] == "--kind") {
            const auto named = BrowserKindNamed(args[i + 1]);
            if (!named || *named == BrowserKind::kEditBar) return Usage();
            kind = *named;
        } else if (args[i] == "--tree") {
            const auto found = std::find_if(std::begin(kAnswers), std::end(kAnswers),
                                            [&](const Answer& a) { return args[i + 1] == a.name; });
            if (found == std::end(kAnswers)) return Usage();
            answers.push_back(*found);
        } else {
            return Usage();
        }
    }
    if (args.size() % 2 != 0 || runs < 1) return Usage();
    if (answers.empty()) answers.assign(std::begin(kAnswers), std::end(kAnswers));
    OleThread ole;
    std::printf("tree    runs   double-click (ms)      walk alone (ms)      questions   objects visited\n"
                "               median   min   max   median   min   max   per click\n");
    for (const Answer& answer : answers)
        if (!Measure(kind, answer, runs)) {
            std::printf("%s: failed\n", answer.name);
            return 1;
        }
    return 0;
}
