// The capture inside a drop, from the data object to the delivered snippet,
// against a 1 MiB page and a URL cache of 10,000 entries. The drag source
// waits for all of it, so it has to stay well below what a user notices.
#include <benchmark/benchmark.h>

#include "capture/drop_decoding.h"
#include "capture/page_context.h"
#include "capture/page_title.h"
#include "capture/url_cache_search.h"
#include "engine/snippet_composer.h"
#include "tests/capture/capture_fakes.h"
#include "tests/fakes/engine_fakes.h"

namespace kaveto {
namespace {

constexpr int kCacheEntries = 10000;
constexpr std::size_t kPageBytes = 1 << 20;
const char kPageUrl[] = "http://example.jp/page.html";
const char kPageFile[] = "C:\\Cache\\ABC\\page[1].htm";

// How the title of the large page is written.
enum TitleForm : int { kNoTitle = 0, kOneLine = 1, kOverLines = 2 };

// A 1 MiB page: the title near the top, then lines of Japanese and ASCII.
std::string LargePage(int title_form) {
    std::string page = "<!DOCTYPE html>\r\n<html lang=\"ja\">\r\n<head>\r\n<meta charset=\"Shift_JIS\">\r\n";
    if (title_form == kOneLine)
        page += "<title>\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x79\x81\x5b\x83\x57 - Kaveto</title>\r\n";
    if (title_form == kOverLines)
        page += "<title data-rh=\"true\">\r\n  \x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x79\x81\x5b\x83\x57\r\n"
                "  &amp; Kaveto\r\n</title>\r\n";
    page += "</head>\r\n<body>\r\n";
    const std::string line = "<p>\x82\xb1\x82\xea\x82\xcd\x96\x7b\x95\xb6\x82\xc5\x82\xb7 and some ASCII text.</p>\n";
    while (page.size() + line.size() < kPageBytes) page += line;
    return page;
}

// The program folder of the default installation, a browser in front showing
// the large page, and the large cache; the composer delivers to the
// clipboard and the history as by default.
struct Desk {
    fakes::FakeEnvironment platform;
    AppState state;
    testing::FakeWindows windows;
    testing::FakeUrlCache cache;
    testing::FakeFormats formats;
    testing::FakeAccessibility accessibility;
    CaptureContext context{state, platform.files, windows, cache, accessibility, [this] { SnippetComposer(state, platform.env); }};

    explicit Desk(int title_form) {
        for (const char* folder : {"main\\", "sub\\"}) {
            platform.files.Put(std::string("C:\\prog\\") + folder + "1.txt", "\x81\x75%sel_txt%\x81\x76\r\n%title_txt%\r\n%page_url%\r\n");
            platform.files.Put(std::string("C:\\prog\\") + folder + "2.txt", "%url_txt%\r\n%click_url%\r\n");
            platform.files.Put(std::string("C:\\prog\\") + folder + "3.txt", "%title_txt%\r\n%page_url%\r\n%SRC%\r\n");
            platform.files.Put(std::string("C:\\prog\\") + folder + "4.txt", "%title_txt%\r\n%page_url%\r\n");
        }
        platform.files.Put("C:\\prog\\title.txt", "^http://www\\.example\\.com/,Example\r\n");
        platform.files.Put(kPageFile, LargePage(title_form));
        windows.Add(0, 100, "BrowserFrame");
        windows.Add(100, 101, "Edit", kPageUrl);
        windows.foreground = 100;
        cache.entries.push_back({kPageUrl, kPageFile});
        for (int i = 0; i < kCacheEntries; ++i)
            cache.entries.push_back({"http://example.jp/img/" + std::to_string(i) + ".gif",
                                     "C:\\Cache\\XYZ\\img" + std::to_string(i) + "[1].gif"});
    }
};

void BM_DropCachedFile(benchmark::State& state) {
    Desk desk(static_cast<int>(state.range(0)));
    // The dropped file is the last entry of the walk: the whole cache is read.
    const std::string dropped = "c:\\cache\\xyz\\IMG" + std::to_string(kCacheEntries - 1) + "[1].GIF";
    for (auto _ : state) {
        DescribedDrop source({std::nullopt, std::nullopt, std::vector<std::string>{dropped}}, 0);
        Drop(desk.context, source, desk.formats);
    }
    if (desk.state.record.src.shift_jis.empty() || desk.platform.clipboard.calls.empty())
        state.SkipWithError("no snippet");
}
BENCHMARK(BM_DropCachedFile)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_DropLink(benchmark::State& state) {
    Desk desk(kOneLine);
    std::string descriptor(596, '\0');
    descriptor.replace(76, 12, "Example .url");
    const std::uint16_t format = desk.formats.Register("FileGroupDescriptor");
    for (auto _ : state) {
        DescribedDrop source({"http://example.jp/link", descriptor, std::nullopt}, format);
        Drop(desk.context, source, desk.formats);
    }
    if (desk.state.record.title_txt.shift_jis.empty()) state.SkipWithError("no title");
}
BENCHMARK(BM_DropLink)->Unit(benchmark::kMillisecond);

// With a title over lines, the one-line pattern reads the whole page in
// vain before the element scan finds the title; with none, both read it all.
void BM_PageTitle(benchmark::State& state) {
    const std::string page = LargePage(static_cast<int>(state.range(0)));
    std::string title;
    for (auto _ : state) benchmark::DoNotOptimize(title = PageTitleFromContent(page));
    if ((state.range(0) == kNoTitle) != title.empty()) state.SkipWithError("wrong title");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_PageTitle)->Arg(kOneLine)->Arg(kNoTitle)->Arg(kOverLines)->Unit(benchmark::kMillisecond);

// The same 1 MiB page in UTF-8, declared (Arg 1) or told by its bytes
// (Arg 0): the UTF-8 check reads the first 1 MiB, then the whole page is
// converted to Shift_JIS before the title is looked for.
std::string LargeUtf8Page(bool declared) {
    const auto u8 = [](std::u8string_view text) { return std::string(text.begin(), text.end()); };
    std::string page = "<!DOCTYPE html>\r\n<html lang=\"ja\">\r\n<head>\r\n";
    if (declared) page += "<meta charset=\"utf-8\">\r\n";
    page += u8(u8"<title>日本語のページ - Kaveto</title>\r\n</head>\r\n<body>\r\n");
    const std::string line = u8(u8"<p>これは本文です and some ASCII text.</p>\n");
    while (page.size() + line.size() < kPageBytes) page += line;
    return page;
}

void BM_PageTitleUtf8(benchmark::State& state) {
    const std::string page = LargeUtf8Page(state.range(0) != 0);
    std::string title;
    for (auto _ : state) benchmark::DoNotOptimize(title = PageTitleFromContent(page));
    if (title != "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x79\x81\x5b\x83\x57 - Kaveto") state.SkipWithError("wrong title");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_PageTitleUtf8)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The element scan alone over the page without a title: the search for
// "<title" through the first 1 MiB.
void BM_TitleElementScan(benchmark::State& state) {
    const std::string page = LargePage(kNoTitle);
    for (auto _ : state) benchmark::DoNotOptimize(FindTitleElement(page));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_TitleElementScan)->Unit(benchmark::kMillisecond);

void BM_CacheWalk(benchmark::State& state) {
    Desk desk(kNoTitle);
    for (auto _ : state) benchmark::DoNotOptimize(FindCacheSourceUrl(desk.cache, "C:\\nowhere.gif"));
}
BENCHMARK(BM_CacheWalk)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kaveto

BENCHMARK_MAIN();
