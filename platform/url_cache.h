#pragma once
// The browser's URL cache, read only. The walk calls hand over raw entry
// buffers and the platform's error codes, so that the buffer-growing walk is
// portable code; DecodeEntry reads the fields of an entry out of a buffer.
#include <cstdint>
#include <string>

namespace kaveto {

// The platform's error codes that the cache walk tells apart.
constexpr std::uint32_t kErrorInsufficientBuffer = 122;
constexpr std::uint32_t kErrorNoMoreItems = 259;
// The entry-type bit of an ordinary cached page or file.
constexpr std::uint32_t kNormalCacheEntry = 1;

// The fields of one cache entry that the program reads. A missing text reads
// as empty.
struct CacheEntry {
    std::string source_url;
    std::string local_file;
    std::uint32_t entry_type = 0;
};

class UrlCache {
public:
    using FindHandle = std::uintptr_t;

    virtual ~UrlCache() = default;

    // The local copy of the URL's entry, read through a fixed entry of 4096
    // bytes; empty when the URL has no entry, the entry needs more room, or
    // no memory was to be had. The entry is unlocked again before returning.
    virtual std::string RetrieveLocalFile(const std::string& url) = 0;

    // Starts a walk over the entries that match `pattern` (null: all). The
    // first four bytes of `buffer` hold its size on entry (dwStructSize);
    // `size` is the buffer's size on entry and, after error 122, the size the
    // entry needs. Returns a null handle on failure with `error` set.
    virtual FindHandle FindFirst(const char* pattern, void* buffer, std::uint32_t& size, std::uint32_t& error) = 0;
    // The next entry of the walk; false on failure with `error` set.
    virtual bool FindNext(FindHandle handle, void* buffer, std::uint32_t& size, std::uint32_t& error) = 0;
    // Ends a walk; a null handle is accepted and ignored.
    virtual void FindClose(FindHandle handle) = 0;
    // The fields of the entry that FindFirst or FindNext left in `buffer`.
    virtual CacheEntry DecodeEntry(const void* buffer) = 0;
};

}  // namespace kaveto
