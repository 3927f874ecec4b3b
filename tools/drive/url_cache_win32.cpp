#include "tools/drive/url_cache.h"

#include <windows.h>
#include <wininet.h>

#include "platform/unique_win32.h"

namespace kaveto::drive {

CachedPages::~CachedPages() {
    for (const std::string& url : urls_) ::DeleteUrlCacheEntryA(url.c_str());
}

std::string CachedPages::NewAddress(const std::string& tail) {
    return "http://kaveto.test/" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(::GetTickCount()) +
           "-" + std::to_string(counter_++) + "/" + tail;
}

std::string CachedPages::Commit(const std::string& url, const std::string& content, const char* extension,
                                const std::string& headers) {
    std::string path = CommitToUrlCache(url, content, extension, headers);
    if (!path.empty()) urls_.push_back(url);
    return path;
}

std::string CommitToUrlCache(const std::string& url, const std::string& content, const char* extension,
                             const std::string& headers) {
    char path[MAX_PATH] = {};
    if (!::CreateUrlCacheEntryA(url.c_str(), 0, extension, path, 0)) return {};
    {
        UniqueFileHandle file(::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        if (!file || !::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr))
            return {};
    }
    FILETIME zero = {};
    std::string header_bytes = headers;
    if (!::CommitUrlCacheEntryA(url.c_str(), path, zero, zero, NORMAL_CACHE_ENTRY,
                                header_bytes.empty() ? nullptr : reinterpret_cast<BYTE*>(header_bytes.data()),
                                static_cast<DWORD>(header_bytes.size()), nullptr, nullptr))
        return {};
    return path;
}

std::string CachedFileOf(const std::string& url) {
    std::vector<char> buffer(4096);
    DWORD size = static_cast<DWORD>(buffer.size());
    auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
    if (!::GetUrlCacheEntryInfoA(url.c_str(), entry, &size)) {
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
        buffer.resize(size);
        entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
        if (!::GetUrlCacheEntryInfoA(url.c_str(), entry, &size)) return {};
    }
    return entry->lpszLocalFileName ? entry->lpszLocalFileName : "";
}

std::string PageHtml(const std::string& title, const std::string& charset) {
    const std::string meta =
        charset.empty() ? "" : "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" + charset + "\">\r\n";
    return "<html>\r\n<head>\r\n" + meta + "<title>" + title + "</title>\r\n</head>\r\n<body>text</body>\r\n</html>\r\n";
}

}  // namespace kaveto::drive
