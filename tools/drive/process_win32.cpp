#include "tools/drive/process.h"

#include <algorithm>
#include <stdexcept>

#include "tools/drive/window_query.h"

namespace kaveto::drive {

Process::Process(const std::string& exe, const Options& options) {
    std::string folder = options.folder.empty() ? FolderOf(exe) : options.folder;
    std::string command = "\"" + exe + "\"" + (options.arguments.empty() ? "" : " " + options.arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    UniqueHandle write_end;
    if (options.capture_output) {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        HANDLE read = nullptr, write = nullptr;
        if (!::CreatePipe(&read, &write, &inherit, 0)) throw std::runtime_error("cannot make a pipe");
        output_.reset(read);
        write_end.reset(write);
        ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = write;
    }
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, options.capture_output, 0, nullptr,
                          folder.c_str(), &startup, &info))
        throw std::runtime_error("cannot start " + exe + " (error " + std::to_string(::GetLastError()) + ")");
    process_.reset(info.hProcess);
    thread_.reset(info.hThread);
    pid_ = info.dwProcessId;
}

Process::~Process() {
    if (Running()) Terminate();
}

bool Process::Running() const { return ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

bool Process::WaitForExit(DWORD timeout_ms) {
    return WaitUntil([this] { return !Running(); }, timeout_ms);
}

DWORD Process::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process_.get(), &code);
    return code;
}

void Process::Terminate() {
    ::TerminateProcess(process_.get(), 99);
    ::WaitForSingleObject(process_.get(), kPatienceMs);
}

void Process::TakeOutput() {
    DWORD available = 0;
    while (output_ && ::PeekNamedPipe(output_.get(), nullptr, 0, nullptr, &available, nullptr) && available) {
        std::string chunk(available, '\0');
        DWORD got = 0;
        if (!::ReadFile(output_.get(), chunk.data(), available, &got, nullptr) || !got) return;
        pending_output_.append(chunk, 0, got);
    }
}

std::string Process::ReadLine(DWORD timeout_ms) {
    std::size_t end = std::string::npos;
    WaitUntil(
        [&] {
            TakeOutput();
            return (end = pending_output_.find('\n')) != std::string::npos;
        },
        timeout_ms);
    if (end == std::string::npos) return {};
    std::string line = pending_output_.substr(0, end);
    pending_output_.erase(0, end + 1);
    while (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

HWND Process::Window(const std::string& class_name) const { return FindTopWindow({pid_, class_name}); }

HWND Process::WaitForWindow(const std::string& class_name, DWORD timeout_ms) const {
    return WaitForTopWindow({pid_, class_name}, timeout_ms);
}

std::string FolderOf(const std::string& path) {
    std::string folder = path.substr(0, path.find_last_of("\\/") + 1);
    std::replace(folder.begin(), folder.end(), '/', '\\');
    return folder;
}

std::string OwnFolder() {
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    return FolderOf(self);
}

}  // namespace kaveto::drive
