#include "platform/url_cache_win32.h"

#include <windows.h>
#include <shlobj.h>
#include <wininet.h>

#include "platform/unique_win32.h"

namespace kaveto {
namespace {

constexpr DWORD kRetrieveEntrySize = 4096;

// A block from the shell's task allocator, given back when it goes.
class TaskMemory {
public:
    TaskMemory(IMalloc* allocator, SIZE_T size) : allocator_(allocator), data_(allocator->Alloc(size)) {}
    ~TaskMemory() {
        if (data_) allocator_->Free(data_);
    }
    TaskMemory(const TaskMemory&) = delete;
    TaskMemory& operator=(const TaskMemory&) = delete;
    void* get() const { return data_; }

private:
    IMalloc* allocator_;
    void* data_;
};

// Unlocks the retrieved entry however the retrieval went.
class EntryUnlock {
public:
    explicit EntryUnlock(const char* url) : url_(url) {}
    ~EntryUnlock() { ::UnlockUrlCacheEntryFileA(url_, 0); }
    EntryUnlock(const EntryUnlock&) = delete;
    EntryUnlock& operator=(const EntryUnlock&) = delete;

private:
    const char* url_;
};

std::string TextAt(const char* text) { return text ? std::string(text) : std::string(); }

}  // namespace

std::string Win32UrlCache::RetrieveLocalFile(const std::string& url) {
    ComPtr<IMalloc> allocator;
    if (FAILED(::SHGetMalloc(allocator.put())) || !allocator.get()) return std::string();
    // No memory for the entry means no local copy; the capture goes on.
    TaskMemory memory(allocator.get(), kRetrieveEntrySize);
    if (!memory.get()) return std::string();
    ZeroMemory(memory.get(), kRetrieveEntrySize);
    auto* entry = static_cast<INTERNET_CACHE_ENTRY_INFOA*>(memory.get());
    entry->dwStructSize = kRetrieveEntrySize;
    DWORD size = kRetrieveEntrySize;
    std::string local;
    {
        // Unlocked before anybody reads the file: the copy may go at any time
        // after, and a read then fails like any other.
        EntryUnlock unlock(url.c_str());
        if (::RetrieveUrlCacheEntryFileA(url.c_str(), entry, &size, 0)) local = TextAt(entry->lpszLocalFileName);
    }
    return local;
}

UrlCache::FindHandle Win32UrlCache::FindFirst(const char* pattern, void* buffer, std::uint32_t& size,
                                              std::uint32_t& error) {
    DWORD dw = size;
    HANDLE handle = ::FindFirstUrlCacheEntryA(pattern, static_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer), &dw);
    if (!handle) error = ::GetLastError();
    size = dw;
    return reinterpret_cast<FindHandle>(handle);
}

bool Win32UrlCache::FindNext(FindHandle handle, void* buffer, std::uint32_t& size, std::uint32_t& error) {
    DWORD dw = size;
    const BOOL ok = ::FindNextUrlCacheEntryA(reinterpret_cast<HANDLE>(handle),
                                             static_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer), &dw);
    if (!ok) error = ::GetLastError();
    size = dw;
    return ok != FALSE;
}

void Win32UrlCache::FindClose(FindHandle handle) {
    if (handle) ::FindCloseUrlCache(reinterpret_cast<HANDLE>(handle));
}

CacheEntry Win32UrlCache::DecodeEntry(const void* buffer) {
    const auto* entry = static_cast<const INTERNET_CACHE_ENTRY_INFOA*>(buffer);
    return CacheEntry{TextAt(entry->lpszSourceUrlName), TextAt(entry->lpszLocalFileName), entry->CacheEntryType};
}

}  // namespace kaveto
