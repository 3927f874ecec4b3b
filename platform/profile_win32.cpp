#include "platform/profile_win32.h"

#include <windows.h>

#include <memory>

#include "platform/system_profile.h"

namespace kaveto {
namespace {

std::string FullPath(const std::string& path) {
    char buffer[MAX_PATH * 2];
    const DWORD n = ::GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    if (n == 0 || n >= sizeof buffer) return path;
    return std::string(buffer, n);
}

}  // namespace

std::string Win32Profile::ReadString(const std::string& path, const std::string& section, const std::string& key,
                                     const std::string& fallback) {
    char buffer[2048];
    const DWORD n = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer, sizeof buffer,
                                               FullPath(path).c_str());
    return std::string(buffer, n < sizeof buffer ? n : sizeof buffer - 1);
}

bool Win32Profile::WriteString(const std::string& path, const std::string& section, const std::string& key,
                               const std::string& value) {
    return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), FullPath(path).c_str()) != 0;
}

std::string Win32KeyNames::SystemKeyName(int virtual_key) {
    const UINT scan = ::MapVirtualKeyA(static_cast<UINT>(virtual_key), 0);
    if (scan == 0) return "";
    char buffer[256];
    const int n = ::GetKeyNameTextA(static_cast<LONG>(scan << 16), buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

std::unique_ptr<Profile> MakeSystemProfile() { return std::make_unique<Win32Profile>(); }
std::unique_ptr<KeyNames> MakeSystemKeyNames() { return std::make_unique<Win32KeyNames>(); }

}  // namespace kaveto
