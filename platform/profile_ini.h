#pragma once
// An initialization file read and written by the program itself, with the
// rules of the system's private-profile functions: section and key names in
// any letter case, blanks around names and values dropped, one pair of
// enclosing quotes stripped, values cut to 2047 bytes.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/profile.h"

namespace kaveto {

// The longest value a read gives: a 2048-byte buffer with its zero byte.
constexpr std::size_t kProfileValueLimit = 2047;

// The value of `key` in the first section named `section` of the file text
// `content` (the first such key wins), in the form a read gives it;
// nothing when the section, the key or its "=" is missing.
std::optional<std::string> IniLookup(std::string_view content, std::string_view section, std::string_view key);

// The file text after writing one value: an existing key keeps its place, a
// new key goes after the last line of its section, a new section at the end.
// Lines end in CR LF; lines not written to are kept as they were.
std::string IniUpdate(std::string_view content, std::string_view section, std::string_view key,
                      std::string_view value);

// A profile file on disk, named by a Windows path (backslashes separate
// folders on every platform). Each write reads the file and rewrites it whole.
class IniFileProfile : public Profile {
public:
    std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                           const std::string& fallback) override;
    bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                     const std::string& value) override;
};

// The path as the C library takes it: single-byte backslashes become
// slashes; the second byte of a double-byte character stays as it is.
std::string NativeFilePath(const std::string& windows_path);

}  // namespace kaveto
