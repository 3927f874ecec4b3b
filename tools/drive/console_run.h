#pragma once
// Runs a console program as a command prompt would: standard input from a
// handle the caller gives, standard output and standard error caught in
// files, and a wait for its end that polls against a deadline.
#include <windows.h>

#include <string>

namespace kaveto::drive {

struct ConsoleRun {
    bool exited = false;  // false: it did not start, or was killed at the deadline
    DWORD start_error = 0;  // why it did not start
    DWORD exit_code = 0;
    std::string out, err;
};

// A Windows path: the build hands folders over with forward slashes.
std::string WindowsPath(std::string path);

// `input` must be inheritable; null gives the program the NUL device.
ConsoleRun RunConsole(const std::string& exe, const std::string& arguments, HANDLE input = nullptr,
                      DWORD timeout_ms = 30000);

}  // namespace kaveto::drive
