// Start-up and footprint: the real kaveto.exe, in a fresh program folder,
// started again and again. Each round times from the start of the process to
// its picture window (class "TForm1") being shown, waits until the program
// is idle (waiting for input, and a message sent to its window answered),
// and reads its private memory (GetProcessMemoryInfo's PrivateUsage) and its
// handle count (GetProcessHandleCount); then the program is closed as a user
// closes it. One round before the timed ones is not counted, so that every
// timed start finds the system warm.
//
// Wine answers those two calls in full for the calling process only; for
// another one the figures are read as tools/drive/footprint.h says.
//
// For comparison, the stand-in browser (tools/standin: a console program
// that shows a frame with one edit box, built the same way) is measured the
// same way; its output is taken through a pipe, whose handles it holds.
//
//   bench_startup [--runs N]
//
// Prints the median, minimum and maximum of each figure. Exit status: 0
// done, 1 a round went wrong, 2 usage.
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/unique_win32.h"
#include "tools/drive/footprint.h"
#include "tools/drive/process.h"
#include "tools/drive/program_folder.h"
#include "tools/drive/wait.h"
#include "tools/drive/window_query.h"

namespace {

using namespace kaveto::drive;

struct Figures {
    std::vector<unsigned long> values;
    unsigned long median() const {
        std::vector<unsigned long> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0 : sorted[sorted.size() / 2];
    }
    unsigned long min() const { return values.empty() ? 0 : *std::min_element(values.begin(), values.end()); }
    unsigned long max() const { return values.empty() ? 0 : *std::max_element(values.begin(), values.end()); }
};

struct Program {
    const char* name;
    std::string exe, arguments, window_class;
    bool prints;  // its output is taken
};

struct Results {
    Figures start_ms, private_kib, handles;
};

// One start: false, with what went wrong printed, when the window did not
// come or the process could not be read.
bool Round(const Program& program, Results* results) {
    const Stopwatch clock;
    Process process(program.exe, {program.arguments, "", program.prints});
    const HWND window = process.WaitForWindow(program.window_class);
    const DWORD took = clock.ElapsedMs();
    if (!window) {
        std::printf("  %s: no window of class %s\n", program.name, program.window_class.c_str());
        return false;
    }
    kaveto::UniqueHandle handle(::OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE,
                                              process.pid()));
    // A console program (the stand-in) has no input-idle state: the round
    // trip through its window stands for it.
    const bool idle = handle && ::WaitForInputIdle(handle.get(), kPatienceMs) != WAIT_TIMEOUT && SyncWith(window);
    const std::optional<Footprint> footprint = idle ? FootprintOf(process.pid()) : std::nullopt;
    if (!footprint) {
        std::printf("  %s: the idle process could not be read (error %lu)\n", program.name, ::GetLastError());
        return false;
    }
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    if (!process.WaitForExit()) {
        std::printf("  %s: did not end after WM_CLOSE\n", program.name);
        return false;
    }
    if (results) {
        results->start_ms.values.push_back(took);
        results->private_kib.values.push_back(static_cast<unsigned long>(footprint->private_bytes / 1024));
        results->handles.values.push_back(footprint->handles);
    }
    return true;
}

bool Measure(const Program& program, int runs) {
    if (!Round(program, nullptr)) return false;
    Results results;
    for (int run = 0; run < runs; ++run)
        if (!Round(program, &results)) return false;
    const auto row = [](const Figures& f) {
        std::printf("   %6lu %6lu %6lu", f.median(), f.min(), f.max());
    };
    std::printf("%-15s %4d", program.name, runs);
    row(results.start_ms);
    row(results.private_kib);
    row(results.handles);
    std::printf("\n");
    std::fflush(stdout);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 20;
    if (argc == 3 && std::string(argv[1]) == "--runs") {
        runs = std::atoi(argv[2]);
    } else if (argc != 1) {
        runs = 0;
    }
    if (runs < 1) {
        std::fputs("usage: bench_startup [--runs N]\n", stderr);
        return 2;
    }
    ProgramFolder folder(OwnFolder(), "kaveto.exe", {"title.txt", "main", "sub", "log"});
    folder.Write("kaveto.ini", "[Window]\r\nTop=100\r\nLeft=100\r\n");
    const Program programs[] = {
        {"kaveto.exe", folder.exe(), "", "TForm1", false},
        {"stand-in window", OwnFolder() + "standin_browser.exe", "show --kind edit http://example.com/ 60",
         "KavetoStandInBrowser", true},
    };
    std::printf("program         runs   start to window (ms)    private memory (KiB)   handles\n"
                "                       median    min    max   median    min    max   median    min    max\n");
    for (const Program& program : programs)
        if (!Measure(program, runs)) {
            std::printf("%s: failed\n", program.name);
            return 1;
        }
    return 0;
}
