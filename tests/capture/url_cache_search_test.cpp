#include "capture/url_cache_search.h"

#include <gtest/gtest.h>

#include "tests/capture/capture_fakes.h"

namespace kaveto {
namespace {

using testing::FakeUrlCache;

std::vector<std::string> WalkUrls(FakeUrlCache& cache, bool& ended) {
    std::vector<std::string> urls;
    ended = EnumUrlCache(cache, nullptr, [&](const CacheEntry& e) {
        urls.push_back(e.source_url);
        return true;
    });
    return urls;
}

TEST(EnumUrlCache, GrowsItsBufferToTheSizeAskedForAndNeverShrinksIt) {
    FakeUrlCache cache;
    cache.entries = {{"http://big/", "C:\\big", kNormalCacheEntry, 6000},
                     {"http://small/", "C:\\small"},
                     {"http://bigger/", "C:\\bigger", kNormalCacheEntry, 9000}};
    const std::uint32_t big = FakeUrlCache::Needed(cache.entries[0]);
    const std::uint32_t bigger = FakeUrlCache::Needed(cache.entries[2]);
    bool ended = false;
    EXPECT_EQ(WalkUrls(cache, ended), (std::vector<std::string>{"http://big/", "http://small/", "http://bigger/"}));
    EXPECT_TRUE(ended);
    // First 4096, then exactly what the first entry needed, kept for the
    // small entry, then grown again; the last call meets the end of the walk.
    EXPECT_EQ(cache.offered, (std::vector<std::uint32_t>{4096, big, big, big, bigger, bigger}));
    EXPECT_EQ(cache.struct_sizes, cache.offered) << "dwStructSize follows the buffer";
    EXPECT_EQ(cache.closed, (std::vector<UrlCache::FindHandle>{FakeUrlCache::kHandle}));
}

TEST(EnumUrlCache, TellsTheEndOfTheWalkFromAFailure) {
    struct Case {
        const char* name;
        std::uint32_t first_error;
        std::size_t next_error_at;
        std::size_t entries;
        bool ended;
        std::size_t visited;
        UrlCache::FindHandle closed;
    } cases[] = {
        {"empty cache", 0, 0, 0, true, 0, 0},
        {"first call fails", 5, 0, 3, false, 0, 0},
        {"first call says no more items", kErrorNoMoreItems, 0, 3, true, 0, 0},
        {"a later call fails", 0, 2, 4, false, 2, FakeUrlCache::kHandle},
        {"all entries", 0, 0, 4, true, 4, FakeUrlCache::kHandle},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeUrlCache cache;
        for (std::size_t i = 0; i < c.entries; ++i) cache.entries.push_back({"http://e" + std::to_string(i), "f"});
        cache.first_error = c.first_error;
        cache.next_error_at = c.next_error_at;
        bool ended = !c.ended;
        EXPECT_EQ(WalkUrls(cache, ended).size(), c.visited);
        EXPECT_EQ(ended, c.ended);
        EXPECT_EQ(cache.closed, (std::vector<UrlCache::FindHandle>{c.closed})) << "closed exactly once";
    }
}

TEST(EnumUrlCache, StopsWhenTheVisitorSaysSo) {
    FakeUrlCache cache;
    cache.entries = {{"http://1/", "a"}, {"http://2/", "b"}, {"http://3/", "c"}};
    int visits = 0;
    EXPECT_TRUE(EnumUrlCache(cache, nullptr, [&](const CacheEntry&) { return ++visits < 2; }));
    EXPECT_EQ(visits, 2);
    EXPECT_EQ(cache.closed.size(), 1u);
}

// A cache that answers "insufficient buffer" without asking for more room
// must not keep the walk spinning.
TEST(EnumUrlCache, GivesUpOnACacheThatAsksForNoMoreRoom) {
    class Stubborn : public FakeUrlCache {
        FindHandle FindFirst(const char*, void*, std::uint32_t&, std::uint32_t& error) override {
            if (++calls > 3) throw std::logic_error("spinning");
            error = kErrorInsufficientBuffer;
            return 0;
        }

    public:
        int calls = 0;
    } cache;
    bool ended = true;
    WalkUrls(cache, ended);
    EXPECT_FALSE(ended);
    EXPECT_EQ(cache.calls, 1);
}

TEST(FindCacheSourceUrl, FindsTheFirstNormalEntryOfTheFileInAnyCase) {
    FakeUrlCache cache;
    cache.entries = {
        {"http://cookie/", "C:\\Cache\\IMG.GIF", 0x100000},  // not a normal entry
        {"http://other/", "C:\\Cache\\other.gif"},
        {"http://img/", "C:\\Cache\\Img.gif"},
        {"http://later/", "C:\\Cache\\img.gif"},
        {"http://kana/", "C:\\Cache\\\x83\x41.gif"},  // katakana A: second byte 0x41 is not a letter
    };
    struct Case {
        std::string file, url;
    } cases[] = {
        {"C:\\Cache\\Img.gif", "http://img/"},
        {"c:\\cache\\IMG.GIF", "http://img/"},
        {"C:\\Cache\\\x83\x41.GIF", "http://kana/"},
        {"C:\\Cache\\\x83\x61.gif", ""},  // a different character, not the same one in another case
        {"C:\\Cache\\missing.gif", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(FindCacheSourceUrl(cache, c.file), c.url);
    }
}

TEST(FindCacheSourceUrl, GivesNothingWhenTheWalkFails) {
    FakeUrlCache cache;
    cache.entries = {{"http://a/", "a"}, {"http://b/", "b"}};
    cache.next_error_at = 1;
    EXPECT_EQ(FindCacheSourceUrl(cache, "b"), "");
    EXPECT_EQ(FindCacheSourceUrl(cache, "a"), "http://a/");
}

TEST(LowerFileName, FoldsOnlyAsciiCapitalsOutsideDoubleByteCharacters) {
    EXPECT_EQ(LowerFileName("C:\\ABC\\xyz.HTM"), "c:\\abc\\xyz.htm");
    EXPECT_EQ(LowerFileName("\x83\x41\x83\x5a" "AB"), "\x83\x41\x83\x5a" "ab");
    EXPECT_EQ(LowerFileName("A\x83"), "a\x83") << "a lone lead byte at the end";
}

}  // namespace
}  // namespace kaveto
