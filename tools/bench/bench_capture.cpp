// The capture inside a drop, against a large page and a large URL cache: the
// drag source waits for all of it, so it has to stay well below what a user
// notices (50 ms).
#include <benchmark/benchmark.h>

#include "capture/drop_decoding.h"
#include "capture/page_context.h"
#include "capture/url_cache_search.h"
#include "tests/capture/capture_fakes.h"

namespace kaveto {
namespace {

using testing::CaptureRig;

constexpr int kCacheEntries = 10000;
constexpr std::size_t kPageBytes = 1 << 20;

// A 1 MiB page: the title near the top, then lines of Japanese and ASCII.
std::string LargePage(bool with_title) {
    std::string page = "<!DOCTYPE html>\r\n<html lang=\"ja\">\r\n<head>\r\n<meta charset=\"Shift_JIS\">\r\n";
    if (with_title) page += "<title>\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x79\x81\x5b\x83\x57 - Kaveto</title>\r\n";
    page += "</head>\r\n<body>\r\n";
    const std::string line = "<p>\x82\xb1\x82\xea\x82\xcd\x96\x7b\x95\xb6\x82\xc5\x82\xb7 and some ASCII text.</p>\n";
    while (page.size() + line.size() < kPageBytes) page += line;
    return page;
}

void FillRig(CaptureRig& rig, bool with_title) {
    rig.Browser(100, "http://example.jp/page.html", LargePage(with_title), "C:\\Cache\\ABC\\page[1].htm");
    rig.windows.foreground = 100;
    for (int i = 0; i < kCacheEntries; ++i)
        rig.cache.entries.push_back({"http://example.jp/img/" + std::to_string(i) + ".gif",
                                     "C:\\Cache\\XYZ\\img" + std::to_string(i) + "[1].gif"});
}

void BM_DropCachedFile(benchmark::State& state) {
    CaptureRig rig;
    FillRig(rig, state.range(0) != 0);
    testing::FakeFormats formats;
    // The dropped file is the last entry of the walk: the whole cache is read.
    const std::string dropped = "c:\\cache\\xyz\\IMG" + std::to_string(kCacheEntries - 1) + "[1].GIF";
    for (auto _ : state) {
        DescribedDrop source({std::nullopt, std::nullopt, std::vector<std::string>{dropped}}, 0);
        Drop(rig.context, source, formats);
        benchmark::DoNotOptimize(rig.state.record.src);
    }
    if (rig.state.record.src.empty() || rig.state.record.page_url.empty()) state.SkipWithError("nothing found");
}
BENCHMARK(BM_DropCachedFile)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_DropLink(benchmark::State& state) {
    CaptureRig rig;
    FillRig(rig, true);
    testing::FakeFormats formats;
    std::string descriptor(596, '\0');
    descriptor.replace(76, 12, "Example .url");
    for (auto _ : state) {
        DescribedDrop source({"http://example.jp/link", descriptor, std::nullopt},
                             formats.Register("FileGroupDescriptor"));
        Drop(rig.context, source, formats);
        benchmark::DoNotOptimize(rig.state.record.title_txt);
    }
}
BENCHMARK(BM_DropLink)->Unit(benchmark::kMillisecond);

void BM_PageTitle(benchmark::State& state) {
    const std::string page = LargePage(state.range(0) != 0);
    for (auto _ : state) benchmark::DoNotOptimize(PageTitleFromContent(page));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_PageTitle)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_CacheWalk(benchmark::State& state) {
    CaptureRig rig;
    FillRig(rig, false);
    for (auto _ : state) benchmark::DoNotOptimize(FindCacheSourceUrl(rig.cache, "C:\\nowhere.gif"));
}
BENCHMARK(BM_CacheWalk)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kaveto

BENCHMARK_MAIN();
