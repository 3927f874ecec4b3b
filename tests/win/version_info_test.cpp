// The executables carry the project's version where Explorer shows it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string VersionString(const std::string& exe, const char* name) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
    if (size == 0) return "<no version information>";
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(exe.c_str(), 0, size, block.data())) return "<unreadable>";
    void* value = nullptr;
    UINT length = 0;
    const std::string query = std::string("\\StringFileInfo\\041104B0\\") + name;
    if (!VerQueryValueA(block.data(), query.c_str(), &value, &length) || length == 0) return "<missing " + query + ">";
    return std::string(static_cast<const char*>(value));
}

TEST(VersionInfo, BothProgramsCarryTheProjectVersion) {
    for (const char* exe : {"kaveto.exe", "kavetoctl.exe"}) {
        SCOPED_TRACE(exe);
        const std::string path = std::string(KAVETO_WIN_BIN_DIR) + "/" + exe;
        EXPECT_EQ(VersionString(path, "ProductName"), "Kaveto");
        EXPECT_EQ(VersionString(path, "ProductVersion"), KAVETO_VERSION);
        EXPECT_EQ(VersionString(path, "FileVersion"), KAVETO_VERSION);
        EXPECT_NE(VersionString(path, "FileDescription").find("Kaveto"), std::string::npos);
    }
}

}  // namespace
