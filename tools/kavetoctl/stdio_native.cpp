#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "tools/kavetoctl/commands.h"

namespace kaveto::ctl {

void SetBinaryStdio() {}

std::string FolderArgument(const std::string& argument) { return argument; }

namespace {

// Reads into `text` from `done` on until the end of the input or of the
// text; the number of bytes it then holds, or -1 on an error.
ssize_t ReadInto(std::string& text, std::size_t done) {
    while (done < text.size()) {
        const ssize_t n = ::read(STDIN_FILENO, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

}  // namespace

bool ReadStandardInput(std::string& text) {
    text.clear();
    // A regular file tells its size: what is left of it from the current
    // offset (the shell may have read part of it) arrives in one allocation.
    // One byte more lets the end be seen without growing the text.
    struct stat st;
    if (::fstat(STDIN_FILENO, &st) == 0 && S_ISREG(st.st_mode)) {
        const off_t at = ::lseek(STDIN_FILENO, 0, SEEK_CUR);
        if (at >= 0 && st.st_size >= at) {
            text.resize(static_cast<std::size_t>(st.st_size - at) + 1);
            const ssize_t got = ReadInto(text, 0);
            if (got < 0) {
                text.clear();
                return false;
            }
            const bool at_end = static_cast<std::size_t>(got) < text.size();
            text.resize(static_cast<std::size_t>(got));
            if (at_end) return true;
        }
    }
    // A pipe, or a file that grew meanwhile: chunk by chunk.
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            text.clear();
            return false;
        }
        if (n == 0) return true;
        text.append(chunk, static_cast<std::size_t>(n));
    }
}

}  // namespace kaveto::ctl
