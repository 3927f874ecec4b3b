#pragma once
// The program's exceptions for files, lists, the clipboard and OLE. Each
// carries the text the user sees; the kinds differ so that callers and tests
// can tell them apart.
#include <cstdint>
#include <string>

#include "text/error.h"

namespace kaveto {

// A file error with the system's error code: 2 "File not found",
// 3 "Invalid filename", 5 "File access denied", otherwise "I/O error %d".
class FileError : public Error {
public:
    explicit FileError(std::uint32_t code) : Error(MessageFor(code)), code_(code) {}
    std::uint32_t code() const { return code_; }
    static std::string MessageFor(std::uint32_t code);

private:
    std::uint32_t code_;
};

// A file that could not be opened at all: "ファイル %s は開けません".
class FileOpenError : public Error {
public:
    explicit FileOpenError(const std::string& path);
};

// A settings value the system would not write: "%s に書き込めません".
class ProfileWriteError : public Error {
public:
    explicit ProfileWriteError(const std::string& path);
};

// "リストのインデックスが範囲を超えています (%d)".
class ListIndexError : public Error {
public:
    explicit ListIndexError(long index);
};

// "クリップボードを開くことができません".
class ClipboardError : public Error {
public:
    ClipboardError();
};

// An OLE call that failed, with its HRESULT and the system's text for it.
class OleError : public Error {
public:
    OleError(std::int32_t hresult, const std::string& message) : Error(message), hresult_(hresult) {}
    std::int32_t hresult() const { return hresult_; }

private:
    std::int32_t hresult_;
};

}  // namespace kaveto
