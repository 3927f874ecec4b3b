#include "capture/url_cache_search.h"

#include <cstring>
#include <vector>

#include "text/codepage.h"

namespace kaveto {
namespace {

constexpr std::uint32_t kFirstBufferSize = 4096;

// The entry buffer of one walk: only ever grown, and its first field always
// holds its own size, as the cache expects of dwStructSize.
class EntryBuffer {
public:
    EntryBuffer() { Resize(kFirstBufferSize); }
    void Resize(std::uint32_t size) {
        if (size > bytes_.size()) bytes_.resize(size);
        const std::uint32_t struct_size = static_cast<std::uint32_t>(bytes_.size());
        std::memcpy(bytes_.data(), &struct_size, sizeof struct_size);
    }
    void* data() { return bytes_.data(); }
    std::uint32_t size() const { return static_cast<std::uint32_t>(bytes_.size()); }

private:
    std::vector<unsigned char> bytes_;
};

// Closes the walk however it ends, also when it never opened.
class WalkCloser {
public:
    WalkCloser(UrlCache& cache, UrlCache::FindHandle& handle) : cache_(cache), handle_(handle) {}
    ~WalkCloser() { cache_.FindClose(handle_); }
    WalkCloser(const WalkCloser&) = delete;
    WalkCloser& operator=(const WalkCloser&) = delete;

private:
    UrlCache& cache_;
    UrlCache::FindHandle& handle_;
};

}  // namespace

bool EnumUrlCache(UrlCache& cache, const char* pattern, const std::function<bool(const CacheEntry&)>& visitor) {
    EntryBuffer buffer;
    UrlCache::FindHandle handle = 0;
    WalkCloser closer(cache, handle);
    std::uint32_t size = buffer.size();
    std::uint32_t error = 0;
    for (;;) {
        handle = cache.FindFirst(pattern, buffer.data(), size, error);
        if (handle) break;
        if (error == kErrorInsufficientBuffer && size > buffer.size()) {
            buffer.Resize(size);
            size = buffer.size();
            continue;
        }
        // A cache that asks for no more room than it was given would loop
        // for ever; it counts as a failure.
        return error == kErrorNoMoreItems;
    }
    for (;;) {
        if (!visitor(cache.DecodeEntry(buffer.data()))) return true;
        size = buffer.size();
        while (!cache.FindNext(handle, buffer.data(), size, error)) {
            if (error == kErrorInsufficientBuffer && size > buffer.size()) {
                buffer.Resize(size);
                size = buffer.size();
                continue;
            }
            return error == kErrorNoMoreItems;
        }
    }
}

std::string LowerFileName(const std::string& name) {
    std::string lower = name;
    for (std::size_t i = 0; i < lower.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(lower[i]);
        if (IsLeadByte(c) && i + 1 < lower.size()) {
            ++i;  // the second byte may look like a letter; it is not one
        } else if (c >= 'A' && c <= 'Z') {
            lower[i] = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

bool MatchCacheFileName(const CacheEntry& entry, TSearchCacheFileNameParam& param) {
    if ((entry.entry_type & kNormalCacheEntry) == 0) return true;
    if (LowerFileName(entry.local_file) != LowerFileName(param.FileName)) return true;
    param.Url = entry.source_url;
    return false;
}

std::string FindCacheSourceUrl(UrlCache& cache, const std::string& local_file) {
    TSearchCacheFileNameParam param{local_file, std::string()};
    EnumUrlCache(cache, nullptr, [&](const CacheEntry& entry) { return MatchCacheFileName(entry, param); });
    return param.Url;
}

}  // namespace kaveto
