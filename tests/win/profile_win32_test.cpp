// The settings file against the system's own profile functions, and the
// program's own file access compared with them.
#include "platform/profile_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "engine/settings.h"
#include "platform/errors.h"
#include "platform/profile_ini.h"
#include "tests/platform/temp_folder.h"

namespace kaveto {
namespace {

using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WriteFileBytes;

const std::string kCannotWrite = " \x82\xc9\x8f\x91\x82\xab\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1";

// Counts the writes that reach the system.
class CountingProfile : public Profile {
public:
    Win32Profile system;
    int writes = 0;
    std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                           const std::string& fallback) override {
        return system.ReadString(path, section, key, fallback);
    }
    bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                     const std::string& value) override {
        ++writes;
        return system.WriteString(path, section, key, value);
    }
};

TEST(Win32Profile, AFreshFileReceivesTheKeysInWriteOrder) {
    TempFolder folder;
    const std::string path = folder.File("Kaveto.ini");
    Win32Profile profile;
    Win32KeyNames names;
    WindowPosition position{-20, 3000};
    Settings settings;
    LoadSettings(profile, names, path, position, settings);
    EXPECT_EQ(position.top, -20);
    EXPECT_EQ(settings.ShortCut, kAlt | 'A');
    settings.Youbi = {"Holy day", "\x93\xfa"};
    settings.LogBool = true;
    SaveSettings(profile, names, path, position, settings);
    EXPECT_EQ(ReadFileBytes(folder.path() / "Kaveto.ini"),
              "[Window]\r\nTop=-20\r\nLeft=3000\r\n[Other]\r\nYoubi=\"Holy day\",\x93\xfa\r\nLogBool=1\r\n"
              "LogBetweenText=\\r\\n\r\nLogOrderBool=1\r\nExtendTime=0\r\nDoClipBool=1\r\nHistoryBool=1\r\n"
              "PasteBool=1\r\nShortCut=Alt+A\r\nClipbordTime=100\r\n"
              "SaveFileName=%my_folder%log\\%yyyy%\x94\x4e%mm%\x8c\x8e%dd%\x93\xfa.txt\r\nLogCode=ShiftJis\r\nQuoteShortCut=\r\n");

    // Read back through the system: the same values.
    WindowPosition again{0, 0};
    Settings reread;
    LoadSettings(profile, names, path, again, reread);
    EXPECT_EQ(again.top, -20);
    EXPECT_EQ(again.left, 3000);
    EXPECT_EQ(reread.Youbi, settings.Youbi);
    EXPECT_TRUE(reread.LogBool);
    EXPECT_EQ(reread.SaveFileName, settings.SaveFileName);
}

