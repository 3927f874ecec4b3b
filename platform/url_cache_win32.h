#pragma once
// The URL cache seen through WinINet.
#include "platform/url_cache.h"

namespace kaveto {

class Win32UrlCache : public UrlCache {
public:
    std::string RetrieveLocalFile(const std::string& url) override;
    FindHandle FindFirst(const char* pattern, void* buffer, std::uint32_t& size, std::uint32_t& error) override;
    bool FindNext(FindHandle handle, void* buffer, std::uint32_t& size, std::uint32_t& error) override;
    void FindClose(FindHandle handle) override;
    CacheEntry DecodeEntry(const void* buffer) override;
};

}  // namespace kaveto
