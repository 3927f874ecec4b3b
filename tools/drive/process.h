#pragma once
// Other programs run by the driver: started, watched, their windows found,
// their output read, and ended by force if they still run when their owner
// goes (also when a test fails).
#include <windows.h>

#include <string>

#include "platform/unique_win32.h"
#include "tools/drive/wait.h"

namespace kaveto::drive {

class Process {
public:
    struct Options {
        std::string arguments;      // after the quoted program path
        std::string folder;         // the working folder; empty: the program's own
        bool capture_output = false;  // stdout and stderr, for ReadLine
    };
    explicit Process(const std::string& exe, const Options& options);
    explicit Process(const std::string& exe) : Process(exe, Options{}) {}
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    DWORD pid() const { return pid_; }
    bool Running() const;
    // Waits for the end, pumping this thread's messages meanwhile.
    bool WaitForExit(DWORD timeout_ms = kPatienceMs);
    DWORD ExitCode() const;
    void Terminate();

    // The next line of the captured output without its line end; "" when
    // none came in time.
    std::string ReadLine(DWORD timeout_ms = kPatienceMs);

    // A visible top-level window of this process with the class, or null.
    HWND Window(const std::string& class_name) const;
    HWND WaitForWindow(const std::string& class_name, DWORD timeout_ms = kPatienceMs) const;

private:
    void TakeOutput();

    UniqueHandle process_, thread_, output_;
    DWORD pid_ = 0;
    std::string pending_output_;
};

// The folder of a program file, with a trailing backslash; "Z:/a/b.exe" gives
// "Z:\a\".
std::string FolderOf(const std::string& path);
// The folder of this process's executable, with a trailing backslash.
std::string OwnFolder();

}  // namespace kaveto::drive
