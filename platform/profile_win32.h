#pragma once
// The system's private-profile functions and keyboard-layout key names.
#include "platform/profile.h"

namespace kaveto {

// GetPrivateProfileStringA with a 2048-byte buffer, WritePrivateProfileStringA.
// A relative path is taken from the current folder (the system functions
// would look in the Windows folder).
class Win32Profile : public Profile {
public:
    std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                           const std::string& fallback) override;
    bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                     const std::string& value) override;
};

// The key-name text of the key's scan code; no name when the key has no scan
// code.
class Win32KeyNames : public KeyNames {
public:
    std::string SystemKeyName(int virtual_key) override;
};

}  // namespace kaveto
