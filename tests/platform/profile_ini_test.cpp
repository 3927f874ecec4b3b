#include "platform/profile_ini.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/platform/temp_folder.h"

namespace kaveto {
namespace {

using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WriteFileBytes;

const char kMissing[] = "<missing>";

std::string Lookup(std::string_view content, std::string_view section, std::string_view key) {
    return IniLookup(content, section, key).value_or(kMissing);
}

TEST(IniLookup, NamesBlanksQuotesAndLines) {
    const struct {
        const char* name;
        std::string content;
        const char* section;
        const char* key;
        std::string expected;
    } cases[] = {
        {"plain", "[Other]\r\nLogBool=1\r\n", "Other", "LogBool", "1"},
        {"names in any case", "[oTHER]\r\nlogbool=1\r\n", "Other", "LOGBOOL", "1"},
        {"blanks around name and value", "  [Other]\r\n  LogBool \t=  a b  \r\n", "Other", "LogBool", "a b"},
        {"blanks around the asked names", "[Other]\r\nLogBool=1\r\n", " Other ", " LogBool\t", "1"},
        {"blanks inside the brackets", "[ Other ]\r\nLogBool=1\r\n", "Other", "LogBool", "1"},
        {"double quotes", "[O]\r\nk=\" padded \"\r\n", "O", "k", " padded "},
        {"single quotes", "[O]\r\nk='x'\r\n", "O", "k", "x"},
        {"only one pair stripped", "[O]\r\nk=\"\"x\"\"\r\n", "O", "k", "\"x\""},
        {"quotes that differ stay", "[O]\r\nk=\"x'\r\n", "O", "k", "\"x'"},
        {"a lone quote stays", "[O]\r\nk=\"\r\n", "O", "k", "\""},
        {"empty quotes", "[O]\r\nk=\"\"\r\n", "O", "k", ""},
        {"quotes inside stay", "[O]\r\nk=a\"b\"\r\n", "O", "k", "a\"b\""},
        {"empty value", "[O]\r\nk=\r\n", "O", "k", ""},
        {"no equals sign", "[O]\r\nk\r\n", "O", "k", kMissing},
        {"equals signs in the value", "[O]\r\nk=a=b\r\n", "O", "k", "a=b"},
        {"first of duplicate keys", "[O]\r\nk=1\r\nK=2\r\n", "O", "k", "1"},
        {"first of duplicate sections", "[O]\r\na=1\r\n[o]\r\nk=2\r\n", "O", "k", kMissing},
        {"key in another section", "[A]\r\nk=1\r\n[B]\r\n", "B", "k", kMissing},
        {"key before any section", "k=1\r\n[O]\r\n", "O", "k", kMissing},
        {"comment line", "[O]\r\n;k=1\r\n", "O", "k", kMissing},
        {"comment line before the key", "[O]\r\n; note\r\nk=2\r\n", "O", "k", "2"},
        {"text after the bracket", "[O] ; x\r\nk=1\r\n", "O", "k", "1"},
        {"bracket without its end is a key", "[O\r\nk=1\r\n", "O", "k", kMissing},
        {"line feeds only", "[O]\nk=1\nj=2\n", "O", "j", "2"},
        {"carriage returns only", "[O]\rk=1\r", "O", "k", "1"},
        {"no line end at the end", "[O]\r\nk=last", "O", "k", "last"},
        {"blank lines", "\r\n\r\n[O]\r\n\r\nk=1\r\n\r\n", "O", "k", "1"},
        {"a zero byte ends the value", std::string("[O]\r\nk=12\0 34\r\n", 15), "O", "k", "12"},
        {"end-of-file mark", "[O]\r\nk=1\r\n\x1a", "O", "k", "1"},
        {"double-byte names", "[\x83\x41]\r\nk=1\r\n", "\x83\x41", "k", "1"},
        // Only the single-byte letters fold; 0x83 0x61 is another character.
        {"double-byte names do not fold", "[\x83\x41]\r\nk=1\r\n", "\x83\x61", "k", kMissing},
        {"missing section", "[O]\r\nk=1\r\n", "P", "k", kMissing},
        {"empty file", "", "O", "k", kMissing},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Lookup(c.content, c.section, c.key), c.expected);
    }
}

TEST(IniLookup, ValuesAreCutTo2047Bytes) {
    const std::string long_value(3000, 'v');
    EXPECT_EQ(Lookup("[O]\r\nk=" + long_value + "\r\n", "O", "k"), std::string(2047, 'v'));
    EXPECT_EQ(Lookup("[O]\r\nk=" + std::string(2047, 'w') + "\r\n", "O", "k"), std::string(2047, 'w'));
    EXPECT_EQ(Lookup("[O]\r\nk=\"" + long_value + "\"\r\n", "O", "k"), std::string(2047, 'v'));
    // A double-byte character across the limit is left out whole.
    const std::string dbcs = std::string(2046, 'a') + "\x82\xa0" + "b";
    EXPECT_EQ(Lookup("[O]\r\nk=" + dbcs + "\r\n", "O", "k"), std::string(2046, 'a'));
    // A megabyte value.
    EXPECT_EQ(Lookup("[O]\r\nk=" + std::string(1 << 20, 'm'), "O", "k").size(), 2047u);
}

TEST(IniUpdate, PlacesKeysAndSections) {
    const struct {
        const char* name;
        std::string content;
        const char* section;
        const char* key;
        const char* value;
        std::string expected;
    } cases[] = {
        {"fresh file", "", "Window", "Top", "0", "[Window]\r\nTop=0\r\n"},
        {"new key at the end of its section", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n", "A", "z", "3",
         "[A]\r\nx=1\r\nz=3\r\n[B]\r\ny=2\r\n"},
        {"new key before the blank lines", "[A]\r\nx=1\r\n\r\n[B]\r\n", "a", "z", "3",
         "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\n"},
        {"new key in an empty section", "[A]\r\n\r\n[B]\r\n", "A", "z", "3", "[A]\r\nz=3\r\n\r\n[B]\r\n"},
        {"new section at the end", "[A]\r\nx=1", "B", "y", "2", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n"},
        {"existing key keeps its place and name", "[A]\r\n  X = 1 \r\nw=0\r\n", "a", "x", "9",
         "[A]\r\nX=9\r\nw=0\r\n"},
        {"first of duplicate keys", "[A]\r\nx=1\r\nx=2\r\n", "A", "x", "9", "[A]\r\nx=9\r\nx=2\r\n"},
        {"key without a value", "[A]\r\nx\r\n", "A", "x", "1", "[A]\r\nx=1\r\n"},
        {"comments and other lines kept", "; top\nk=0\n[A]\n;c\nx=1\n", "A", "x", "2",
         "; top\r\nk=0\r\n[A]\r\n;c\r\nx=2\r\n"},
        {"leading blanks of the value dropped", "", "A", "x", "  v ", "[A]\r\nx=v \r\n"},
        {"empty value", "", "A", "x", "", "[A]\r\nx=\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IniUpdate(c.content, c.section, c.key, c.value), c.expected);
    }
}

// Whatever the file holds, a value written is the value read next, and
// nothing reads outside the text.
TEST(IniUpdate, RandomFilesReadBackWhatWasWritten) {
    std::mt19937 random(20261208);
    const char alphabet[] = "[]=;\"' \t\r\n\x1a\0abkKO\x82\xa0\x83\x41";
    for (int round = 0; round < 400; ++round) {
        std::string content(random() % 600, '\0');
        for (char& c : content)
            c = (random() % 4 == 0) ? static_cast<char>(random() % 256) : alphabet[random() % (sizeof alphabet - 1)];
        SCOPED_TRACE(round);
        for (const char* section : {"O", "o", "[O]", "\x83\x41"}) {
            const auto before = IniLookup(content, section, "k");
            if (before) {
                EXPECT_LE(before->size(), kProfileValueLimit);
            }
            const std::string updated = IniUpdate(content, section, "k", "value 42");
            EXPECT_EQ(Lookup(updated, section, "k"), "value 42");
            // Writing again changes nothing.
            EXPECT_EQ(IniUpdate(updated, section, "k", "value 42"), updated);
        }
    }
}

TEST(IniFileProfile, ReadsAndWritesAFile) {
    TempFolder folder;
    const std::string path = folder.File("a.ini");
    IniFileProfile profile;
    EXPECT_EQ(profile.ReadString(path, "O", "k", "fallback"), "fallback");  // no file
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "a.ini"));
    ASSERT_TRUE(profile.WriteString(path, "Window", "Top", "10"));
    ASSERT_TRUE(profile.WriteString(path, "Window", "Left", "-2"));
    ASSERT_TRUE(profile.WriteString(path, "Other", "Youbi", "a,b"));
    ASSERT_TRUE(profile.WriteString(path, "WINDOW", "top", "11"));
    EXPECT_EQ(ReadFileBytes(folder.path() / "a.ini"), "[Window]\r\nTop=11\r\nLeft=-2\r\n[Other]\r\nYoubi=a,b\r\n");
    EXPECT_EQ(profile.ReadString(path, "window", "LEFT", "x"), "-2");
    EXPECT_EQ(profile.ReadString(path, "Other", "Missing", "fallback"), "fallback");
    EXPECT_EQ(profile.ReadString(path, "Nope", "Top", ""), "");
}

TEST(IniFileProfile, RefusesWritesThatCannotReachTheFile) {
    TempFolder folder;
    IniFileProfile profile;
    EXPECT_FALSE(profile.WriteString(folder.File("no\\such\\a.ini"), "O", "k", "1"));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "no"));
    std::filesystem::create_directory(folder.path() / "dir.ini");
    EXPECT_FALSE(profile.WriteString(folder.File("dir.ini"), "O", "k", "1"));
    EXPECT_EQ(profile.ReadString(folder.File("dir.ini"), "O", "k", "fb"), "fb");
}

