// What the built programs carry: the application manifest, read by the
// system's own activation-context functions as Windows reads it when it
// starts the program, and the picture's bitmaps, one for each size the
// picture is drawn at.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/picture_screen.h"
#include "platform/unique_win32.h"

namespace kaveto {
namespace {

std::string Program(const char* name) { return std::string(KAVETO_WIN_BIN_DIR) + "/" + name; }

// The activation context of the program's manifest, as the loader makes it.
class ManifestContext {
public:
    explicit ManifestContext(const std::string& exe) {
        ACTCTXA context = {};
        context.cbSize = sizeof context;
        context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        context.lpSource = exe.c_str();
        context.lpResourceName = MAKEINTRESOURCEA(1);
        handle_ = ::CreateActCtxA(&context);
        error_ = handle_ == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
    }
    ~ManifestContext() {
        if (handle_ != INVALID_HANDLE_VALUE) ::ReleaseActCtx(handle_);
    }
    ManifestContext(const ManifestContext&) = delete;
    ManifestContext& operator=(const ManifestContext&) = delete;
    HANDLE handle() const { return handle_; }
    DWORD error() const { return error_; }

    // A value of the windowsSettings in the namespace of its year, or
    // "<not set>".
    std::string Setting(const wchar_t* name, const wchar_t* year) const {
        const std::wstring space = std::wstring(L"http://schemas.microsoft.com/SMI/") + year + L"/WindowsSettings";
        wchar_t value[256] = {};
        SIZE_T written = 0;
        if (!::QueryActCtxSettingsW(0, handle_, space.c_str(), name, value, 256, &written)) return "<not set>";
        std::string narrow;
        for (const wchar_t* c = value; *c; ++c) narrow += static_cast<char>(*c);
        return narrow;
    }

    // The raw answer of QueryActCtxW for one class of information.
    std::vector<BYTE> Query(ULONG info_class, DWORD index = 0) const {
        std::vector<BYTE> buffer(64 * 1024);
        SIZE_T written = 0;
        if (!::QueryActCtxW(0, handle_, &index, info_class, buffer.data(), buffer.size(), &written)) return {};
        buffer.resize(written);
        return buffer;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    DWORD error_ = 0;
};

std::string Narrow(const wchar_t* text, std::size_t length) {
    std::string narrow;
    for (std::size_t i = 0; i < length && text[i]; ++i) narrow += static_cast<char>(text[i]);
    return narrow;
}

// The identities of the assemblies the program depends on.
std::vector<std::string> DependentAssemblies(const ManifestContext& context) {
    std::vector<std::string> names;
    const std::vector<BYTE> detail = context.Query(ActivationContextDetailedInformation);
    if (detail.size() < sizeof(ACTIVATION_CONTEXT_DETAILED_INFORMATION)) return names;
    const auto* info = reinterpret_cast<const ACTIVATION_CONTEXT_DETAILED_INFORMATION*>(detail.data());
    // Assembly 1 is the program itself.
    for (DWORD i = 2; i <= info->ulAssemblyCount; ++i) {
        const std::vector<BYTE> raw = context.Query(AssemblyDetailedInformationInActivationContext, i);
        if (raw.size() < sizeof(ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION)) continue;
        const auto* assembly = reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(raw.data());
        names.push_back(Narrow(assembly->lpAssemblyEncodedAssemblyIdentity,
                               assembly->ulEncodedAssemblyIdentityLength / sizeof(wchar_t)));
    }
    return names;
}

// True when the compatibility section names the system by its identifier.
bool SupportsOs(const ManifestContext& context, const GUID& id) {
    const std::vector<BYTE> raw = context.Query(CompatibilityInformationInActivationContext);
    // Each element is the identifier followed by its kind; the element's
    // size differs between systems, so the identifier is looked for.
    for (std::size_t at = 0; at + sizeof(GUID) + sizeof(DWORD) <= raw.size(); at += 4) {
        DWORD kind = 0;
        std::memcpy(&kind, raw.data() + at + sizeof(GUID), sizeof kind);
        if (std::memcmp(raw.data() + at, &id, sizeof(GUID)) == 0 && kind == ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS)
            return true;
    }
    return false;
}

std::string ManifestText(const std::string& exe) {
    HMODULE module = ::LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return "<cannot be loaded>";
    std::string text = "<no manifest resource>";
    if (HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)))  // RT_MANIFEST
        if (HGLOBAL data = ::LoadResource(module, found))
            text.assign(static_cast<const char*>(::LockResource(data)), ::SizeofResource(module, found));
    ::FreeLibrary(module);
    return text;
}

// Windows 10 and Windows 11 share one identifier.
constexpr GUID kWindows10 = {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}};

