#pragma once
// The reverse search of the URL cache: from a cached file back to the URL it
// was fetched from.
#include <functional>
#include <string>

#include "platform/url_cache.h"

namespace kaveto {

struct TSearchCacheFileNameParam {
    std::string FileName;  // the local file looked for
    std::string Url;       // the source URL found; empty until found
};

// Calls `visitor` for each entry matching `pattern` (null: every entry) until
// it returns false. True when the walk ended normally (all entries seen, an
// empty cache, or stopped by the visitor); false on any other cache error.
bool EnumUrlCache(UrlCache& cache, const char* pattern, const std::function<bool(const CacheEntry&)>& visitor);

// The walk's visitor: stops (false) at a normal entry whose local file is
// param.FileName, after setting param.Url to its source URL.
bool MatchCacheFileName(const CacheEntry& entry, TSearchCacheFileNameParam& param);

// A file name lower-cased as the system does for file names on a double-byte
// code page: only A to Z are folded, and the second byte of a double-byte
// character is never touched.
std::string LowerFileName(const std::string& name);

// The URL from which the local file was cached; empty when no entry holds it.
std::string FindCacheSourceUrl(UrlCache& cache, const std::string& local_file);

}  // namespace kaveto