TEST(Win32Profile, AFileThatCannotBeWrittenGivesTheErrorAndStops) {
    TempFolder folder;
    // Root writes read-only files; a folder in the file's place stops it.
    ASSERT_TRUE(::CreateDirectoryA(folder.File("Kaveto.ini").c_str(), nullptr));
    const std::string path = folder.File("Kaveto.ini");
    CountingProfile profile;
    Win32KeyNames names;
    try {
        SaveSettings(profile, names, path, WindowPosition{}, Settings{});
        ADD_FAILURE() << "no error";
    } catch (const ProfileWriteError& error) {
        EXPECT_EQ(std::string(error.what()), path + kCannotWrite);
    }
    EXPECT_EQ(profile.writes, 1);  // the first key failed; no other was tried

    // A missing folder fails the same way.
    const std::string lost = folder.File("missing\\Kaveto.ini");
    EXPECT_THROW(SaveSettings(profile, names, lost, WindowPosition{}, Settings{}), ProfileWriteError);
    EXPECT_EQ(::GetFileAttributesA(folder.File("missing").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Win32Profile, ALongValueReadsBackCutTo2047Bytes) {
    TempFolder folder;
    const std::string path = folder.File("Kaveto.ini");
    WriteFileBytes(folder.path() / "Kaveto.ini",
                   "[Other]\r\nSaveFileName=" + std::string(3000, 'n') + "\r\nLogBetweenText=\"" +
                       std::string(3000, 'q') + "\"\r\n");
    Win32Profile profile;
    Win32KeyNames names;
    WindowPosition position;
    Settings settings;
    LoadSettings(profile, names, path, position, settings);
    EXPECT_EQ(settings.SaveFileName, std::string(2047, 'n'));
    EXPECT_EQ(settings.LogBetweenText, std::string(2047, 'q'));
    IniFileProfile own;
    EXPECT_EQ(own.ReadString(path, "Other", "SaveFileName", ""), settings.SaveFileName);
    EXPECT_EQ(own.ReadString(path, "Other", "LogBetweenText", ""), settings.LogBetweenText);
}

// The program's own file access reads what the system reads.
TEST(IniFileProfile, ReadsWhatTheSystemReads) {
    const struct {
        const char* name;
        std::string content;
    } files[] = {
        {"plain", "[Window]\r\nTop=5\r\nLeft=-7\r\n[Other]\r\nYoubi=a,b\r\nk=\r\n"},
        {"case and blanks", "  [wINDOW]  \r\n  top  =  5 6 \t\r\nLEFT\t=\t-7\r\n[other]\r\nK = x\r\n"},
        {"quotes", "[Other]\r\nk=\"q\"\r\nYoubi=' a '\r\nj=\"x'\r\nm=\"\r\nn=\"\"\"\"\r\n"},
        {"duplicates", "[Other]\r\nk=1\r\nk=2\r\n[other]\r\nj=3\r\n[Window]\r\nTop=1\r\n[Window]\r\nTop=2\r\n"},
        {"comments and strays", "k=0\r\n; c\r\n[Other]\r\n;k=9\r\nj\r\nk=a=b\r\n[Window] x\r\nTop=4\r\n"},
        {"line feeds", "[Other]\nk=1\nj=2\n[Window]\nTop=3"},
        {"blank lines", "\r\n\r\n[Other]\r\n\r\nk=1\r\n\r\n\r\n[Window]\r\n\r\n"},
        {"double-byte", "[Other]\r\nk=\x93\xfa\x96\x7b\r\n\x8c\x8e=\x89\xce\r\n"},
        {"no such keys", "[ Other ]\r\nk=1\r\n[Window\r\nTop=1\r\n"},
    };
    const char* const keys[][2] = {{"Window", "Top"}, {"Window", "Left"}, {"Other", "k"},     {"Other", "j"},
                                   {"Other", "m"},    {"Other", "n"},     {"Other", "Youbi"}, {"OTHER", " K "},
                                   {"Other", "\x8c\x8e"}};
    TempFolder folder;
    Win32Profile system;
    IniFileProfile own;
    int index = 0;
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        const std::string name = "f" + std::to_string(index++) + ".ini";
        WriteFileBytes(folder.path() / name, file.content);
        const std::string path = folder.File(name);
        for (const auto& key : keys) {
            SCOPED_TRACE(std::string(key[0]) + "/" + key[1]);
            EXPECT_EQ(own.ReadString(path, key[0], key[1], "<fb>"), system.ReadString(path, key[0], key[1], "<fb>"));
        }
    }
}

// Both give the same file when they write the same values into the same
// starting file, except that the program keeps blank lines and the lines it
// does not write to as they were, where the system drops blank lines and
// rewrites every line in its own form. Either way the values read the same.
TEST(IniFileProfile, WritesWhatTheSystemWrites) {
    const struct {
        const char* name;
        std::string content;
        bool same_bytes;
    } files[] = {
        {"none", "", true},
        {"other keys", "[Other]\r\nx=1\r\n[Window]\r\nLeft=0\r\n", true},
        {"existing keys in other case", "[window]\r\n  top = 9 \r\n[OTHER]\r\nk=old\r\n", true},
        {"comments", "; settings\r\n[Other]\r\n; note\r\nk=1\r\n", true},
        {"no final line end", "[Other]\r\nk=1", true},
        {"duplicate sections", "[Other]\r\nx=1\r\n[Window]\r\n[other]\r\nk=5\r\n", true},
        {"blank lines between sections", "[Other]\r\nx=1\r\n\r\n[Window]\r\nTop=1\r\n\r\n", false},
        {"blanks in the brackets", "[ Other ]\r\nx=1\r\n", false},
    };
    const char* const writes[][3] = {{"Window", "Top", "12"}, {"Other", "k", "new value"}, {"Window", "Left", "-1"},
                                     {"Extra", "e", "\x93\xfa"}, {"other", "x", "2"}};
    TempFolder folder;
    Win32Profile system;
    IniFileProfile own;
    int index = 0;
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        const std::string mine = "m" + std::to_string(index) + ".ini";
        const std::string theirs = "s" + std::to_string(index++) + ".ini";
        if (!file.content.empty()) {
            WriteFileBytes(folder.path() / mine, file.content);
            WriteFileBytes(folder.path() / theirs, file.content);
        }
        for (const auto& write : writes) {
            ASSERT_TRUE(own.WriteString(folder.File(mine), write[0], write[1], write[2]));
            ASSERT_TRUE(system.WriteString(folder.File(theirs), write[0], write[1], write[2]));
        }
        if (file.same_bytes) {
            EXPECT_EQ(ReadFileBytes(folder.path() / mine), ReadFileBytes(folder.path() / theirs));
        }
        for (const auto& write : writes) {
            SCOPED_TRACE(write[1]);
            EXPECT_EQ(system.ReadString(folder.File(mine), write[0], write[1], "<fb>"), write[2]);
            EXPECT_EQ(own.ReadString(folder.File(theirs), write[0], write[1], "<fb>"), write[2]);
        }
    }
}

// Every key the keyboard layout names comes back from its text, as the
// lowest code that bears the same name.
TEST(Win32KeyNames, ShortCutTextsRoundTripWithTheLayoutsNames) {
    Win32KeyNames names;
    int named_outside_table = 0;
    for (int vk = 8; vk <= 255; ++vk) {
        SCOPED_TRACE(vk);
        const ShortCutValue value = static_cast<ShortCutValue>(vk | kCtrl);
        const std::string text = FormatShortCut(value, names);
        if (text.empty()) continue;
        const ShortCutValue back = ParseShortCut(text, names);
        EXPECT_EQ(back & 0xE000, kCtrl);
        EXPECT_LE(back & 0xFF, vk);
        EXPECT_EQ(FormatShortCut(back, names), text);
        if (KeyName(vk, names) == names.SystemKeyName(vk)) ++named_outside_table;
    }
    EXPECT_GT(named_outside_table, 10);
    EXPECT_EQ(names.SystemKeyName(0), "");
}

}  // namespace
}  // namespace kaveto
