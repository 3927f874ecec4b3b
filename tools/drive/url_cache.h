#pragma once
// Pages a stand-in browser shows, kept in the URL cache as a browser keeps
// them: each under an address of its own (the cache is shared with
// everything else in the prefix, so it is never assumed empty), removed
// again when the owner goes.
#include <string>
#include <vector>

namespace kaveto::drive {

class CachedPages {
public:
    CachedPages() = default;
    ~CachedPages();
    CachedPages(const CachedPages&) = delete;
    CachedPages& operator=(const CachedPages&) = delete;

    // An address no earlier run has used, ending in `tail`.
    std::string NewAddress(const std::string& tail);
    // CommitToUrlCache, the entry removed with the owner.
    std::string Commit(const std::string& url, const std::string& content, const char* extension = "htm",
                       const std::string& headers = "");

private:
    std::vector<std::string> urls_;
    int counter_ = 0;
};

// Commits the content under the address, with the response headers if any;
// returns the local file, or "" when the cache refused it. The entry stays
// until it is deleted.
std::string CommitToUrlCache(const std::string& url, const std::string& content, const char* extension = "htm",
                             const std::string& headers = "");

// The local file of a cached address; "" when it is not cached.
std::string CachedFileOf(const std::string& url);

// A small page with the title; with a charset, a meta line declares it.
std::string PageHtml(const std::string& title, const std::string& charset = "");

}  // namespace kaveto::drive
