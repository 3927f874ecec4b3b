#pragma once
// Initialization-file access, one value at a time, as the system's
// private-profile functions give it.
#include <string>

namespace kaveto {

class Profile {
public:
    virtual ~Profile() = default;
    // The value of `key` in `section`, at most 2047 bytes; `fallback` when the
    // file, the section or the key is missing.
    virtual std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                                   const std::string& fallback) = 0;
    // Writes one value, creating the file, section and key as needed. False
    // when the system refuses the write.
    virtual bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                             const std::string& value) = 0;
};

// The names of keys outside the fixed key-name table, from the keyboard
// layout; empty where the platform has none.
class KeyNames {
public:
    virtual ~KeyNames() = default;
    virtual std::string SystemKeyName(int virtual_key) = 0;
};

// A platform without a keyboard layout to ask: keys outside the fixed table
// have no name.
class NoKeyNames : public KeyNames {
public:
    std::string SystemKeyName(int) override { return ""; }
};

}  // namespace kaveto