TEST(Manifest, BothProgramsDeclareTheScaleTheVisualStylesAndTheirWindowsAndKeepTheCodePage) {
    for (const char* name : {"kaveto.exe", "kavetoctl.exe"}) {
        SCOPED_TRACE(name);
        const std::string exe = Program(name);
        const std::string text = ManifestText(exe);
        ASSERT_NE(text.find("<assembly"), std::string::npos) << text;
        ManifestContext context(exe);
        ASSERT_NE(context.handle(), INVALID_HANDLE_VALUE)
            << "the system refuses the manifest: error " << context.error();
        EXPECT_EQ(context.Setting(L"dpiAwareness", L"2016"), "PerMonitorV2, PerMonitor");
        EXPECT_EQ(context.Setting(L"dpiAware", L"2005"), "true/pm");
        EXPECT_EQ(context.Setting(L"activeCodePage", L"2019"), "<not set>")
            << "the ANSI code page must stay the system's";
        EXPECT_EQ(text.find("activeCodePage"), std::string::npos);
        EXPECT_TRUE(SupportsOs(context, kWindows10));
        const std::vector<std::string> dependencies = DependentAssemblies(context);
        ASSERT_EQ(dependencies.size(), 1u);
        EXPECT_NE(dependencies[0].find("Microsoft.Windows.Common-Controls"), std::string::npos) << dependencies[0];
        // Asked for as 6.0.0.0, bound to the system's release of version 6.
        EXPECT_NE(dependencies[0].find("version=\"6."), std::string::npos) << dependencies[0];
        EXPECT_NE(dependencies[0].find("6595b64144ccf1df"), std::string::npos) << dependencies[0];
    }
}

TEST(PictureArt, KavetoCarriesABitmapForEachSizeWithTheColourKeyInItsCorner) {
    HMODULE module = ::LoadLibraryExA(Program("kaveto.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    for (const int side : kPictureSizes) {
        SCOPED_TRACE(side);
        const std::string name = "PICTURE" + std::to_string(side);
        UniqueGdiObject bitmap(::LoadImageA(module, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_TRUE(bitmap) << "no bitmap " << name;
        BITMAP bm = {};
        ::GetObjectA(bitmap.get(), sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, side);
        EXPECT_EQ(bm.bmHeight, side);
        EXPECT_EQ(bm.bmBitsPixel, 24);
        // The corners lie outside the rounded square: the key colour, which
        // is drawn nowhere inside it.
        HDC dc = ::CreateCompatibleDC(nullptr);
        HGDIOBJ old = ::SelectObject(dc, bitmap.get());
        const COLORREF key = ::GetPixel(dc, 0, side - 1);
        EXPECT_EQ(::GetPixel(dc, 0, 0), key);
        EXPECT_EQ(::GetPixel(dc, side - 1, side - 1), key);
        EXPECT_NE(::GetPixel(dc, side / 2, side / 2), key);
        ::SelectObject(dc, old);
        ::DeleteDC(dc);
    }
    ::FreeLibrary(module);
}

}  // namespace
}  // namespace kaveto
