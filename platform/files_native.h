#pragma once
// Files on a POSIX system, named with Windows paths: "\" separates folders
// as "/" does. Failures carry the Windows system error code that the same
// failure gives on Windows, so the user sees the same texts.
#include "platform/seams.h"

namespace kaveto {

class NativeFiles : public Files {
public:
    bool FileExists(const std::string& path) override;
    std::string ReadAll(const std::string& path) override;
    void ReadAppend(const std::string& path, std::string& out) override;
    void WriteWhole(const std::string& path, const std::string& content) override;
    std::int64_t FileSize(const std::string& path) override;
    FolderState ProbeFolder(const std::string& path) override;
};

// The path with every "\" turned into "/"; the second byte of a
// double-byte character stays as it is.
std::string NativePath(const std::string& path);

// The Windows system error code for an errno value met on `path`.
std::uint32_t WindowsErrorCode(int error, const std::string& native_path);

}  // namespace kaveto
