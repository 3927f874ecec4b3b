// The snippet engine's costs: filling a large template (alone, and with an
// HTML template of the same size beside it), and rewriting a large log file
// whole compared with a plain read and write of the same bytes.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "engine/output_sinks.h"
#include "engine/snippet_composer.h"
#include "platform/files_native.h"
#include "text/codepage.h"

namespace kaveto {
namespace {

class NullClipboard : public Clipboard {
public:
    void SetText(const std::string&) override {}
};
class UpKeys : public KeyState {
public:
    bool ControlDown() override { return false; }
};
class FixedClock : public Clock {
public:
    LocalTime Now() override { return {2026, 6, 7, 9, 5, 7, 0}; }
};
class TemplateFiles : public Files {
public:
    std::map<std::string, std::string> files;
    bool FileExists(const std::string& p) override { return files.count(p) != 0; }
    std::string ReadAll(const std::string& p) override { return files.at(p); }
    void WriteWhole(const std::string& p, const std::string& c) override { files[p] = c; }
    std::int64_t FileSize(const std::string& p) override { return static_cast<std::int64_t>(files.at(p).size()); }
    FolderState ProbeFolder(const std::string&) override { return FolderState::Listable; }
};

// A template of `bytes` bytes holding `placeholders` of `tokens` (ten)
// spread evenly through `filler`, no character cut in two.
std::string MakeTemplate(std::size_t bytes, std::size_t placeholders, const char* const (&tokens)[10],
                         const std::string& filler, bool utf8) {
    std::string out;
    const std::size_t gap = bytes / placeholders;
    for (std::size_t i = 0; i < placeholders; ++i) {
        std::string piece = tokens[i % 10];
        while (piece.size() < gap) piece += filler;
        piece.resize(gap);
        if (utf8) {
            while (!piece.empty() && (static_cast<unsigned char>(piece.back()) & 0xC0) == 0x80) piece.pop_back();
            if (!piece.empty() && static_cast<unsigned char>(piece.back()) >= 0xC0) piece.back() = ' ';
        } else {
            std::size_t p = 0;
            while (p < piece.size()) p += (IsShiftJisLeadByte(static_cast<unsigned char>(piece[p])) ? 2 : 1);
            if (p > piece.size()) piece.back() = ' ';
        }
        out += piece;
    }
    return out;
}

// A Shift_JIS text template: placeholders and date tokens among Japanese
// and ASCII.
std::string MakeTemplate(std::size_t bytes, std::size_t placeholders) {
    static const char* const kTokens[] = {"%page_url%", "%title_txt%", "%sel_txt%", "%url_txt%",  "%click_url%",
                                          "%SRC%",      "%yyyy%",      "%mm%",      "%Youbi%",    "%page_url_default%"};
    return MakeTemplate(bytes, placeholders, kTokens, "\x82\xa0\x82\xa2 text \x83\x5c\x95\x5c line\r\n", false);
}

// An HTML template in UTF-8 with as many placeholders, some with suffixes,
// among paragraphs of Japanese and ASCII.
std::string MakeHtmlTemplate(std::size_t bytes, std::size_t placeholders) {
    static const char* const kTokens[] = {"<a href=\"%page_url%\">", "%title_txt%", "%sel_txt%",  "%url_txt:md%",
                                          "<a href=\"%click_url:url%\">", "<img src=\"%SRC%\">", "%yyyy%",
                                          "%mm%",    "%Youbi%",      "%page_url_default%"};
    return MakeTemplate(bytes, placeholders, kTokens,
                        "<p>\xE3\x81\x82\xE3\x81\x84 text \xE3\x82\xBD\xE8\xA1\xA8 line</p>\r\n", true);
}

// Composes the 1.txt template of `bytes` KiB, and with `html` its 1.html of
// the same size beside it.
void ComposeTemplate(benchmark::State& state, bool html) {
    const std::size_t bytes = static_cast<std::size_t>(state.range(0)) * 1024;
    const std::size_t placeholders = bytes * 1000 / (64 * 1024);
    NullClipboard clipboard;
    UpKeys keys;
    FixedClock clock;
    TemplateFiles files;
    files.files["P\\title.txt"] = "";
    files.files["P\\main\\1.txt"] = MakeTemplate(bytes, placeholders);
    if (html) files.files["P\\main\\1.html"] = MakeHtmlTemplate(bytes, placeholders);
    Environment env{"P\\", clipboard, keys, clock, files};
    Settings settings;
    CaptureRecord captured;
    captured.title_txt = FromShiftJis("A page title \x83\x5c & <more>");
    captured.page_url = FromShiftJis("http://example.jp/board/news/1.html?a=1&b=2");
    captured.sel_txt = FromShiftJis("a selected sentence");
    for (auto _ : state) {
        CaptureRecord record = captured;
        Composition c = ComposeSnippet(record, settings, env);
        benchmark::DoNotOptimize(c.snippet.text.shift_jis.data());
        if (html && !c.snippet.html) state.SkipWithError("no HTML form");
    }
    state.SetComplexityN(static_cast<benchmark::IterationCount>(bytes));
    state.counters["placeholders"] = static_cast<double>(placeholders);
}
void BM_ComposeTemplate(benchmark::State& state) { ComposeTemplate(state, false); }
void BM_ComposeTemplateWithHtml(benchmark::State& state) { ComposeTemplate(state, true); }
BENCHMARK(BM_ComposeTemplate)->Arg(16)->Arg(64)->Arg(256)->Arg(1024)->Unit(benchmark::kMicrosecond)->Complexity(
    benchmark::oN);
BENCHMARK(BM_ComposeTemplateWithHtml)
    ->Arg(16)
    ->Arg(64)
    ->Arg(256)
    ->Arg(1024)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

// A folder holding a 10 MiB log, removed afterwards.
struct LogFolder {
    std::string dir;
    std::string log;
    LogFolder() {
        char name[] = "/tmp/kaveto_bench_XXXXXX";
        dir = ::mkdtemp(name);
        log = dir + "/log.txt";
        std::string content;
        const std::string line = "2026/06/07 09:05 \x83\x5c\x83\x74\x83\x67 http://example.jp/board/news/1.html\r\n";
        while (content.size() < 10u * 1024 * 1024) content += line;
        NativeFiles().WriteWhole(log, content);
    }
    ~LogFolder() { std::filesystem::remove_all(dir); }
};

void BM_WriteLog10MiB(benchmark::State& state) {
    LogFolder folder;
    NullClipboard clipboard;
    UpKeys keys;
    FixedClock clock;
    NativeFiles files;
    Environment env{folder.dir + "/", clipboard, keys, clock, files};
    Settings settings;
    settings.SaveFileName = "%my_folder%log.txt";
    const Snippet snippet{FromShiftJis("a new snippet \x83\x5c\\r\\nhttp://example.jp/")};
    for (auto _ : state) WriteLog(snippet, settings, env);
}
BENCHMARK(BM_WriteLog10MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same bytes read and written back in place: what any rewrite costs.
void PlainRewrite(benchmark::State& state, bool sync) {
    LogFolder folder;
    for (auto _ : state) {
        std::string content = NativeFiles().ReadAll(folder.log);
        content += "\r\na new snippet \x83\x5c\r\nhttp://example.jp/";
        const int fd = ::open(folder.log.c_str(), O_WRONLY | O_TRUNC);
        std::size_t done = 0;
        while (done < content.size()) {
            const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        if (sync) ::fsync(fd);
        ::close(fd);
    }
}
void BM_PlainReadWrite10MiB(benchmark::State& state) { PlainRewrite(state, false); }
void BM_PlainReadWriteFsync10MiB(benchmark::State& state) { PlainRewrite(state, true); }
BENCHMARK(BM_PlainReadWrite10MiB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainReadWriteFsync10MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace kaveto

BENCHMARK_MAIN();
