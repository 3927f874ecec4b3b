#include "engine/folder_check.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "fakes/engine_fakes.h"

namespace kaveto {
namespace {

using fakes::MemoryFiles;

// "ア" (its second byte is the letter A), "表" and "ソ" (second byte a
// backslash) in Shift_JIS.
const std::string kA = "\x83\x41";
const std::string kHyo = "\x95\x5c";
const std::string kSo = "\x83\x5c";

std::vector<std::string> Tokens(const std::string& text) {
    std::vector<std::string> found;
    for (const UnknownToken& t : FindUnknownTokens(text)) found.push_back(t.token + "@" + std::to_string(t.line));
    return found;
}

TEST(FindUnknownTokens, NamesWhatLooksLikeATokenButIsNone) {
    struct Row {
        const char* name;
        std::string text;
        std::vector<std::string> found;
    } rows[] = {
        {"default template", "\x81\x75%sel_txt%\x81\x76\r\n%title_txt%\r\n%page_url%\r\n", {}},
        {"every known token", "%page_url%%page_url_default%%sel_txt%%title_txt%%title_txt_default%%click_url%"
                              "%url_txt%%SRC%%yyyy%%yy%%m%%mm%%d%%dd%%h%%hh%%n%%nn%%s%%ss%%Youbi%",
         {}},
        {"misspelt placeholder", "[%titel_txt%](%page_url%)", {"%titel_txt%@1"}},
        {"date token in capitals", "%YYYY%-%mm%", {"%YYYY%@1"}},
        {"per cent sign in prose", "100% sure, 50 % off, 20%.", {}},
        {"URL escapes", "https://e.jp/%E3%81%82?q=a%20b%2Fc%7e", {}},
        {"escape right before a token", "a%20%title_txt%", {}},
        {"escapes with letters between", "caf%C3%A9t%C3%A9 and %E3%81%82abc%2F", {}},
        {"words that begin like escapes", "%date% %DD%\r\n%bad%", {"%date%@1", "%DD%@1", "%bad%@2"}},
        {"known two-hex token between escapes", "%E3%dd%81", {}},
        {"word starting with a digit", "%1st% %_x%", {"%_x%@1"}},
        {"sign without a closing one", "%title_txt", {}},
        {"empty pair", "%%", {}},
        {"closing sign opens the next", "%foo%bar%", {"%foo%@1", "%bar%@1"}},
        {"unknown before a known one", "%x%title_txt%", {"%x%@1"}},
        {"lines: CR LF, LF, CR", "a\r\nb\n%one%\r%two%\r\n\r\n%three%", {"%one%@3", "%two%@4", "%three%@6"}},
        {"Ctrl+Z ends the template", "%ok_txt%\x1A%after%", {"%ok_txt%@1"}},
        {"Japanese around", kSo + "%foo%" + kHyo + "\r\n" + kA + "%sel_txt%" + kA, {"%foo%@1"}},
        {"double-byte character is no word", "%" + kA + "bc%", {}},
        {"sign after a lead byte belongs to it", "\x82%foo%", {}},
        {"my_folder is not a template token", "%my_folder%", {"%my_folder%@1"}},
        {"suffixes", "[%title_txt:md%](%page_url:url%) %SRC:html% %title_txt_default:md%", {}},
        {"unknown suffixes", "%title_txt:mdd%\r\n%page_url:URL%", {"%title_txt:mdd%@1", "%page_url:URL%@2"}},
        {"a suffix on a date token or an unknown name", "%yyyy:md% %titel_txt:md%",
         {"%yyyy:md%@1", "%titel_txt:md%@1"}},
        {"colons in prose", "a %: b, 10%:20% 5%:x", {}},
        {"the closing sign of a bad suffix opens the next", "%title_txt:x%d%", {"%title_txt:x%@1"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Tokens(row.text), row.found);
    }
}

TEST(DescribeUnknownToken, SuggestsTheNearestKnownToken) {
    struct Row {
        const char* token;
        const char* says;  // the part of the message that matters; "" for no suggestion
        const char* kind;
    } rows[] = {
        {"%titel_txt%", "did you mean %title_txt%?", "is not a placeholder"},
        {"%page_ulr%", "did you mean %page_url%?", "is not a placeholder"},
        {"%title_txt_defualt%", "did you mean %title_txt_default%?", "is not a placeholder"},
        {"%title%", "did you mean %title_txt%?", "is not a placeholder"},
        {"%click%", "did you mean %click_url%?", "is not a placeholder"},
        {"%src%", "did you mean %SRC%?", "(letter case counts)"},
        {"%YYYY%", "did you mean %yyyy%?", "is not a date token (letter case counts)"},
        {"%MM%", "did you mean %mm%?", "is not a date token"},
        {"%youbi%", "did you mean %Youbi%?", "is not a date token"},
        {"%Yobi%", "did you mean %Youbi%?", "is not a date token"},
        {"%x%", "", "is neither a placeholder nor a date token"},
        {"%hhh%", "", "is neither a placeholder nor a date token"},
        {"%date%", "", "is neither a placeholder nor a date token"},
        {"%my_folder%", "", "known only in SaveFileName"},
        {"%title_txt:mdd%", "a placeholder takes :md, :html or :url", "has no suffix :mdd"},
        {"%yyyy:md%", "", "date token with a suffix"},
        {"%titel_txt:md%", "did you mean %title_txt:md%?", "is not a placeholder"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.token);
        const std::string message = DescribeUnknownToken(row.token);
        EXPECT_EQ(message.rfind(row.token, 0), 0u) << message;
        EXPECT_NE(message.find(row.kind), std::string::npos) << message;
        if (*row.says) EXPECT_NE(message.find(row.says), std::string::npos) << message;
        else EXPECT_EQ(message.find("did you mean"), std::string::npos) << message;
    }
}

std::vector<std::string> Formatted(const std::vector<Finding>& findings) {
    std::vector<std::string> lines;
    for (const Finding& f : findings) lines.push_back(FormatFinding(f));
    return lines;
}

TEST(CheckTitleRules, NamesTheLineAndWhatIsWrongWithIt) {
    struct Row {
        const char* name;
        std::string text;
        std::vector<std::string> found;  // each a prefix of one formatted finding
    } rows[] = {
        {"empty file", "", {}},
        {"good rules", "example\\.com/news,News\r\n^https://e\\.jp/,E,https://e.jp/\r\n\r\n", {}},
        {"blank lines", "  \r\n\t\r\n", {}},
        {"one field", "a,b\r\nno comma here\r\n", {"title.txt:2: no comma"}},
        {"bad pattern", "(abc,T", {"title.txt:1: the pattern does not compile: unmatched ( in regex"}},
        {"escaped slash", "a\\/b,T", {"title.txt:1: the pattern does not compile: unknown flag 'b'"}},
        {"plain slash", "board/news,News", {}},
        {"empty pattern", ",T", {}},
        {"four fields", "p,Hello, big, world", {"title.txt:1: 4 fields: only the title is used"}},
        {"lines counted as read", "a,b\nbad\rc,d\r\n(,x", {"title.txt:2: no comma", "title.txt:4: the pattern"}},
        {"zero byte ends the text", "a,b\r\n" + std::string(1, '\0') + "bad", {}},
        {"Shift_JIS title", "e\\.jp," + kHyo + kSo, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<std::string> lines = Formatted(CheckTitleRules(row.text));
        ASSERT_EQ(lines.size(), row.found.size()) << ::testing::PrintToString(lines);
        for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].rfind(row.found[i], 0), 0u) << lines[i];
    }
}

// A settings file in memory: "Other" keys only.
class MapProfile : public Profile {
public:
    std::map<std::string, std::string> other;
    std::string ReadString(const std::string&, const std::string& section, const std::string& key,
                           const std::string& fallback) override {
        const auto found = other.find(key);
        return section == "Other" && found != other.end() ? found->second : fallback;
    }
    bool WriteString(const std::string&, const std::string&, const std::string&, const std::string&) override {
        return false;
    }
};

TEST(CheckSettings, NamesTheMistakesThatTheProgramWouldMeet) {
    const std::string log_on = "1";
    struct Row {
        const char* name;
        std::map<std::string, std::string> values;
        std::vector<std::string> folders;  // besides C:\prog
        LocalTime now;
        const char* found;  // part of the one finding, or "" for none
    } rows[] = {
        {"no settings file", {}, {}, {2026, 6, 7, 9, 5, 7, 0}, ""},
        {"shortcut without a key", {{"ShortCut", "Alt+Q!"}}, {}, {2026, 6, 7, 9, 0, 0, 0}, "ShortCut \"Alt+Q!\" names no key"},
        {"modifiers alone", {{"ShortCut", "Ctrl+Alt+"}}, {}, {2026, 6, 7, 9, 0, 0, 0}, "names no key"},
        {"good shortcut", {{"ShortCut", "ctrl+shift+f12"}}, {}, {2026, 6, 7, 9, 0, 0, 0}, ""},
        {"empty shortcut: no hotkey, as written", {{"ShortCut", ""}}, {}, {2026, 6, 7, 9, 0, 0, 0}, ""},
        {"quote key without a key", {{"QuoteShortCut", "Alt+Q!"}}, {}, {2026, 6, 7, 9, 0, 0, 0},
         "QuoteShortCut \"Alt+Q!\" names no key, so there is no quote key"},
        {"quote key: modifiers alone", {{"QuoteShortCut", "Ctrl+Alt+"}}, {}, {2026, 6, 7, 9, 0, 0, 0},
         "QuoteShortCut \"Ctrl+Alt+\" names no key"},
        {"quote key of its own", {{"QuoteShortCut", "ctrl+alt+q"}}, {}, {2026, 6, 7, 9, 0, 0, 0}, ""},
        {"quote key empty: none", {{"QuoteShortCut", ""}}, {}, {2026, 6, 7, 9, 0, 0, 0}, ""},
        {"quote key is the default history hotkey", {{"QuoteShortCut", "alt+a"}}, {}, {2026, 6, 7, 9, 0, 0, 0},
         "QuoteShortCut \"alt+a\" is the history hotkey's key (ShortCut Alt+A), so the quote key cannot be "
         "registered"},
        {"quote key is the history hotkey as set", {{"ShortCut", "^Q"}, {"QuoteShortCut", "Ctrl+Q"}}, {},
         {2026, 6, 7, 9, 0, 0, 0}, "(ShortCut Ctrl+Q)"},
        {"neither key set: two empty keys are not the same key", {{"ShortCut", ""}, {"QuoteShortCut", ""}}, {},
         {2026, 6, 7, 9, 0, 0, 0}, ""},
        {"negative pause", {{"ClipbordTime", "-5"}}, {}, {2026, 6, 7, 9, 0, 0, 0}, "ClipbordTime is -5"},
        {"negative pause in hex", {{"ClipbordTime", "-$10"}}, {}, {2026, 6, 7, 9, 0, 0, 0}, "ClipbordTime is -16"},
        {"unreadable pause reads as 100", {{"ClipbordTime", "fast"}}, {}, {2026, 6, 7, 9, 0, 0, 0}, ""},
        {"six weekday names", {{"Youbi", "Sun,Mon,Tue,Wed,Thu,Fri"}}, {}, {2026, 6, 7, 9, 0, 0, 0},
         "Youbi has 6 names where it needs seven"},
        {"eight weekday names", {{"Youbi", "a,b,c,d,e,f,g,h"}}, {}, {2026, 6, 7, 9, 0, 0, 0}, "never used"},
        {"trailing comma adds an eighth", {{"Youbi", "a,b,c,d,e,f,g,"}}, {}, {2026, 6, 7, 9, 0, 0, 0}, "has 8 names"},
        {"seven names with blanks", {{"Youbi", "Sun, Mon, Tue, Wed, Thu, Fri, Sat"}}, {}, {2026, 6, 7, 9, 0, 0, 0}, ""},
        {"log folder missing", {{"LogBool", log_on}}, {}, {2026, 6, 7, 9, 0, 0, 0},
         "SaveFileName puts the log in the folder C:\\prog\\log\\, which does not exist"},
        {"log folder there", {{"LogBool", log_on}}, {"C:\\prog\\log"}, {2026, 6, 7, 9, 0, 0, 0}, ""},
        {"logging off: the folder is never used", {{"LogBool", "0"}}, {}, {2026, 6, 7, 9, 0, 0, 0}, ""},
        {"folder named by the date", {{"LogBool", log_on}, {"SaveFileName", "%my_folder%%yyyy%\\%mm%.txt"}},
         {"C:\\prog\\2025"}, {2026, 6, 7, 9, 0, 0, 0}, "folder C:\\prog\\2026\\"},
        {"the log date of ExtendTime", {{"LogBool", log_on}, {"ExtendTime", "3"}, {"SaveFileName", "%my_folder%%yyyy%\\x.txt"}},
         {"C:\\prog\\2025"}, {2026, 1, 1, 1, 0, 0, 4}, ""},
        {"double-byte file name", {{"LogBool", log_on}, {"SaveFileName", "%my_folder%log\\" + kHyo + ".txt"}},
         {"C:\\prog\\log"}, {2026, 6, 7, 9, 0, 0, 0}, ""},
        {"relative path: from the program folder", {{"LogBool", log_on}, {"SaveFileName", "log\\x.txt"}},
         {"C:\\prog\\log"}, {2026, 6, 7, 9, 0, 0, 0}, ""},
        {"relative path, folder missing", {{"LogBool", log_on}, {"SaveFileName", "logs\\x.txt"}}, {"C:\\prog\\log"},
         {2026, 6, 7, 9, 0, 0, 0}, "folder C:\\prog\\logs\\"},
        {"folder that is a file", {{"LogBool", log_on}, {"SaveFileName", "D:\\title.txt\\x.txt"}}, {},
         {2026, 6, 7, 9, 0, 0, 0}, "folder D:\\title.txt\\"},
        {"log code UTF-8", {{"LogCode", "utf-8"}}, {}, {2026, 6, 7, 9, 0, 0, 0}, ""},
        {"log code without its hyphen", {{"LogCode", "UTF8"}}, {}, {2026, 6, 7, 9, 0, 0, 0},
         "LogCode \"UTF8\" is neither ShiftJis nor UTF-8, so a new log is written in Shift_JIS"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        MemoryFiles files;
        files.AddFolder("C:\\prog");
        files.Put("D:\\title.txt", "");
        for (const std::string& folder : row.folders) files.AddFolder(folder);
        MapProfile profile;
        profile.other = row.values;
        NoKeyNames key_names;
        const std::vector<std::string> lines =
            Formatted(CheckSettings("C:\\prog\\", "C:\\prog\\kaveto.ini", files, profile, key_names, row.now));
        if (!*row.found) {
            EXPECT_TRUE(lines.empty()) << ::testing::PrintToString(lines);
            continue;
        }
        ASSERT_EQ(lines.size(), 1u) << ::testing::PrintToString(lines);
        EXPECT_EQ(lines[0].rfind("kaveto.ini: ", 0), 0u) << lines[0];
        EXPECT_NE(lines[0].find(row.found), std::string::npos) << lines[0];
    }
}

std::string U8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

const std::string kBom = "\xEF\xBB\xBF";

TEST(CheckTitleRules, ReadsAUtf8FileAsTheProgramDoes) {
    struct Row {
        const char* name;
        std::string text;
        std::vector<std::string> found;  // each a prefix of one formatted finding
    } rows[] = {
        // "あ" is E3 81 82: read as Shift_JIS, its last byte would hide the comma.
        {"a comma after Japanese", kBom + U8(u8"\u3042,T\r\n\u3042\u3044,\U0001F600"), {}},
        // A bare "?" would be a quantifier with nothing to repeat.
        {"a character Shift_JIS lacks stands for itself", kBom + U8(u8"\u00E9+,T\r\n\\\u00E9*,T"), {}},
        {"a bad pattern", kBom + U8(u8"\u00E9(,T"), {"title.txt:1: the pattern does not compile"}},
        {"no comma", kBom + U8(u8"\u3042\u3044"), {"title.txt:1: no comma"}},
        {"UTF-8 without the mark", U8(u8"\u3042,T\r\nx,\u00E9"),
         {"title.txt: saved as UTF-8 without a byte order mark, so it is read as Shift_JIS",
          "title.txt:1: no comma"}},  // the comma after "あ" is lost to the Shift_JIS reading
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<std::string> lines = Formatted(CheckTitleRules(row.text));
        ASSERT_EQ(lines.size(), row.found.size()) << ::testing::PrintToString(lines);
        for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].rfind(row.found[i], 0), 0u) << lines[i];
    }
}

// A program folder "C:\prog\" with an empty title.txt and the eight
// templates, each holding `text`.
MemoryFiles FolderOfTemplates(const std::string& text) {
    MemoryFiles files;
    files.Put("C:\\prog\\title.txt", "");
    for (const char* name : {"main\\1.txt", "main\\2.txt", "main\\3.txt", "main\\4.txt", "sub\\1.txt",
                             "sub\\2.txt", "sub\\3.txt", "sub\\4.txt"})
        files.Put(std::string("C:\\prog\\") + name, text);
    return files;
}

TEST(CheckProgramFolder, UTF8TemplatesAreScannedAsTheProgramReadsThem) {
    MemoryFiles files = FolderOfTemplates(kBom + U8(u8"\U0001F600 %page_url%"));
    // After "あ", read as Shift_JIS, the sign would pair with the last byte.
    files.Put("C:\\prog\\main\\1.txt", kBom + U8(u8"\u3042%titel_txt%\r\n\u00E9%sel_txt%"));
    files.Put("C:\\prog\\sub\\3.txt", U8(u8"\u3042 %title_txt%"));
    MapProfile profile;
    NoKeyNames key_names;
    EXPECT_EQ(Formatted(CheckProgramFolder("C:\\prog\\", files, profile, key_names, {2026, 6, 7, 9, 0, 0, 0})),
              (std::vector<std::string>{
                  "main\\1.txt:1: %titel_txt% is not a placeholder: it stays in the snippet as typed; did you mean "
                  "%title_txt%?",
                  "sub\\3.txt: saved as UTF-8 without a byte order mark, so it is read as Shift_JIS and every "
                  "character beyond ASCII comes out garbled; save it as UTF-8 with a byte order mark (\"UTF-8 with "
                  "BOM\"), or in Shift_JIS",
              }));
}

TEST(CheckProgramFolder, HtmlTemplatesAreCheckedWhenThereAreAny) {
    MemoryFiles files = FolderOfTemplates("%page_url%");
    // UTF-8, a mark or none: "あ" before the sign is no lead byte here.
    files.Put("C:\\prog\\main\\1.html", U8(u8"<p>\u3042%title_txt:md%</p>\r\n<p>\u3042%titel_txt%</p>"));
    files.Put("C:\\prog\\main\\3.html", kBom + U8(u8"<a href=\"%page_url:url%\">\u00E9%SRC:htm%</a>"));
    files.Put("C:\\prog\\sub\\2.html", "<b>\x83\x5c %url_txt%</b>");  // Shift_JIS
    MapProfile profile;
    NoKeyNames key_names;
    EXPECT_EQ(Formatted(CheckProgramFolder("C:\\prog\\", files, profile, key_names, {2026, 6, 7, 9, 0, 0, 0})),
              (std::vector<std::string>{
                  "main\\1.html:2: %titel_txt% is not a placeholder: it stays in the snippet as typed; did you mean "
                  "%title_txt%?",
                  "main\\3.html:1: %SRC:htm% has no suffix :htm: it stays in the snippet as typed; a placeholder "
                  "takes :md, :html or :url",
                  "sub\\2.html: not saved as UTF-8, which an HTML template is read as: what is no UTF-8 comes out as "
                  "the replacement character U+FFFD; save it as UTF-8",
              }));
}

TEST(CheckProgramFolder, AFolderThatCannotBeReadIsAnErrorNotAFinding) {
    MemoryFiles files;
    files.Put("C:\\file", "");
    files.AddFolder("C:\\locked");
    files.unlistable.insert("C:\\locked");
    MapProfile profile;
    NoKeyNames key_names;
    for (const char* folder : {"C:\\none\\", "C:\\file\\", "C:\\locked\\"}) {
        SCOPED_TRACE(folder);
        EXPECT_THROW(CheckProgramFolder(folder, files, profile, key_names, {2026, 6, 7, 9, 0, 0, 0}), Error);
    }
}

TEST(CheckProgramFolder, FilesThatCannotBeReadAreFindings) {
    MemoryFiles files = FolderOfTemplates("%page_url%");
    MapProfile profile;
    NoKeyNames key_names;
    const LocalTime now{2026, 6, 7, 9, 0, 0, 0};
    EXPECT_TRUE(CheckProgramFolder("C:\\prog\\", files, profile, key_names, now).empty());

    files.read_errors["C:\\prog\\title.txt"] = 5;
    files.read_errors["C:\\prog\\sub\\2.txt"] = 32;
    files.files.erase("C:\\prog\\main\\4.txt");
    EXPECT_EQ(Formatted(CheckProgramFolder("C:\\prog\\", files, profile, key_names, now)),
              (std::vector<std::string>{
                  "title.txt: cannot be read: File access denied",
                  "main\\4.txt: missing: dropping a cached file (an image) fails with \"File not found\" until it "
                  "exists",
                  "sub\\2.txt: cannot be read: I/O error 32",
              }));
}

}  // namespace
}  // namespace kaveto
