#include "platform/files_native.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/errors.h"
#include "text/text_helpers.h"

namespace kaveto {
namespace {

// Windows system error codes.
constexpr std::uint32_t kFileNotFound = 2;
constexpr std::uint32_t kPathNotFound = 3;
constexpr std::uint32_t kTooManyOpenFiles = 4;
constexpr std::uint32_t kAccessDenied = 5;
constexpr std::uint32_t kNotEnoughMemory = 8;
constexpr std::uint32_t kWriteProtect = 19;
constexpr std::uint32_t kGenFailure = 31;
constexpr std::uint32_t kSharingViolation = 32;
constexpr std::uint32_t kFileExists = 80;
constexpr std::uint32_t kDiskFull = 112;
constexpr std::uint32_t kFilenameTooLong = 206;
constexpr std::uint32_t kFileTooLarge = 223;
constexpr std::uint32_t kIoDevice = 1117;

std::string FolderOf(const std::string& native_path) {
    const std::size_t slash = native_path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return native_path.substr(0, slash);
}

[[noreturn]] void Fail(int error, const std::string& native_path) {
    throw FileError(WindowsErrorCode(error, native_path));
}

// Closes a descriptor when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int Close() {
        int rc = 0;
        if (fd_ >= 0) rc = ::close(fd_);
        fd_ = -1;
        return rc;
    }

private:
    int fd_;
};

void WriteFully(int fd, const std::string& content, const std::string& native_path) {
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail(errno, native_path);
        }
        if (n == 0) Fail(ENOSPC, native_path);
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace

std::string NativePath(const std::string& path) {
    std::string native = path;
    for (std::size_t i = 0; i < native.size(); i += CharLength(native, i))
        if (native[i] == '\\') native[i] = '/';
    return native;
}

std::uint32_t WindowsErrorCode(int error, const std::string& native_path) {
    switch (error) {
    case ENOENT: {
        // Windows tells a missing file from a missing folder.
        struct stat st;
        const std::string folder = FolderOf(native_path);
        return (::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ? kFileNotFound : kPathNotFound;
    }
    case ENOTDIR: return kPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR: return kAccessDenied;
    case EROFS: return kWriteProtect;
    case EBUSY:
    case ETXTBSY: return kSharingViolation;
    case EEXIST: return kFileExists;
    case EMFILE:
    case ENFILE: return kTooManyOpenFiles;
    case ENOMEM: return kNotEnoughMemory;
    case ENOSPC:
    case EDQUOT: return kDiskFull;
    case EFBIG: return kFileTooLarge;
    case ENAMETOOLONG: return kFilenameTooLong;
    case EIO: return kIoDevice;
    default: return kGenFailure;
    }
}

bool NativeFiles::FileExists(const std::string& path) {
    struct stat st;
    return ::stat(NativePath(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::int64_t NativeFiles::FileSize(const std::string& path) {
    struct stat st;
    if (::stat(NativePath(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
    return st.st_size;
}

FolderState NativeFiles::ProbeFolder(const std::string& path) {
    // "file/" would name no file at all: the trailing separator goes.
    std::string native = NativePath(path);
    while (native.size() > 1 && native.back() == '/') native.pop_back();
    struct stat st;
    if (::stat(native.c_str(), &st) != 0)
        return (errno == ENOENT || errno == ENOTDIR) ? FolderState::Missing : FolderState::Unlistable;
    if (!S_ISDIR(st.st_mode)) return FolderState::NotAFolder;
    DIR* dir = ::opendir(native.c_str());
    if (!dir) return FolderState::Unlistable;
    ::closedir(dir);
    return FolderState::Listable;
}

std::string NativeFiles::ReadAll(const std::string& path) {
    std::string content;
    ReadAppend(path, content);
    return content;
}

void NativeFiles::ReadAppend(const std::string& path, std::string& out) {
    const std::string native = NativePath(path);
    Descriptor fd(::open(native.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) Fail(errno, native);
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) Fail(errno, native);
    if (S_ISDIR(st.st_mode)) Fail(EISDIR, native);
    // Read straight into the result; a file that grows meanwhile is read
    // to its new end, and a failure leaves `out` as it was.
    const std::size_t start = out.size();
    try {
        out.resize(start + static_cast<std::size_t>(st.st_size) + 1);
        std::size_t done = start;
        for (;;) {
            if (done == out.size()) out.resize(start + (out.size() - start) * 2);
            const ssize_t n = ::read(fd.get(), out.data() + done, out.size() - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                Fail(errno, native);
            }
            if (n == 0) break;
            done += static_cast<std::size_t>(n);
        }
        out.resize(done);
    } catch (...) {
        out.resize(start);
        throw;
    }
}

void NativeFiles::WriteWhole(const std::string& path, const std::string& content) {
    const std::string native = NativePath(path);
    const std::string folder = FolderOf(native);
    mode_t mode = 0666 & ~0022;
    struct stat st;
    if (::stat(native.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) Fail(EISDIR, native);
        // A file the user may not write stays as it is, as it would if it
        // were rewritten in place.
        Descriptor probe(::open(native.c_str(), O_WRONLY | O_CLOEXEC));
        if (probe.get() < 0) Fail(errno, native);
        mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        Fail(errno, native);
    }

    // The new content goes to a file of its own in the same folder, and only
    // a complete, flushed copy takes the old file's place: a write that
    // fails half-way leaves the old log as it was.
    std::string temp = native;
    const std::size_t slash = native.rfind('/');
    temp.insert(slash == std::string::npos ? 0 : slash + 1, ".");
    temp += ".XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    Descriptor fd(::mkstemp(name.data()));
    if (fd.get() < 0) Fail(errno, native);
    const std::string temp_path(name.data());
    try {
        if (::fchmod(fd.get(), mode) != 0) Fail(errno, native);
        WriteFully(fd.get(), content, native);
        if (::fsync(fd.get()) != 0) Fail(errno, native);
        if (fd.Close() != 0) Fail(errno, native);
        if (::rename(temp_path.c_str(), native.c_str()) != 0) Fail(errno, native);
    } catch (...) {
        ::unlink(temp_path.c_str());
        throw;
    }
    // The new name is made durable too; a failure here loses nothing.
    Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
}

}  // namespace kaveto
