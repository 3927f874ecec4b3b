#include "platform/errors.h"

#include <cstdio>

namespace kaveto {

std::string FileError::MessageFor(std::uint32_t code) {
    switch (code) {
    case 2: return "File not found";
    case 3: return "Invalid filename";
    case 5: return "File access denied";
    default: {
        char buf[32];
        std::snprintf(buf, sizeof buf, "I/O error %lu", static_cast<unsigned long>(code));
        return buf;
    }
    }
}

static std::string Format(const char* pattern, const std::string& value) {
    std::string text = pattern;
    const auto at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, value);
    return text;
}

FileOpenError::FileOpenError(const std::string& path) : Error(Format("ファイル %s は開けません", path)) {}

ProfileWriteError::ProfileWriteError(const std::string& path) : Error(Format("%s に書き込めません", path)) {}

ListIndexError::ListIndexError(long index)
    : Error("リストのインデックスが範囲を超えています (" + std::to_string(index) + ")") {}

ClipboardError::ClipboardError() : Error("クリップボードを開くことができません") {}

}  // namespace kaveto
