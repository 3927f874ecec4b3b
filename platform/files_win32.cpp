#include "platform/files_win32.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "platform/errors.h"
#include "platform/unique_win32.h"
#include "platform/win32_error.h"
#include "text/text_helpers.h"

namespace kaveto {

bool Win32Files::FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::int64_t Win32Files::FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

FolderState Win32Files::ProbeFolder(const std::string& path) {
    // "file.txt\" would name no file at all: the trailing separator goes,
    // except after a drive ("C:\"), where it names the root.
    std::string name = path;
    while (name.size() > 1 && PathNameStart(name) == name.size() && !(name.size() == 3 && name[1] == ':'))
        name.pop_back();
    const DWORD attributes = ::GetFileAttributesA(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME)
                   ? FolderState::Missing
                   : FolderState::Unlistable;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return FolderState::NotAFolder;
    std::string pattern = name;
    if (PathNameStart(pattern) != pattern.size()) pattern += '\\';
    pattern += '*';
    WIN32_FIND_DATAA entry;
    UniqueFindHandle find(::FindFirstFileA(pattern.c_str(), &entry));
    // A folder with no entry at all (a drive's root may have none) can still
    // be listed.
    if (!find && ::GetLastError() != ERROR_FILE_NOT_FOUND) return FolderState::Unlistable;
    return FolderState::Listable;
}

std::string Win32Files::ReadAll(const std::string& path) {
    std::string content;
    ReadAppend(path, content);
    return content;
}

void Win32Files::ReadAppend(const std::string& path, std::string& out) {
    UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) ThrowLastFileError();
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.get(), &size)) ThrowLastFileError();
    // Read straight into the result; a failure leaves `out` as it was.
    const std::size_t start = out.size();
    try {
        out.resize(start + static_cast<std::size_t>(size.QuadPart) + 1);
        std::size_t done = start;
        for (;;) {
            if (done == out.size()) out.resize(start + (out.size() - start) * 2);
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1u << 24));
            DWORD n = 0;
            if (!::ReadFile(file.get(), out.data() + done, want, &n, nullptr)) ThrowLastFileError();
            if (n == 0) break;
            done += n;
        }
        out.resize(done);
    } catch (...) {
        out.resize(start);
        throw;
    }
}

namespace {

// A temporary file that is deleted when it goes, unless it has taken the
// place of the target.
class TempFile {
public:
    explicit TempFile(std::string path) : path_(std::move(path)) {}
    ~TempFile() {
        if (!path_.empty()) ::DeleteFileA(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& path() const { return path_; }
    void Keep() { path_.clear(); }

private:
    std::string path_;
};

std::string TempNameBeside(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    const std::size_t sep = path.find_last_of("\\/");
    const std::string folder = sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
    char name[64];
    wsprintfA(name, "~kaveto%lx_%u.tmp", static_cast<unsigned long>(::GetCurrentProcessId()), counter++);
    return folder + name;
}

}  // namespace

void Win32Files::WriteWhole(const std::string& path, const std::string& content) {
    // The old file must be one that may be written now: a folder, a read-only
    // file or a file another program holds fails here, before anything is
    // written.
    {
        UniqueFileHandle probe(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe && ::GetLastError() != ERROR_FILE_NOT_FOUND) ThrowLastFileError();
    }

    // The new content goes to a file of its own in the same folder, and only
    // a complete, flushed copy takes the old file's place: a write that fails
    // half-way leaves the old log as it was.
    HANDLE raw = INVALID_HANDLE_VALUE;
    std::string temp_name;
    for (int attempt = 0; attempt < 16 && raw == INVALID_HANDLE_VALUE; ++attempt) {
        temp_name = TempNameBeside(path);
        raw = ::CreateFileA(temp_name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (raw == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) ThrowLastFileError();
    }
    if (raw == INVALID_HANDLE_VALUE) ThrowLastFileError();
    TempFile temp(temp_name);
    {
        UniqueFileHandle file(raw);
        std::size_t done = 0;
        while (done < content.size()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1u << 20));
            DWORD written = 0;
            if (!::WriteFile(file.get(), content.data() + done, chunk, &written, nullptr)) ThrowLastFileError();
            if (written == 0) {
                ::SetLastError(ERROR_DISK_FULL);
                ThrowLastFileError();
            }
            done += written;
        }
        if (!::FlushFileBuffers(file.get())) ThrowLastFileError();
        const HANDLE h = file.release();
        if (!::CloseHandle(h)) ThrowLastFileError();
    }
    if (!::MoveFileExA(temp.path().c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ThrowLastFileError();
    temp.Keep();
}

}  // namespace kaveto
