// Start-up and footprint: the real kaveto.exe, in a fresh program folder,
// started again and again. Each round times from the start of the process to
// its picture window (class "TForm1") being shown, waits until the program
// is idle (waiting for input, and a message sent to its window answered),
// and reads its private memory (GetProcessMemoryInfo's PrivateUsage) and its
// handle count (GetProcessHandleCount); then the program is closed as a user
// closes it. One round before the timed ones is not counted, so that every
// timed start finds the system warm.
//
// Wine answers those two calls in full for the calling process only: for
// another one, PrivateUsage is 0 and the handle count is always 0. Then the
// bench reads what Wine gives the process itself as PrivateUsage: its
// anonymous resident memory and swap (RssAnon and VmSwap in its
// /proc/PID/status, found through the Z: drive by the program's path in
// /proc/PID/cmdline); and it counts the process's handles in the system's
// handle table (NtQuerySystemInformation).
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
#include <psapi.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/unique_win32.h"
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

// The handles the process holds, counted in the system's handle table.
std::optional<unsigned long> HandlesInTable(DWORD pid) {
    struct Entry {
        PVOID object;
        ULONG_PTR process;
        ULONG_PTR handle;
        ULONG access;
        USHORT creator;
        USHORT type;
        ULONG attributes;
        ULONG reserved;
    };
    struct Table {
        ULONG_PTR count;
        ULONG_PTR reserved;
        Entry entries[1];
    };
    constexpr ULONG kExtendedHandleInformation = 64;
    constexpr LONG kLengthMismatch = static_cast<LONG>(0xC0000004);
    using Query = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query =
        reinterpret_cast<Query>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return std::nullopt;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        ULONG needed = 0;
        const LONG status = query(kExtendedHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == kLengthMismatch) {
            buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
            continue;
        }
        if (status < 0) return std::nullopt;
        break;
    }
    const auto* table = reinterpret_cast<const Table*>(buffer.data());
    const std::size_t room = (buffer.size() - offsetof(Table, entries)) / sizeof(Entry);
    unsigned long count = 0;
    for (std::size_t i = 0; i < std::min<std::size_t>(table->count, room); ++i)
        if (table->entries[i].process == pid) ++count;
    return count;
}

// Under Wine: the Unix process whose command line starts with the program's
// path, and its anonymous resident memory and swap, in KiB.
std::optional<unsigned long> UnixPrivateKib(const std::string& exe) {
    WIN32_FIND_DATAA found;
    kaveto::UniqueFindHandle find(::FindFirstFileA("Z:\\proc\\*", &found));
    if (!find) return std::nullopt;
    do {
        const std::string name = found.cFileName;
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream cmdline("Z:\\proc\\" + name + "\\cmdline", std::ios::binary);
        std::string command;
        std::getline(cmdline, command, '\0');
        if (_stricmp(command.c_str(), exe.c_str()) != 0) continue;
        std::ifstream status("Z:\\proc\\" + name + "\\status");
        unsigned long kib = 0;
        bool seen = false;
        for (std::string line; std::getline(status, line);) {
            std::istringstream fields(line);
            std::string key;
            unsigned long value = 0;
            if ((fields >> key >> value) && (key == "RssAnon:" || key == "VmSwap:")) {
                kib += value;
                seen = true;
            }
        }
        if (seen) return kib;
    } while (::FindNextFileA(find.get(), &found));
    return std::nullopt;
}

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
    kaveto::UniqueHandle handle(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE,
                                              process.pid()));
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    DWORD handle_count = 0;
    // A console program (the stand-in) has no input-idle state: the round
    // trip through its window stands for it.
    const bool idle = handle && ::WaitForInputIdle(handle.get(), kPatienceMs) != WAIT_TIMEOUT && SyncWith(window);
    if (!idle || !::GetProcessMemoryInfo(handle.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                                         sizeof memory) ||
        !::GetProcessHandleCount(handle.get(), &handle_count)) {
        std::printf("  %s: the idle process could not be read (error %lu)\n", program.name, ::GetLastError());
        return false;
    }
    std::optional<unsigned long> private_kib = static_cast<unsigned long>(memory.PrivateUsage / 1024);
    std::optional<unsigned long> handles = handle_count;
    if (*private_kib == 0) private_kib = UnixPrivateKib(program.exe);
    if (*handles == 0) handles = HandlesInTable(process.pid());
    if (!private_kib || !handles) {
        std::printf("  %s: the %s could not be read\n", program.name, private_kib ? "handles" : "private memory");
        return false;
    }
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    if (!process.WaitForExit()) {
        std::printf("  %s: did not end after WM_CLOSE\n", program.name);
        return false;
    }
    if (results) {
        results->start_ms.values.push_back(took);
        results->private_kib.values.push_back(*private_kib);
        results->handles.values.push_back(*handles);
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
