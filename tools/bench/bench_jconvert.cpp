// Throughput of Japanese text code detection and conversion, against glibc
// iconv for the same directions and memcpy of the same bytes. All inputs
// are made once: 16 MiB of Japanese prose in Shift_JIS (kanji, kana,
// half-width katakana, ASCII, CR LF line ends) and a markup-heavy page of
// the same size, each also in EUC-JP and JIS.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "text/jconvert.h"

namespace {

using namespace kaveto;

constexpr std::size_t kSize = 16u << 20;

class Random {
public:
    std::uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return static_cast<std::uint32_t>(state_ >> 32);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }

private:
    std::uint64_t state_ = 0x9E3779B97F4A7C15ull;
};

void AddJis(std::string& sjis, int j1, int j2) {
    const BytePair s = JisPairToShiftJis(static_cast<unsigned char>(j1), static_cast<unsigned char>(j2));
    sjis += static_cast<char>(s.first);
    sjis += static_cast<char>(s.second);
}

const char* const kWords[] = {"the", "page", "http://example.jp/", "2024", "PDF", "Windows", "OK", "id=42"};
const char* const kTags[] = {"<p>", "</p>", "<a href=\"/news/item?id=123\">", "</a>", "<div class=\"entry\">",
                             "</div>", "<br>", "<span style=\"color:#333\">", "</span>", "&nbsp;"};

// A sentence of Japanese prose with a little ASCII, in Shift_JIS.
void AddSentence(std::string& sjis, Random& random) {
    const int tokens = 4 + random.Below(10);
    for (int t = 0; t < tokens; ++t) {
        const int kind = random.Below(100);
        if (kind < 38) {  // hiragana
            for (int n = 1 + random.Below(5); n > 0; --n) AddJis(sjis, 0x24, 0x21 + random.Below(83));
        } else if (kind < 70) {  // kanji, levels 1 and 2
            for (int n = 1 + random.Below(3); n > 0; --n) {
                const int row = 0x30 + random.Below(0x44);
                AddJis(sjis, row, 0x21 + random.Below(row == 0x4F ? 0x33 : 94));  // 4F54-4F7E are empty
            }
        } else if (kind < 82) {  // katakana
            for (int n = 2 + random.Below(5); n > 0; --n) AddJis(sjis, 0x25, 0x21 + random.Below(86));
        } else if (kind < 87) {  // half-width katakana, now and then with sound marks
            for (int n = 2 + random.Below(5); n > 0; --n) {
                sjis += static_cast<char>(0xA6 + random.Below(0xDE - 0xA6));
                if (random.Below(4) == 0) sjis += '\xde';
            }
        } else if (kind < 95) {  // ASCII words and numbers
            sjis += ' ';
            sjis += kWords[random.Below(8)];
            sjis += ' ';
        } else {
            AddJis(sjis, 0x21, 0x22);  // 、
        }
    }
    AddJis(sjis, 0x21, 0x23);  // 。
}

std::string MakeProse() {
    Random random;
    std::string sjis;
    sjis.reserve(kSize + 4096);
    while (sjis.size() < kSize) {
        for (int n = 1 + random.Below(4); n > 0; --n) AddSentence(sjis, random);
        sjis += "\r\n";
    }
    return sjis;
}

// A page that is mostly markup, with Japanese text between the tags.
std::string MakePage() {
    Random random;
    std::string sjis;
    sjis.reserve(kSize + 4096);
    while (sjis.size() < kSize) {
        for (int n = 2 + random.Below(4); n > 0; --n) sjis += kTags[random.Below(10)];
        if (random.Below(3) == 0) AddSentence(sjis, random);
        else sjis += "  <script>var x = document.getElementById('main'); x.className = 'shown';</script>";
        sjis += "\r\n";
    }
    return sjis;
}

// Undecidable text: EUC-JP characters whose bytes all lie in A1-DF, ASCII
// and line ends. Detection reads it to its end.
std::string MakeUndecided() {
    Random random;
    std::string euc;
    euc.reserve(kSize + 64);
    while (euc.size() < kSize) {
        if (random.Below(8) == 0) {
            euc += random.Below(4) == 0 ? "\r\n" : " abc ";
        } else {
            euc += static_cast<char>(0xA1 + random.Below(0x3F));
            euc += static_cast<char>(0xA1 + random.Below(0x3F));
        }
    }
    return euc;
}

// Cuts a text at a character boundary near its end, so that every code's
// text holds whole characters.
std::string CutWhole(const std::string& sjis) {
    std::size_t i = 0, last = 0;
    while (i < sjis.size()) {
        last = i;
        const unsigned char b = static_cast<unsigned char>(sjis[i]);
        i += (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) ? 2 : 1;
    }
    return i == sjis.size() ? sjis : sjis.substr(0, last);
}

struct Inputs {
    std::string sjis, euc, jis;
    explicit Inputs(const std::string& text) : sjis(CutWhole(text)), euc(ShiftJisToEuc(sjis)), jis(ShiftJisToJis(sjis)) {}
};

const Inputs& Prose() {
    static const Inputs inputs(MakeProse());
    return inputs;
}
const Inputs& Page() {
    static const Inputs inputs(MakePage());
    return inputs;
}

const std::string& Input(const Inputs& inputs, TextCode code) {
    return code == TextCode::JisNew ? inputs.jis : code == TextCode::EucJp ? inputs.euc : inputs.sjis;
}

