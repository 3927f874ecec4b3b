#pragma once
// Pages a stand-in browser shows: entries of the URL cache and files in a
// temporary folder, all removed when their owner goes.
#include <windows.h>
#include <wininet.h>

#include <string>
#include <vector>

#include "e2e_support.h"
#include "win/desktop_fixtures.h"

namespace kaveto::e2e {

// Entries committed to the URL cache under addresses of their own (the cache
// is shared with everything else in the prefix, so it is never assumed empty).
class CachedPages {
public:
    CachedPages() = default;
    ~CachedPages() {
        for (const std::string& url : urls_) ::DeleteUrlCacheEntryA(url.c_str());
    }
    CachedPages(const CachedPages&) = delete;
    CachedPages& operator=(const CachedPages&) = delete;

    // An address not yet used by this or any earlier run.
    std::string NewAddress(const std::string& tail) const {
        return "http://kaveto.test/e2e-" + std::to_string(::GetCurrentProcessId()) + "-" +
               std::to_string(::GetTickCount()) + "-" + std::to_string(counter_++) + "/" + tail;
    }
    // Commits the content under the address; returns the local file, or an
    // empty string when the cache refused it.
    std::string Commit(const std::string& url, const std::string& content, const char* extension = "htm") {
        char path[MAX_PATH] = {};
        if (!::CreateUrlCacheEntryA(url.c_str(), 0, extension, path, 0)) return {};
        HANDLE file = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return {};
        DWORD written = 0;
        ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        ::CloseHandle(file);
        FILETIME zero = {};
        if (!::CommitUrlCacheEntryA(url.c_str(), path, zero, zero, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr, nullptr))
            return {};
        urls_.push_back(url);
        return path;
    }

private:
    std::vector<std::string> urls_;
    mutable int counter_ = 0;
};

// A folder under the temporary folder, removed with its files.
class TempFolder {
public:
    TempFolder() {
        char base[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, base);
        path_ = std::string(base) + "kaveto-e2e-page-" + std::to_string(::GetCurrentProcessId()) + "-" +
                std::to_string(::GetTickCount()) + "\\";
        ::CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempFolder() {
        for (const std::string& file : files_) ::DeleteFileA(file.c_str());
        ::RemoveDirectoryA(path_.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string Write(const std::string& name, const std::string& content) {
        const std::string file_path = path_ + name;
        HANDLE file = ::CreateFileA(file_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return {};
        DWORD written = 0;
        ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        ::CloseHandle(file);
        files_.push_back(file_path);
        return file_path;
    }

private:
    std::string path_;
    std::vector<std::string> files_;
};

inline std::string PageWithTitle(const std::string& title) {
    return "<html>\r\n<head>\r\n<title>" + title + "</title>\r\n</head>\r\n<body>text</body>\r\n</html>\r\n";
}

// A browser stand-in: a window of another thread whose "Edit" holds the
// page address.
class Browser {
public:
    explicit Browser(const std::string& address) { ShowAddress(address); }
    void ShowAddress(const std::string& address) {
        ::SendMessageA(window_.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(address.c_str()));
    }
    HWND window() const { return window_.window(); }
    bool BringToFront() {
        ::SetForegroundWindow(window());
        return WaitUntil([&] { return ::GetForegroundWindow() == window(); });
    }

private:
    test::Editor window_;
};

// Puts a marker on the clipboard and waits after `act` until something else
// replaces it; returns what replaced it, or the marker when nothing did.
template <typename Act>
std::string ClipboardAfter(Act act) {
    const std::string marker = "kaveto-e2e marker " + std::to_string(::GetTickCount());
    SetClipboardText(marker);
    act();
    std::string now;
    WaitUntil([&] { return (now = ClipboardText()) != marker; });
    return now;
}

// With the browser in front, the mouse comes over the picture (the picture
// takes the browser as the window to quote) and double-clicks it.
inline void DoubleClickPictureFrom(Browser& browser, POINT picture) {
    browser.BringToFront();
    MoveMouseTo(picture.x - 2, picture.y - 2);
    MoveMouseTo(picture.x, picture.y);
    Settle(100);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
}

}  // namespace kaveto::e2e
