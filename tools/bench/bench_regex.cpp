// The title search and the matcher's worst cases: the program's own engine
// beside RE2, PCRE2 (interpreter and JIT) and std::regex.
//
//   cmake --preset bench && cmake --build --preset bench --target bench_regex
//   build/bench/bin/bench_regex
#define PCRE2_CODE_UNIT_WIDTH 8
#include <benchmark/benchmark.h>
#include <pcre2.h>
#include <re2/re2.h>

#include <regex>
#include <string>
#include <vector>

#include "text/regex_engine.h"

namespace {

using kaveto::regex::Regex;

const char kTitlePattern[] = "m/\\<title\\>(.+)\\<\\/title\\>/i";

// A page of `size` bytes: lines of markup and Shift_JIS text, with a title
// line 4 KiB before the end if `with_title`.
std::string MakePage(std::size_t size, bool with_title) {
    static const char* const kLines[] = {
        "<div class=\"item\"><a href=\"/news/2026/12/08/12345.html\">\x83\x6a\x83\x85\x81\x5b\x83\x58 "
        "\x95\x5c\x8e\xa6\x82\xcc\x8c\xa9\x8f\x6f\x82\xb5</a></div>\n",
        "<p>\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd\x82\xaa\x91\xb1\x82\xab\x82\xdc\x82\xb7\x81\x42 "
        "<span class=\"note\">note</span> and some ASCII text here.</p>\n",
        "<li><img src=\"/img/icon.png\" alt=\"\" width=\"16\" height=\"16\"> <b>Item</b> <i>detail</i></li>\n",
        "<script type=\"text/javascript\">var x = document.getElementById('main'); x.className = 'a';</script>\n",
    };
    std::string page = "<html><head><meta charset=\"Shift_JIS\"></head><body>\n";
    std::size_t i = 0;
    const std::size_t title_at = size > 8192 ? size - 4096 : size / 2;
    bool placed = false;
    while (page.size() < size) {
        if (with_title && !placed && page.size() >= title_at) {
            page += "<TITLE>Kaveto \x83\x79\x81\x5b\x83\x57 benchmark</TITLE>\n";
            placed = true;
        }
        page += kLines[i++ % 4];
    }
    page.resize(size);
    page += "\n</body></html>\n";
    return page;
}

const std::string& Page(std::size_t mib, bool with_title) {
    static std::string pages[2][2];
    std::string& p = pages[mib == 16][with_title];
    if (p.empty()) p = MakePage(mib << 20, with_title);
    return p;
}

void Report(benchmark::State& state, const std::string& text, bool found, bool expected) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
    if (found != expected) state.SkipWithError("wrong answer");
}

void BM_Kaveto(benchmark::State& state) {
    const std::string& page = Page(state.range(0), state.range(1));
    Regex re(kTitlePattern);
    std::vector<long> spans;
    bool found = false;
    for (auto _ : state) benchmark::DoNotOptimize(found = re.Match(page, spans));
    Report(state, page, found, state.range(1));
}

void BM_KavetoBareVm(benchmark::State& state) {
    const std::string& page = Page(state.range(0), state.range(1));
    Regex re(kTitlePattern);
    re.DisablePrefixScan();
    std::vector<long> spans;
    bool found = false;
    for (auto _ : state) benchmark::DoNotOptimize(found = re.Match(page, spans));
    Report(state, page, found, state.range(1));
}

void BM_RE2(benchmark::State& state) {
    const std::string& page = Page(state.range(0), state.range(1));
    // Latin-1: the page is Shift_JIS, not UTF-8, and "." must take any byte.
    RE2::Options options;
    options.set_encoding(RE2::Options::EncodingLatin1);
    options.set_case_sensitive(false);
    RE2 re("<title>(.+)</title>", options);
    std::string title;
    bool found = false;
    for (auto _ : state) benchmark::DoNotOptimize(found = RE2::PartialMatch(page, re, &title));
    Report(state, page, found, state.range(1));
}

void Pcre2(benchmark::State& state, bool jit) {
    const std::string& page = Page(state.range(0), state.range(1));
    int error;
    PCRE2_SIZE offset;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>("<title>(.+)</title>"), PCRE2_ZERO_TERMINATED,
                                     PCRE2_CASELESS, &error, &offset, nullptr);
    if (jit) pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
    bool found = false;
    for (auto _ : state) {
        int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(page.data()), page.size(), 0, 0, data, nullptr);
        benchmark::DoNotOptimize(found = rc > 0);
    }
    pcre2_match_data_free(data);
    pcre2_code_free(code);
    Report(state, page, found, state.range(1));
}
void BM_PCRE2_Interpreter(benchmark::State& state) { Pcre2(state, false); }
void BM_PCRE2_JIT(benchmark::State& state) { Pcre2(state, true); }

void BM_StdRegex(benchmark::State& state) {
    const std::string& page = Page(state.range(0), state.range(1));
    std::regex re("<title>(.+)</title>", std::regex::icase);
    std::smatch m;
    bool found = false;
    for (auto _ : state) benchmark::DoNotOptimize(found = std::regex_search(page, m, re));
    Report(state, page, found, state.range(1));
}

// Args: MiB, title present.
void TitleArgs(benchmark::internal::Benchmark* b) {
    for (int mib : {1, 16})
        for (int title : {1, 0}) b->Args({mib, title});
    b->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_Kaveto)->Apply(TitleArgs);
BENCHMARK(BM_KavetoBareVm)->Apply(TitleArgs);
BENCHMARK(BM_RE2)->Apply(TitleArgs);
BENCHMARK(BM_PCRE2_Interpreter)->Apply(TitleArgs);
BENCHMARK(BM_PCRE2_JIT)->Apply(TitleArgs);
BENCHMARK(BM_StdRegex)->Args({1, 1})->Args({1, 0})->Unit(benchmark::kMillisecond);

struct Pathological {
    const char* pattern;
    char letter;
    bool matches;  // on a run of `letter` alone
};
const Pathological kPathological[] = {
    {"m/(a*)*b/", 'a', false},    {"m/(a|aa)*c/", 'a', false}, {"m/^(a|aa)+$/", 'a', true},
    {"m/^(a+)+$/", 'a', true},    {"m/(x+x+)+y/", 'x', false},
};

// Args: index into kPathological, target length, literal scans on (1) or off
// (0: the bare VM, no required-character check and no first-byte skip).
void BM_Pathological(benchmark::State& state) {
    const Pathological& p = kPathological[state.range(0)];
    const std::string target(static_cast<std::size_t>(state.range(1)), p.letter);
    Regex re(p.pattern);
    if (!state.range(2)) re.DisablePrefixScan();
    std::vector<long> spans;
    bool found = false;
    for (auto _ : state) benchmark::DoNotOptimize(found = re.Match(target, spans));
    state.SetLabel(p.pattern);
    Report(state, target, found, p.matches);
}
void PathologicalArgs(benchmark::internal::Benchmark* b) {
    for (int length : {40, 16 << 20})
        for (int scans : {1, 0})
            for (int i = 0; i < 5; ++i) b->Args({i, length, scans});
    b->Unit(benchmark::kMicrosecond);
}
BENCHMARK(BM_Pathological)->Apply(PathologicalArgs);

}  // namespace

BENCHMARK_MAIN();
