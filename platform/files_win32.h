#pragma once
// Files through the Win32 file functions; failures carry GetLastError.
#include "platform/seams.h"

namespace kaveto {

class Win32Files : public Files {
public:
    bool FileExists(const std::string& path) override;
    std::string ReadAll(const std::string& path) override;
    void ReadAppend(const std::string& path, std::string& out) override;
    void WriteWhole(const std::string& path, const std::string& content) override;
    std::int64_t FileSize(const std::string& path) override;
    FolderState ProbeFolder(const std::string& path) override;
};

}  // namespace kaveto
