#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "text/text_helpers.h"
#include "text/unicode.h"
#include "tools/kavetoctl/commands.h"

namespace kaveto::ctl {

void SetBinaryStdio() {}

std::string FolderArgument(const std::string& argument) { return argument; }

char PathSeparator() { return '/'; }

std::string ConsoleMessage(const std::string& text, const std::string& as_typed) {
    std::string out, shift_jis;
    for (std::size_t i = 0; i < text.size();) {
        if (!as_typed.empty() && text.compare(i, as_typed.size(), as_typed) == 0) {
            out += ShiftJisToUtf8(shift_jis) + as_typed;
            shift_jis.clear();
            i += as_typed.size();
            continue;
        }
        // Whole characters: the folder never begins on a second byte.
        const std::size_t length = CharLength(text, i);
        shift_jis.append(text, i, length);
        i += length;
    }
    return out + ShiftJisToUtf8(shift_jis);
}

const char* SystemUsageNote() {
    return "  --utf8 (title, rules, settings, shortcut, compose): print the text in UTF-8 rather than Shift_JIS;\n"
           "  messages are in UTF-8 always\n";
}

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
