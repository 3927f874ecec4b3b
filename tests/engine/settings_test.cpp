#include "engine/settings.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "platform/errors.h"
#include "platform/profile.h"
#include "platform/profile_ini.h"
#include "tests/platform/temp_folder.h"

namespace kaveto {
namespace {

using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WriteFileBytes;

// " に書き込めません" in Shift_JIS.
const std::string kCannotWrite = " \x82\xc9\x8f\x91\x82\xab\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1";
// "%my_folder%log\%yyyy%年%mm%月%dd%日.txt" in Shift_JIS.
const std::string kDefaultSaveFileName = "%my_folder%log\\%yyyy%\x94\x4e%mm%\x8c\x8e%dd%\x93\xfa.txt";

// A settings file in memory that records every read and write and can
// refuse the write of one chosen key.
class FakeProfile : public Profile {
public:
    std::map<std::pair<std::string, std::string>, std::string> values;
    std::vector<std::string> reads;   // "Section/Key"
    std::vector<std::string> writes;  // "Section/Key=value"
    std::string refused_key;

    std::string ReadString(const std::string&, const std::string& section, const std::string& key,
                           const std::string& fallback) override {
        reads.push_back(section + "/" + key);
        const auto found = values.find({section, key});
        return found == values.end() ? fallback : found->second;
    }
    bool WriteString(const std::string&, const std::string& section, const std::string& key,
                     const std::string& value) override {
        writes.push_back(section + "/" + key + "=" + value);
        if (key == refused_key) return false;
        values[{section, key}] = value;
        return true;
    }
    void Set(const std::string& key, const std::string& value) {
        values[{key == "Top" || key == "Left" ? "Window" : "Other", key}] = value;
    }
    std::string Written(const std::string& key) const {
        const auto found = values.find({key == "Top" || key == "Left" ? "Window" : "Other", key});
        return found == values.end() ? "<none>" : found->second;
    }
};

// A keyboard layout with a few names, one of them double-byte.
class FakeKeyNames : public KeyNames {
public:
    std::string SystemKeyName(int vk) override {
        switch (vk) {
        case 0xBA: return "Semicolon";
        case 0xBB: return "\x83\x41";  // ア: second byte 'A'
        case 0xC0: return "Twin";
        case 0xDE: return "Twin";
        default: return "";
        }
    }
};

const std::vector<std::string> kDefaultWrites = {
    "Window/Top=0",
    "Window/Left=0",
    "Other/Youbi=Sun,Mon,Tue,Wed,Thu,Fri,Sat",
    "Other/LogBool=0",
    "Other/LogBetweenText=\\r\\n",
    "Other/LogOrderBool=1",
    "Other/ExtendTime=0",
    "Other/DoClipBool=1",
    "Other/HistoryBool=1",
    "Other/PasteBool=1",
    "Other/ShortCut=Alt+A",
    "Other/ClipbordTime=100",
    "Other/SaveFileName=" + kDefaultSaveFileName,
    "Other/LogCode=ShiftJis",
    "Other/QuoteShortCut=",
};

TEST(LoadSettings, MissingKeysGiveTheDefaultsAndKeepTheWindowWhereItIs) {
    FakeProfile profile;
    FakeKeyNames names;
    WindowPosition position{25, -40};
    Settings settings;
    settings.Youbi = {"stale"};
    settings.ClipbordTime = 7;
    LoadSettings(profile, names, "C:\\k\\Kaveto.ini", position, settings);

    EXPECT_EQ(position.top, 25);
    EXPECT_EQ(position.left, -40);
    EXPECT_EQ(settings.Youbi, (std::vector<std::string>{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"}));
    EXPECT_FALSE(settings.LogBool);
    EXPECT_EQ(settings.LogBetweenText, "\\r\\n");
    EXPECT_TRUE(settings.LogOrderBool);
    EXPECT_EQ(settings.SaveFileName, kDefaultSaveFileName);
    EXPECT_EQ(settings.SaveFileName.size(), 39u);
    EXPECT_EQ(settings.ExtendTime, 0);
    EXPECT_TRUE(settings.DoClipBool);
    EXPECT_TRUE(settings.HistoryBool);
    EXPECT_TRUE(settings.PasteBool);
    EXPECT_EQ(settings.ShortCut, 0x8041);  // Alt+A
    EXPECT_EQ(settings.ClipbordTime, 100);
}

TEST(LoadSettings, ReadsEachKeyOnceInItsOrder) {
    FakeProfile profile;
    FakeKeyNames names;
    WindowPosition position;
    Settings settings;
    LoadSettings(profile, names, "x.ini", position, settings);
    EXPECT_EQ(profile.reads, (std::vector<std::string>{
                                 "Window/Top", "Window/Left", "Other/Youbi", "Other/LogBool", "Other/LogBetweenText",
                                 "Other/LogOrderBool", "Other/SaveFileName", "Other/ExtendTime", "Other/DoClipBool",
                                 "Other/HistoryBool", "Other/PasteBool", "Other/ShortCut", "Other/ClipbordTime",
                                 "Other/LogCode", "Other/QuoteShortCut"}));
}

TEST(SaveSettings, WritesEveryKeyInItsOrderAlsoTheDefaults) {
    FakeProfile profile;
    FakeKeyNames names;
    SaveSettings(profile, names, "x.ini", WindowPosition{}, Settings{});
    EXPECT_EQ(profile.writes, kDefaultWrites);
}

TEST(SaveSettings, StopsAtTheRefusedKeyWithThePathInTheMessage) {
    const std::string path = "C:\\Program Files\\Kaveto\\Kaveto.ini";
    for (std::size_t refused = 0; refused < kDefaultWrites.size(); refused += 5) {
        const std::string entry = kDefaultWrites[refused];
        const std::string key = entry.substr(entry.find('/') + 1, entry.find('=') - entry.find('/') - 1);
        SCOPED_TRACE(key);
        FakeProfile profile;
        profile.refused_key = key;
        FakeKeyNames names;
        try {
            SaveSettings(profile, names, path, WindowPosition{}, Settings{});
            ADD_FAILURE() << "no error";
        } catch (const ProfileWriteError& error) {
            EXPECT_EQ(std::string(error.what()), path + kCannotWrite);
        }
        // The refused key was tried; nothing after it.
        EXPECT_EQ(profile.writes,
                  std::vector<std::string>(kDefaultWrites.begin(), kDefaultWrites.begin() + refused + 1));
    }
}

TEST(ReadIntegerValue, Forms) {
    const struct {
        const char* text;
        std::int32_t expected;
    } cases[] = {
        {"0x05", 5},
        {"0X1f", 31},
        {"$5", 5},
        {"$fF", 255},
        {"  $10", 16},
        {"-$10", -16},
        {"12", 12},
        {"  12", 12},
        {"\t7", 7},
        {"+7", 7},
        {"-3", -3},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"0x7FFFFFFF", 2147483647},
        {"$7fffffff", 2147483647},
        // Unreadable: the fallback.
        {"", -99},
        {" ", -99},
        {"true", -99},
        {"12abc", -99},
        {"1 ", -99},
        {"1.5", -99},
        {"- 5", -99},
        {"--5", -99},
        {"+", -99},
        {"$", -99},
        {"$g", -99},
        {"0x", -99},  // too short to be the hexadecimal form: "0" then "x"
        {"0xg", -99},
        {"0x-5", -99},
        {"-0x5", -99},
        {" 0x5", -99},
        {"x5", -99},
        // Out of range: the fallback, never a wrapped value.
        {"2147483648", -99},
        {"-2147483649", -99},
        {"99999999999999999999999", -99},
        {"0x80000000", -99},
        {"$FFFFFFFF", -99},
        {"0x1FFFFFFFFFFFFFFFF", -99},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadIntegerValue(c.text, -99), c.expected);
    }
}

TEST(LoadSettings, NumbersAndBooleansFallBackKeyByKey) {
    const struct {
        const char* key;
        const char* value;
        const char* written;  // what SaveSettings writes back
    } cases[] = {
        {"LogBool", "true", "0"},   // a word is unreadable: the default, false
        {"LogBool", "2", "1"},      // any non-zero number is true
        {"LogBool", "-1", "1"},
        {"LogBool", "0x10", "1"},
        {"LogBool", "", "0"},
        {"DoClipBool", "false", "1"},  // the default of this one is true
        {"DoClipBool", "0", "0"},
        {"HistoryBool", "$0", "0"},
        {"PasteBool", "no", "1"},
        {"LogOrderBool", " 0", "0"},
        {"ExtendTime", "0x05", "5"},
        {"ExtendTime", "$5", "5"},
        {"ExtendTime", "", "0"},
        {"ClipbordTime", "", "100"},
        {"ClipbordTime", "fast", "100"},
        {"ClipbordTime", "-20", "-20"},
        {"Top", "-5000", "-5000"},   // off the screen: kept, never compared with it
        {"Left", "40000", "40000"},
        {"Top", "high", "31"},       // the window's edge before reading
        {"Left", "", "-8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        FakeProfile profile;
        profile.Set(c.key, c.value);
        FakeKeyNames names;
        WindowPosition position{31, -8};
        Settings settings;
        LoadSettings(profile, names, "x.ini", position, settings);
        SaveSettings(profile, names, "x.ini", position, settings);
        EXPECT_EQ(profile.Written(c.key), c.written);
    }
}

TEST(LoadSettings, TextsAndListsComeBackAsTheyWereRead) {
    const struct {
        const char* key;
        std::string value;
        std::vector<std::string> youbi;  // for Youbi: the entries read
        std::string written;
    } cases[] = {
        {"Youbi", "\x93\xfa,\x8c\x8e,\x89\xce,\x90\x85,\x96\xd8,\x8b\xe0,\x93y",
         {"\x93\xfa", "\x8c\x8e", "\x89\xce", "\x90\x85", "\x96\xd8", "\x8b\xe0", "\x93y"},
         "\x93\xfa,\x8c\x8e,\x89\xce,\x90\x85,\x96\xd8,\x8b\xe0,\x93y"},
        {"Youbi", "Sun, Mon", {"Sun", "Mon"}, "Sun,Mon"},
        {"Youbi", "Sun Mon", {"Sun", "Mon"}, "Sun,Mon"},
        {"Youbi", "a,b,", {"a", "b", ""}, "a,b,"},
        {"Youbi", "\"Holy day\",Mon", {"Holy day", "Mon"}, "\"Holy day\",Mon"},
        {"Youbi", "\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}, "\"say \"\"hi\"\"\",x"},
        {"Youbi", "\"a,b\"", {"a,b"}, "\"a,b\""},
        {"Youbi", "\"\"", {""}, "\"\""},
        {"Youbi", "", {}, ""},
        {"Youbi", "1,2,3,4,5,6,7,8,9", {"1", "2", "3", "4", "5", "6", "7", "8", "9"}, "1,2,3,4,5,6,7,8,9"},
        {"SaveFileName", "C:\\logs\\%yyyy%.txt", {}, "C:\\logs\\%yyyy%.txt"},
        {"SaveFileName", "", {}, ""},
        {"LogBetweenText", "\\r\\n----\\r\\n", {}, "\\r\\n----\\r\\n"},
        {"LogBetweenText", "a \"b\" c", {}, "a \"b\" c"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        FakeProfile profile;
        profile.Set(c.key, c.value);
        FakeKeyNames names;
        WindowPosition position;
        Settings settings;
        LoadSettings(profile, names, "x.ini", position, settings);
        if (std::string(c.key) == "Youbi") {
            EXPECT_EQ(settings.Youbi, c.youbi);
        }
        SaveSettings(profile, names, "x.ini", position, settings);
        EXPECT_EQ(profile.Written(c.key), c.written);
    }
}

TEST(ShortCut, ParsedAndFormattedBack) {
    const struct {
        const char* text;
        ShortCutValue value;
        const char* formatted;
    } cases[] = {
        {"Alt+A", 0x8041, "Alt+A"},
        {"alt+a", 0x8041, "Alt+A"},
        {"ctrl+shift+f12", 0x607B, "Shift+Ctrl+F12"},
        {"^Q", 0x4051, "Ctrl+Q"},
        {"^^q", 0x4051, "Ctrl+Q"},
        {"Shift+Shift+Z", 0x205A, "Shift+Z"},
        {"Alt+Ctrl+Shift+Del", 0xE02E, "Shift+Ctrl+Alt+Del"},
        {"SHIFT+^ALT+space", 0xE020, "Shift+Ctrl+Alt+Space"},
        {"F1", 112, "F1"},
        {"f24", 135, "F24"},
        {"Ctrl+BkSp", 0x4008, "Ctrl+BkSp"},
        {"pgdn", 34, "PgDn"},
        {"Ins", 45, "Ins"},
        {"Enter", 13, "Enter"},
        {"Esc", 27, "Esc"},
        {"5", 53, "5"},  // the digit row, never the keypad's 101
        {"Ctrl+0", 0x4030, "Ctrl+0"},
        {"Ctrl+semicolon", 0x40BA, "Ctrl+Semicolon"},  // a name from the keyboard layout
        {"Twin", 0xC0, "Twin"},                        // two codes with one name: the lowest
        {"\x83\x41", 0xBB, "\x83\x41"},
        // No shortcut.
        {"", 0, ""},
        {"Alt+", 0, ""},
        {"Ctrl+Shift+", 0, ""},
        {"Alt+Nonsense", 0, ""},
        {"F25", 0, ""},
        {"A+", 0, ""},
        {"+A", 0, ""},
        {"Alt+A ", 0, ""},
        {"Alt + A", 0, ""},
        {"Win+A", 0, ""},
        {"\x83\x61", 0, ""},  // differs from the layout's name only in its second byte's case
    };
    FakeKeyNames names;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const ShortCutValue value = ParseShortCut(c.text, names);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(FormatShortCut(value, names), c.formatted);
    }
}

TEST(ShortCut, FormatsByTheKeyNameTable) {
    const struct {
        ShortCutValue value;
        const char* text;
    } cases[] = {
        {101, "5"},             // the keypad's 5 shares the digit's name
        {96 | kCtrl, "Ctrl+0"},
        {kAlt, ""},             // modifiers without a key
        {kShift | 0xFF, ""},    // a key without a name
        {kShift | kCtrl | kAlt | 'K', "Shift+Ctrl+Alt+K"},
        {0x1000 | 'A', "A"},    // only the low 8 bits name the key
    };
    FakeKeyNames names;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(FormatShortCut(c.value, names), c.text);
    }
    NoKeyNames none;
    EXPECT_EQ(FormatShortCut(kCtrl | 0xBA, none), "");
    EXPECT_EQ(ParseShortCut("Ctrl+Semicolon", none), 0);
}

TEST(LoadSettings, ShortCutTextsAreWrittenBackInTheirOwnForm) {
    const struct {
        const char* value;
        ShortCutValue read;
        const char* written;
    } cases[] = {
        {"ctrl+shift+f12", 0x607B, "Shift+Ctrl+F12"},
        {"^Q", 0x4051, "Ctrl+Q"},
        {"Alt+", 0, ""},
        {"Alt+Nonsense", 0, ""},
        {"", 0, ""},  // the empty shortcut stays empty in every later run
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        FakeProfile profile;
        profile.Set("ShortCut", c.value);
        FakeKeyNames names;
        WindowPosition position;
        Settings settings;
        LoadSettings(profile, names, "x.ini", position, settings);
        EXPECT_EQ(settings.ShortCut, c.read);
        SaveSettings(profile, names, "x.ini", position, settings);
        EXPECT_EQ(profile.Written("ShortCut"), c.written);
    }
}

TEST(SettingsFilePath, ReplacesOrAppendsTheExtensionOfTheFileName) {
    const struct {
        const char* executable;
        const char* ini;
    } cases[] = {
        {"C:\\Program Files\\Kaveto\\Kaveto.exe", "C:\\Program Files\\Kaveto\\Kaveto.ini"},
        {"C:\\tools\\Kaveto", "C:\\tools\\Kaveto.ini"},
        {"C:\\v1.2\\Kaveto", "C:\\v1.2\\Kaveto.ini"},  // a dot in a folder name is no extension
        {"C:\\v1.2\\Kaveto.EXE", "C:\\v1.2\\Kaveto.ini"},
        {"C:\\dir\\archive.tar.gz", "C:\\dir\\archive.tar.ini"},
        {"C:\\dir\\name.", "C:\\dir\\name.ini"},
        {"C:Kaveto.exe", "C:Kaveto.ini"},
        {"C:\\a.b/Kaveto", "C:\\a.b/Kaveto.ini"},
        // 0x95 0x5C is one character whose second byte is a backslash: the
        // name is "a.b" followed by it and "c", extension ".b\x95\x5c" "c".
        {"C:\\a.b\x95\x5c" "c", "C:\\a.ini"},
        {"C:\\\x95\x5c.d\\Kaveto", "C:\\\x95\x5c.d\\Kaveto.ini"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.executable);
        EXPECT_EQ(SettingsFilePath(c.executable), c.ini);
    }
}

// The whole road with the program's own file access: a fresh file, its
// exact bytes, and the values read back from it.
TEST(SettingsFile, AFreshFileHoldsEveryKeyInWriteOrder) {
    TempFolder folder;
    const std::string path = folder.File("Kaveto.ini");
    IniFileProfile profile;
    NoKeyNames names;
    WindowPosition position;
    Settings settings;
    LoadSettings(profile, names, path, position, settings);
    SaveSettings(profile, names, path, position, settings);
    EXPECT_EQ(ReadFileBytes(folder.path() / "Kaveto.ini"),
              "[Window]\r\nTop=0\r\nLeft=0\r\n[Other]\r\nYoubi=Sun,Mon,Tue,Wed,Thu,Fri,Sat\r\nLogBool=0\r\n"
              "LogBetweenText=\\r\\n\r\nLogOrderBool=1\r\nExtendTime=0\r\nDoClipBool=1\r\nHistoryBool=1\r\n"
              "PasteBool=1\r\nShortCut=Alt+A\r\nClipbordTime=100\r\nSaveFileName=" +
                  kDefaultSaveFileName + "\r\nLogCode=ShiftJis\r\nQuoteShortCut=\r\n");

    // The user edits the file; the edits come back in the program's form.
    WriteFileBytes(folder.path() / "Kaveto.ini",
                   "[window]\r\ntop = -300\r\n[OTHER]\r\nlogbool=true\r\nExtendTime=$5\r\nShortCut=^q\r\n"
                   "Youbi=\"Holy day\", x\r\n");
    position = WindowPosition{};
    LoadSettings(profile, names, path, position, settings);
    EXPECT_EQ(position.top, -300);
    EXPECT_EQ(position.left, 0);
    EXPECT_FALSE(settings.LogBool);
    EXPECT_EQ(settings.ExtendTime, 5);
    EXPECT_EQ(settings.ShortCut, 0x4051);
    EXPECT_EQ(settings.Youbi, (std::vector<std::string>{"Holy day", "x"}));
    SaveSettings(profile, names, path, position, settings);
    const std::string saved = ReadFileBytes(folder.path() / "Kaveto.ini");
    EXPECT_NE(saved.find("top=-300\r\nLeft=0\r\n[OTHER]\r\nlogbool=0\r\nExtendTime=5\r\nShortCut=Ctrl+Q\r\n"
                         "Youbi=\"Holy day\",x\r\nLogBetweenText="),
              std::string::npos)
        << saved;
}

TEST(LoadSettings, LogCodeNamesOneOfTwoCodesAndAnythingElseKeepsShiftJis) {
    const struct {
        const char* name;
        const char* value;  // nullptr: the key is missing
        LogTextCode read;
        const char* written;
    } rows[] = {
        {"missing", nullptr, LogTextCode::ShiftJis, "ShiftJis"},
        {"ShiftJis", "ShiftJis", LogTextCode::ShiftJis, "ShiftJis"},
        {"UTF-8", "UTF-8", LogTextCode::Utf8, "UTF-8"},
        {"other letter case", "utf-8", LogTextCode::Utf8, "UTF-8"},
        {"SHIFTJIS", "SHIFTJIS", LogTextCode::ShiftJis, "ShiftJis"},
        {"no hyphen is no name", "UTF8", LogTextCode::ShiftJis, "ShiftJis"},
        {"another code", "EUC-JP", LogTextCode::ShiftJis, "ShiftJis"},
        {"empty", "", LogTextCode::ShiftJis, "ShiftJis"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeProfile profile;
        if (row.value) profile.Set("LogCode", row.value);
        FakeKeyNames names;
        WindowPosition position;
        Settings settings;
        settings.LogCode = LogTextCode::Utf8;  // a value left from before counts for nothing
        LoadSettings(profile, names, "x.ini", position, settings);
        EXPECT_EQ(settings.LogCode, row.read);
        SaveSettings(profile, names, "x.ini", position, settings);
        EXPECT_EQ(profile.Written("LogCode"), row.written);
    }
}

// A file from before LogCode and QuoteShortCut existed: every value it holds
// reads as before, and the file gains the keys at the end, everything else
// left as it stood.
TEST(SettingsFile, AFileWithoutLogCodeGainsItLastAndKeepsTheRest) {
    TempFolder folder;
    const std::string path = folder.File("Kaveto.ini");
    const std::string older =
        "[Window]\r\nTop=12\r\nLeft=-4\r\n[Other]\r\nYoubi=\x93\xfa,\x8c\x8e,\x89\xce,\x90\x85,\x96\xd8,"
        "\x8b\xe0,\x93\x79\r\nLogBool=1\r\nLogBetweenText=\\r\\n----\\r\\n\r\nLogOrderBool=0\r\nExtendTime=4\r\n"
        "DoClipBool=1\r\nHistoryBool=0\r\nPasteBool=1\r\nShortCut=Ctrl+Q\r\nClipbordTime=250\r\nSaveFileName=" +
        kDefaultSaveFileName + "\r\n";
    WriteFileBytes(folder.path() / "Kaveto.ini", older);
    IniFileProfile profile;
    NoKeyNames names;
    WindowPosition position;
    Settings settings;
    LoadSettings(profile, names, path, position, settings);
    EXPECT_EQ(settings.LogCode, LogTextCode::ShiftJis);
    EXPECT_TRUE(settings.LogBool);
    EXPECT_FALSE(settings.LogOrderBool);
    EXPECT_EQ(settings.ExtendTime, 4);
    SaveSettings(profile, names, path, position, settings);
    EXPECT_EQ(ReadFileBytes(folder.path() / "Kaveto.ini"), older + "LogCode=ShiftJis\r\nQuoteShortCut=\r\n");

    // Switched to UTF-8 by hand, in the middle of the section: read, and
    // written back where it stands.
    std::string edited = older;
    edited.insert(edited.find("ExtendTime="), "logcode=utf-8\r\n");
    WriteFileBytes(folder.path() / "Kaveto.ini", edited);
    LoadSettings(profile, names, path, position, settings);
    EXPECT_EQ(settings.LogCode, LogTextCode::Utf8);
    SaveSettings(profile, names, path, position, settings);
    std::string expected = older + "QuoteShortCut=\r\n";
    expected.insert(expected.find("ExtendTime="), "logcode=UTF-8\r\n");
    EXPECT_EQ(ReadFileBytes(folder.path() / "Kaveto.ini"), expected);
}

TEST(LoadSettings, QuoteShortCutTakesTheShortCutFormsAndIsNoKeyUnlessSet) {
    const struct {
        const char* value;  // nullptr: the key is missing
        ShortCutValue read;
        const char* written;
    } rows[] = {
        {nullptr, 0, ""},
        {"", 0, ""},
        {"alt+q", kAlt | 'Q', "Alt+Q"},
        {"Alt+Ctrl+Q", kCtrl | kAlt | 'Q', "Ctrl+Alt+Q"},
        {"^Q", kCtrl | 'Q', "Ctrl+Q"},
        {"shift+ctrl+f12", kShift | kCtrl | 123, "Shift+Ctrl+F12"},
        {"Alt+", 0, ""},
        {"Alt+Nothing", 0, ""},
        {"Alt+\x83\x41", kAlt | 0xBB, "Alt+\x83\x41"},  // a double-byte name of the layout
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value ? row.value : "(missing)");
        FakeProfile profile;
        if (row.value) profile.Set("QuoteShortCut", row.value);
        FakeKeyNames names;
        WindowPosition position;
        Settings settings;
        LoadSettings(profile, names, "x.ini", position, settings);
        EXPECT_EQ(settings.QuoteShortCut, row.read);
        EXPECT_EQ(settings.ShortCut, kAlt | 'A') << "the history hotkey is its own";
        SaveSettings(profile, names, "x.ini", position, settings);
        EXPECT_EQ(profile.Written("QuoteShortCut"), row.written);
        EXPECT_EQ(profile.writes.back(), std::string("Other/QuoteShortCut=") + row.written) << "written last";
    }
}

TEST(SettingsFile, AValueLongerThanTheBufferIsCutWhenReadAndWrittenBackCut) {
    TempFolder folder;
    const std::string path = folder.File("Kaveto.ini");
    const std::string long_name(3000, 'n');
    WriteFileBytes(folder.path() / "Kaveto.ini", "[Other]\r\nSaveFileName=" + long_name + "\r\n");
    IniFileProfile profile;
    NoKeyNames names;
    WindowPosition position;
    Settings settings;
    LoadSettings(profile, names, path, position, settings);
    EXPECT_EQ(settings.SaveFileName, std::string(2047, 'n'));
    SaveSettings(profile, names, path, position, settings);
    EXPECT_NE(ReadFileBytes(folder.path() / "Kaveto.ini").find("SaveFileName=" + std::string(2047, 'n') + "\r\n"),
              std::string::npos);
}

TEST(SettingsFile, AFileThatCannotBeWrittenStopsTheSave) {
    TempFolder folder;
    // A folder where the file should be: no write can replace it.
    std::filesystem::create_directory(folder.path() / "Kaveto.ini");
    const std::string path = folder.File("Kaveto.ini");
    IniFileProfile profile;
    NoKeyNames names;
    EXPECT_THROW(SaveSettings(profile, names, path, WindowPosition{}, Settings{}), ProfileWriteError);
    // And a missing folder.
    const std::string lost = folder.File("missing") + "\\Kaveto.ini";
    try {
        SaveSettings(profile, names, lost, WindowPosition{}, Settings{});
        ADD_FAILURE() << "no error";
    } catch (const ProfileWriteError& error) {
        EXPECT_EQ(std::string(error.what()), lost + kCannotWrite);
    }
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "missing"));
}

}  // namespace
}  // namespace kaveto
