#include "tools/drive/console_run.h"

#include "platform/unique_win32.h"

namespace kaveto::drive {

std::string WindowsPath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

namespace {

// A temporary file that child processes may inherit, gone when the last
// handle to it closes.
UniqueFileHandle InheritableTempFile() {
    char folder[MAX_PATH], name[MAX_PATH];
    ::GetTempPathA(MAX_PATH, folder);
    ::GetTempFileNameA(folder, "kvc", 0, name);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return UniqueFileHandle(::CreateFileA(name, GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
}

std::string ReadFromStart(HANDLE file) {
    ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    std::string text;
    char buffer[65536];
    DWORD n = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0) text.append(buffer, n);
    return text;
}

}  // namespace

ConsoleRun RunConsole(const std::string& exe, const std::string& arguments, HANDLE input, DWORD timeout_ms) {
    ConsoleRun run;
    UniqueFileHandle out = InheritableTempFile(), err = InheritableTempFile();
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    UniqueFileHandle nul;
    if (!input) {
        nul.reset(::CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                                nullptr));
        input = nul.get();
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = out.get();
    startup.hStdError = err.get();
    std::string command = "\"" + exe + "\" " + arguments;
    PROCESS_INFORMATION info{};
    if (!out || !err ||
        !::CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &startup, &info)) {
        run.start_error = ::GetLastError();
        return run;
    }
    UniqueHandle process(info.hProcess), thread(info.hThread);

    // Wake for the end of the process or for a message to pump, until the
    // deadline.
    const ULONGLONG deadline = ::GetTickCount64() + timeout_ms;
    for (;;) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) break;
        const HANDLE waited = process.get();
        const DWORD r =
            ::MsgWaitForMultipleObjects(1, &waited, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) {
            run.exited = true;
            break;
        }
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    }
    if (!run.exited) {
        ::TerminateProcess(process.get(), 99);
        ::WaitForSingleObject(process.get(), 5000);
        return run;
    }
    ::GetExitCodeProcess(process.get(), &run.exit_code);
    run.out = ReadFromStart(out.get());
    run.err = ReadFromStart(err.get());
    return run;
}

}  // namespace kaveto::drive
