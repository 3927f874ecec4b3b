// Shift_JIS and EUC-JP pages, made by glibc's iconv from Japanese text, are
// never read as UTF-8; the same text in UTF-8 is, and converts as iconv
// converts it.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tests/text/iconv_reference.h"
#include "text/page_code.h"

namespace kaveto {
namespace {


std::string U8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

// Varied Japanese prose, 1,367 characters (2.5 kB in Shift_JIS): kanji of
// both levels, hiragana, katakana, half-width katakana with sound marks,
// full-width letters and digits, punctuation and symbols, ASCII between.
const std::string kProse = U8(
    u8"吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗いじめじめした所で"
    u8"ニャーニャー泣いていた事だけは記憶している。\n"
    u8"ｶﾀｶﾅのﾍﾟｰｼﾞ、ﾃﾞｰﾀﾍﾞｰｽ ｶﾞｲﾄﾞ（半角）とカタカナのページ、データベース・ガイド（全角）。\n"
    u8"ＡＢＣ　ｘｙｚ　０１２３４５６７８９：全角の英数字。ABC xyz 0123 は半角です。\n"
    u8"記号：「」『』【】〔〕［］｛｝〈〉《》・…‥※＊＃＆＠§☆★○●◎◇◆□■△▲▽▼→←↑↓〒〓±×÷＝≠≦≧∞∴♂♀°′″℃￥＄％\n"
    u8"東京都千代田区丸の内一丁目、〒100-0005。電話番号は０３（１２３４）５６７８です。\n"
    u8"鬱蒼とした森の奥に、薔薇と躑躅と檸檬の木が並ぶ。憂鬱な顰蹙を買う蘊蓄。\n"
    u8"第２版の刊行にあたり、誤植を訂正し、索引を増補した。詳細は巻末の付録Ｂを参照のこと。\n"
    u8"今日の天気は晴れ時々曇り、最高気温は二十五度、最低気温は十八度の見込みです。\n"
    u8"弊社の新製品「スーパーウルトラ・エクストリーム２０２６」は、全国の家電量販店で好評発売中！\n"
    u8"ﾊﾟｿｺﾝ ｿﾌﾄ ﾀﾞｳﾝﾛｰﾄﾞ ｾﾝﾀｰ ｷｬﾝﾍﾟｰﾝ ﾋﾟｯｸｱｯﾌﾟ ﾎﾞｰﾅｽ ﾌﾟﾚｾﾞﾝﾄ\n"
    u8"旧字体：國學院、廣島、濱田、齋藤、邊見、澤田、櫻井、龍之介、髪と鬚。\n"
    u8"ギリシア文字 αβγδ ΑΒΓΔ とキリル文字 абвг АБВГ、罫線 ─│┌┐└┘├┤┬┴┼。\n"
    u8"春はあけぼの。やうやう白くなりゆく山ぎは、すこしあかりて、紫だちたる雲のほそくたなびきたる。\n"
    u8"夏は夜。月のころはさらなり、やみもなほ、ほたるの多く飛びちがひたる。\n"
    u8"秋は夕暮れ。夕日のさして山の端いと近うなりたるに、からすの寝どころへ行くとて、三つ四つ、二つ三つなど、"
    u8"飛びいそぐさへあはれなり。\n"
    u8"冬はつとめて。雪の降りたるは言ふべきにもあらず、霜のいと白きも、またさらでもいと寒きに。\n"
    u8"【速報】第１２３回定期演奏会のお知らせ ― 開場１８：００／開演１８：３０（予定）\n"
    u8"ﾒﾆｭｰ：ﾎｰﾑ｜ｻｲﾄﾏｯﾌﾟ｜ｵﾝﾗｲﾝｼｮｯﾌﾟ｜ｻﾎﾟｰﾄ｜ﾛｸﾞｲﾝ｜ﾍﾙﾌﾟ ｡｢｣､･\n"
    u8"国境の長いトンネルを抜けると雪国であった。夜の底が白くなった。信号所に汽車が止まった。\n"
    u8"メロスは激怒した。必ず、かの邪智暴虐の王を除かなければならぬと決意した。\n"
    u8"プログラミング言語Ｃ＋＋の入門書、第３章「クラスとオブジェクト」の練習問題の解答例。\n"
    u8"株式会社サンプル 〒５３０‐０００１ 大阪府大阪市北区梅田１丁目１番１号 ＴＥＬ：０６（１１１１）２２２２\n"
    u8"お問い合わせは、平日午前９時から午後５時まで（土日祝日・年末年始を除く）受け付けております。\n"
    u8"祇園精舎の鐘の声、諸行無常の響きあり。娑羅双樹の花の色、盛者必衰の理をあらはす。\n"
    u8"驕れる人も久しからず、ただ春の夜の夢のごとし。猛き者もつひには滅びぬ、ひとへに風の前の塵に同じ。\n"
    u8"ゆく河の流れは絶えずして、しかももとの水にあらず。淀みに浮かぶうたかたは、かつ消えかつ結びて、"
    u8"久しくとどまりたるためしなし。\n"
    u8"ﾄｸﾍﾞﾂ ｾｰﾙ ﾁｭｳ！ ｽﾍﾞﾃﾉ ｼｮｳﾋﾝｶﾞ ﾊﾝｶﾞｸ ﾃﾞｽ。ｵﾊﾔﾒﾆ ﾄﾞｳｿﾞ。\n"
    u8"坊っちゃん：親譲りの無鉄砲で小供の時から損ばかりしている。小学校に居る時分学校の二階から飛び降りて"
    u8"一週間ほど腰を抜かした事がある。\n");

std::string Page(const std::string& title, const std::string& body) {
    return "<html><head><title>" + title + "</title></head>\n<body>\n" + body + "</body></html>\n";
}

struct Encoded {
    std::string sjis, euc;
};

Encoded Encode(const std::string& utf8) {
    const auto sjis = testing::ConvertWithIconv("CP932", "UTF-8", utf8);
    const auto euc = testing::ConvertWithIconv("EUC-JP", "UTF-8", utf8);
    EXPECT_TRUE(sjis && euc);
    return {sjis.value_or(""), euc.value_or("")};
}

// The characters of a UTF-8 text, each as its own string.
std::vector<std::string> Characters(const std::string& utf8) {
    std::vector<std::string> out;
    for (std::size_t pos = 0; pos < utf8.size();) {
        std::size_t length = 1;
        while (pos + length < utf8.size() && (static_cast<unsigned char>(utf8[pos + length]) & 0xC0) == 0x80)
            ++length;
        out.push_back(utf8.substr(pos, length));
        pos += length;
    }
    return out;
}

TEST(PageCodeAgainstIconv, JapaneseProseIsNeverTakenForUtf8) {
    const Encoded prose = Encode(kProse);
    ASSERT_GT(prose.sjis.size(), 2400u);
    const std::string title = U8(u8"吾輩は猫である ｶﾞｲﾄﾞ");
    const Encoded title_in = Encode(title);

    const std::string sjis_page = Page(title_in.sjis, prose.sjis);
    EXPECT_EQ(DetectPageCode(sjis_page), TextCode::ShiftJis);
    EXPECT_EQ(ConvertPageToShiftJis(sjis_page), sjis_page);
    const std::string euc_page = Page(title_in.euc, prose.euc);
    EXPECT_EQ(DetectPageCode(euc_page), TextCode::EucJp);
    EXPECT_EQ(ConvertPageToShiftJis(euc_page), sjis_page);

    const std::string utf8_page = Page(title, kProse);
    EXPECT_EQ(DetectPageCode(utf8_page), TextCode::Utf8);
    EXPECT_EQ(ConvertPageToShiftJis(utf8_page), sjis_page) << "the Unicode rule agrees with CP932 here";

    // Every line alone, as the only Japanese of a page.
    std::size_t lines = 0;
    for (std::size_t from = 0, to; (to = kProse.find('\n', from)) != std::string::npos; from = to + 1, ++lines) {
        const Encoded line = Encode(kProse.substr(from, to - from));
        SCOPED_TRACE(kProse.substr(from, to - from));
        EXPECT_NE(DetectPageCode(Page(line.sjis, "")), TextCode::Utf8);
        EXPECT_NE(DetectPageCode(Page(line.euc, "")), TextCode::Utf8);
    }
    EXPECT_EQ(lines, 28u);
}

// A title alone is where accidental validity is likeliest. Every run of 2 to
// 10 characters of the prose, as the only Japanese of its page.
TEST(PageCodeAgainstIconv, ShortTitlesAreRarelyTakenForUtf8) {
    const std::vector<std::string> characters = Characters(kProse);
    std::size_t titles = 0, one_sequence = 0, sjis_taken = 0, euc_taken = 0;
    for (std::size_t from = 0; from < characters.size(); ++from) {
        std::string title;
        for (std::size_t n = 1; n <= 10 && from + n <= characters.size(); ++n) {
            title += characters[from + n - 1];
            if (n < 2 || title.find('\n') != std::string::npos) continue;
            const Encoded in = Encode(title);
            for (const std::string* text : {&in.sjis, &in.euc}) {
                const std::string page = Page(*text, "");
                if (const auto sequences = CountUtf8Sequences(page, std::string::npos))
                    one_sequence += sequences->two_byte + sequences->longer > 0;
                if (DetectPageCode(page) == TextCode::Utf8) ++(text == &in.sjis ? sjis_taken : euc_taken);
            }
            ++titles;
        }
    }
    std::printf("[ figures  ] %zu runs of prose in each code: well-formed UTF-8 with one sequence or more %zu; "
                "read as UTF-8: Shift_JIS %zu, EUC-JP %zu\n",
                titles, one_sequence, sjis_taken, euc_taken);
    EXPECT_GT(titles, 10000u);
    EXPECT_LE(sjis_taken + euc_taken, titles / 1000) << "more than one in two thousand";
}

// Random titles of 2 to 10 characters drawn as Japanese titles are made:
// mostly kanji and kana, some half-width kana, symbols, full-width and
// ASCII letters. The figures go to the test's output.
TEST(PageCodeAgainstIconv, RandomShortTitlesAreRarelyTakenForUtf8) {
    struct Pool {
        std::vector<std::string> euc;
        int weight;
    };
    const auto cells = [](int first_row, int last_row) {
        std::vector<std::string> out;
        for (int row = first_row; row <= last_row; ++row)
            for (int cell = 1; cell <= 94; ++cell) {
                const std::string euc{static_cast<char>(0xA0 + row), static_cast<char>(0xA0 + cell)};
                if (testing::ConvertWithIconv("UTF-8", "EUC-JP", euc)) out.push_back(euc);
            }
        return out;
    };
    std::vector<std::string> half_width, ascii;
    for (int b = 0xA1; b <= 0xDF; ++b) half_width.push_back(std::string{'\x8E', static_cast<char>(b)});
    for (char c : std::string("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 -:|"))
        ascii.push_back(std::string(1, c));
    const std::vector<Pool> mixed = {{cells(16, 47), 30}, {cells(48, 84), 5}, {cells(4, 4), 25},
                                     {cells(5, 5), 15},   {half_width, 5},     {cells(1, 2), 8},
                                     {cells(3, 3), 5},    {ascii, 7}};
    struct Kind {
        const char* name;
        std::vector<Pool> pools;
        double most;  // the share of titles read as UTF-8 that the rule allows
    } kinds[] = {
        {"mixed", mixed, 0.001},
        {"kanji", {{cells(16, 84), 1}}, 0.002},
        {"half-width kana", {{half_width, 1}}, 0.003},
    };
    std::mt19937 random(4242);
    constexpr int kTitles = 20000;
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        std::vector<int> weights;
        for (const Pool& pool : kind.pools) weights.push_back(pool.weight);
        std::discrete_distribution<std::size_t> pick_pool(weights.begin(), weights.end());
        int one_sequence[2] = {}, taken[2] = {};
        for (int i = 0; i < kTitles; ++i) {
            std::string euc;
            const int length = 2 + static_cast<int>(random() % 9);
            for (int n = 0; n < length; ++n) {
                const Pool& pool = kind.pools[pick_pool(random)];
                euc += pool.euc[random() % pool.euc.size()];
            }
            const auto sjis = testing::ConvertWithIconv("SHIFT_JIS", "EUC-JP", euc);
            ASSERT_TRUE(sjis);
            const std::string* texts[2] = {&*sjis, &euc};
            for (int code = 0; code < 2; ++code) {
                const std::string page = Page(*texts[code], "");
                if (const auto sequences = CountUtf8Sequences(page, std::string::npos))
                    one_sequence[code] += sequences->two_byte + sequences->longer > 0;
                if (DetectPageCode(page) == TextCode::Utf8) ++taken[code];
            }
        }
        std::printf("[ figures  ] %-15s of %d titles, well-formed UTF-8 with one sequence or more: "
                    "Shift_JIS %.3f%%, EUC-JP %.3f%%; read as UTF-8: Shift_JIS %.3f%%, EUC-JP %.3f%%\n",
                    kind.name, kTitles, 100.0 * one_sequence[0] / kTitles, 100.0 * one_sequence[1] / kTitles,
                    100.0 * taken[0] / kTitles, 100.0 * taken[1] / kTitles);
        EXPECT_LE(taken[0], kind.most * kTitles) << "Shift_JIS";
        EXPECT_LE(taken[1], kind.most * kTitles) << "EUC-JP";
    }
}

}  // namespace
}  // namespace kaveto