const char* IconvName(TextCode code) {
    return code == TextCode::JisNew ? "ISO-2022-JP" : code == TextCode::EucJp ? "EUC-JP" : "SHIFT_JIS";
}

// ISO-2022-JP has no half-width katakana; ISO-2022-JP-3 writes them with
// their own escape, so it converts the whole text without stopping.
const char* IconvTargetName(TextCode code, bool whole) {
    return whole && code == TextCode::JisNew ? "ISO-2022-JP-3" : IconvName(code);
}

using ConvertInto = void (*)(std::string_view, std::string&);

void BM_Convert(benchmark::State& state, const Inputs& (*inputs)(), TextCode from, ConvertInto convert) {
    const std::string& in = Input(inputs(), from);
    std::string out;
    out.reserve(in.size() * 2);
    for (auto _ : state) {
        out.clear();
        convert(in, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

// glibc iconv over the same input. A character that has no form in the
// target (half-width katakana in ISO-2022-JP) is stepped over byte by
// byte, as a caller that wants the rest of the page would.
void BM_Iconv(benchmark::State& state, const Inputs& (*inputs)(), TextCode from, TextCode to, bool whole) {
    const std::string& in = Input(inputs(), from);
    std::vector<char> out(in.size() * 3 + 64);
    iconv_t cd = iconv_open(IconvTargetName(to, whole), IconvName(from));
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        state.SkipWithError("iconv_open failed");
        return;
    }
    std::size_t skipped = 0;
    for (auto _ : state) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        std::size_t src_left = in.size();
        char* dst = out.data();
        std::size_t dst_left = out.size();
        while (src_left > 0) {
            if (iconv(cd, &src, &src_left, &dst, &dst_left) != static_cast<std::size_t>(-1)) break;
            if (errno != EILSEQ && errno != EINVAL) break;
            ++src;
            --src_left;
            ++skipped;
        }
        iconv(cd, nullptr, nullptr, &dst, &dst_left);
        benchmark::DoNotOptimize(out.data());
    }
    iconv_close(cd);
    state.counters["skipped"] = static_cast<double>(skipped) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

void BM_Memcpy(benchmark::State& state, const Inputs& (*inputs)(), TextCode from) {
    const std::string& in = Input(inputs(), from);
    std::vector<char> out(in.size());
    for (auto _ : state) {
        std::memcpy(out.data(), in.data(), in.size());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

void BM_Detect(benchmark::State& state, const std::string& (*input)(), TextCode expected) {
    const std::string& in = input();
    if (DetectTextCode(in) != expected) {
        state.SkipWithError("unexpected detection result");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(DetectTextCode(in));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

const std::string& ProseSjis() { return Prose().sjis; }
const std::string& ProseEuc() { return Prose().euc; }
const std::string& ProseJis() { return Prose().jis; }
const std::string& Undecided() {
    static const std::string text = MakeUndecided();
    return text;
}
const std::string& AsciiOnly() {
    static const std::string text = [] {
        std::string s;
        while (s.size() < kSize) s += "<p class=\"entry\">The quick brown fox jumps over the lazy dog.</p>\r\n";
        return s;
    }();
    return text;
}

struct Direction {
    const char* name;
    TextCode from, to;
    ConvertInto convert;
};

const Direction kDirections[] = {
    {"JisToShiftJis", TextCode::JisNew, TextCode::ShiftJis, JisToShiftJis},
    {"JisToEuc", TextCode::JisNew, TextCode::EucJp, JisToEuc},
    {"EucToJis", TextCode::EucJp, TextCode::JisNew, EucToJis},
    {"EucToShiftJis", TextCode::EucJp, TextCode::ShiftJis, EucToShiftJis},
    {"ShiftJisToJis", TextCode::ShiftJis, TextCode::JisNew, ShiftJisToJis},
    {"ShiftJisToEuc", TextCode::ShiftJis, TextCode::EucJp, ShiftJisToEuc},
};

void Register() {
    // Detection: each text in its code, decided at its first Japanese
    // character; then texts that nothing decides, read to the end.
    benchmark::RegisterBenchmark("Detect/early/sjis", BM_Detect, ProseSjis, TextCode::ShiftJis);
    benchmark::RegisterBenchmark("Detect/early/euc", BM_Detect, ProseEuc, TextCode::EucJp);
    benchmark::RegisterBenchmark("Detect/early/jis", BM_Detect, ProseJis, TextCode::JisNew);
    benchmark::RegisterBenchmark("Detect/full/undecided", BM_Detect, Undecided, TextCode::EucOrShiftJis);
    benchmark::RegisterBenchmark("Detect/full/ascii", BM_Detect, AsciiOnly, TextCode::Ascii);
    const struct {
        const char* name;
        const Inputs& (*inputs)();
    } kinds[] = {{"prose", Prose}, {"page", Page}};
    for (const auto& kind : kinds) {
        for (const auto& d : kDirections) {
            const std::string base = std::string(d.name) + "/" + kind.name;
            benchmark::RegisterBenchmark(("Kaveto/" + base).c_str(), BM_Convert, kind.inputs, d.from, d.convert);
            benchmark::RegisterBenchmark(("Iconv/" + base).c_str(), BM_Iconv, kind.inputs, d.from, d.to, false);
            if (d.to == TextCode::JisNew)
                benchmark::RegisterBenchmark(("IconvJP3/" + base).c_str(), BM_Iconv, kind.inputs, d.from, d.to, true);
            benchmark::RegisterBenchmark(("Memcpy/" + base).c_str(), BM_Memcpy, kind.inputs, d.from);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Register();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
