#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>

#include "tools/kavetoctl/commands.h"

namespace kaveto::ctl {

// Byte-exact input and output: no CR LF translation.
void SetBinaryStdio() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
}

std::string FolderArgument(const std::string& argument) {
    // "C:\Kaveto\" typed in quotes arrives as C:\Kaveto" (the backslash
    // escapes the closing quote); a quote is never part of a Windows path.
    std::string folder = argument;
    if (!folder.empty() && folder.back() == '"') folder.pop_back();
    return folder;
}

char PathSeparator() { return '\\'; }

// The console shows the ANSI code page, the code of the program's texts.
std::string ConsoleMessage(const std::string& text, const std::string&) { return text; }

const char* SystemUsageNote() { return ""; }

bool ReadStandardInput(std::string& text) {
    const HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
    if (in == nullptr || in == INVALID_HANDLE_VALUE) {
        text.clear();
        return true;  // no standard input at all reads as empty
    }
    // A file on disk tells its size: what is left of it from the current
    // position arrives in one allocation. One byte more lets the end be seen
    // without growing the text.
    std::size_t expected = 64 * 1024;
    LARGE_INTEGER size, at;
    const LARGE_INTEGER zero{};
    if (::GetFileType(in) == FILE_TYPE_DISK && ::GetFileSizeEx(in, &size) &&
        ::SetFilePointerEx(in, zero, &at, FILE_CURRENT) && size.QuadPart >= at.QuadPart)
        expected = static_cast<std::size_t>(size.QuadPart - at.QuadPart) + 1;
    text.resize(expected);
    std::size_t done = 0;
    for (;;) {
        // A pipe, or a file that grew meanwhile: the text doubles.
        if (done == text.size()) text.resize(text.size() * 2);
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1u << 30));
        DWORD n = 0;
        if (!::ReadFile(in, text.data() + done, want, &n, nullptr)) {
            // The writing end of a pipe has closed: that is its end.
            if (::GetLastError() == ERROR_BROKEN_PIPE) break;
            text.clear();
            return false;
        }
        if (n == 0) break;
        done += n;
    }
    text.resize(done);
    return true;
}

}  // namespace kaveto::ctl