TEST(IniFileProfile, SurvivesHugeAndBinaryFiles) {
    TempFolder folder;
    const auto native = folder.path() / "big.ini";
    std::string big = "[O]\r\n";
    for (int i = 0; i < 20000; ++i) big += "key" + std::to_string(i) + "=" + std::string(50, 'x') + "\r\n";
    big += "k=" + std::string(100000, 'y') + "\r\n";
    big += std::string("\0\xff\r\n[\0]\r\n", 9);
    WriteFileBytes(native, big);
    IniFileProfile profile;
    const std::string path = folder.File("big.ini");
    EXPECT_EQ(profile.ReadString(path, "O", "k", ""), std::string(2047, 'y'));
    EXPECT_EQ(profile.ReadString(path, "O", "key19999", ""), std::string(50, 'x'));
    ASSERT_TRUE(profile.WriteString(path, "O", "key5", "short"));
    EXPECT_EQ(profile.ReadString(path, "O", "key5", ""), "short");
    EXPECT_EQ(profile.ReadString(path, "O", "k", "").size(), 2047u);
    EXPECT_EQ(ReadFileBytes(native).size(), big.size() - 50 + 5);
}

TEST(NativeFilePath, TurnsOnlySingleByteBackslashes) {
    EXPECT_EQ(NativeFilePath("\\tmp\\a\\b.ini"), "/tmp/a/b.ini");
    EXPECT_EQ(NativeFilePath("\\\x95\x5c\\x"), "/\x95\x5c/x");
    EXPECT_EQ(NativeFilePath("/already/fine"), "/already/fine");
}

}  // namespace
}  // namespace kaveto
