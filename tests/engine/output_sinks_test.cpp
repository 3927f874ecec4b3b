#include "engine/output_sinks.h"

#include <gtest/gtest.h>

#include "fakes/engine_fakes.h"
#include "platform/errors.h"

namespace kaveto {
namespace {

using fakes::FakeEnvironment;
using fakes::ShiftJisSnippet;

TEST(AddToHistory, NewestFirstTrimmedAtTwentyInStep) {
    HistoryLists h;
    for (int i = 1; i <= 21; ++i)
        AddToHistory(h, ShiftJisSnippet("text" + std::to_string(i)), "label" + std::to_string(i));
    ASSERT_EQ(h.history_texts().size(), 20u);
    ASSERT_EQ(h.history_labels().size(), 20u);
    EXPECT_EQ(h.history_texts().front(), "text21");
    EXPECT_EQ(h.history_labels().front(), "label21");
    EXPECT_EQ(h.history_texts().back(), "text2");  // the first one has gone
    EXPECT_EQ(h.history_labels().back(), "label2");
    AddToHistory(h, ShiftJisSnippet("text21"), "label21");  // duplicates are kept
    EXPECT_EQ(h.history_texts()[0], h.history_texts()[1]);
    EXPECT_EQ(h.history_texts().size(), 20u);
}

TEST(LogDate, ExtendTimeShiftsToThePreviousDay) {
    struct Row {
        const char* name;
        LocalTime now;
        int extend;
        int year, month, day;
    } rows[] = {
        {"03:59 with 4 goes to yesterday", {2026, 6, 7, 3, 59, 0, 0}, 4, 2026, 6, 6},
        {"04:00 with 4 stays today", {2026, 6, 7, 4, 0, 0, 0}, 4, 2026, 6, 7},
        {"1 March 2026 01:00 with 3", {2026, 3, 1, 1, 0, 0, 0}, 3, 2026, 2, 28},
        {"1 March 2024 (leap) 01:00 with 3", {2024, 3, 1, 1, 0, 0, 5}, 3, 2024, 2, 29},
        {"1 March 2100 (not leap)", {2100, 3, 1, 0, 0, 0, 1}, 1, 2100, 2, 28},
        {"1 March 2000 (leap)", {2000, 3, 1, 0, 0, 0, 3}, 1, 2000, 2, 29},
        {"1 January rolls the year back", {2027, 1, 1, 0, 30, 0, 5}, 2, 2026, 12, 31},
        {"1 May to 30 April", {2026, 5, 1, 2, 0, 0, 5}, 3, 2026, 4, 30},
        {"0 never shifts", {2026, 6, 7, 0, 0, 0, 0}, 0, 2026, 6, 7},
        {"negative never shifts", {2026, 6, 7, 0, 0, 0, 0}, -5, 2026, 6, 7},
        {"24 always shifts", {2026, 6, 7, 23, 59, 59, 0}, 24, 2026, 6, 6},
        {"100 always shifts", {2026, 6, 1, 23, 0, 0, 1}, 100, 2026, 5, 31},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const LocalTime d = LogDate(row.now, row.extend);
        EXPECT_EQ(d.year, row.year);
        EXPECT_EQ(d.month, row.month);
        EXPECT_EQ(d.day, row.day);
    }
}

TEST(ExpandLogFileName, TokensInOrderOthersStay) {
    const Settings defaults;
    EXPECT_EQ(ExpandLogFileName(defaults.SaveFileName, {2026, 12, 7, 0, 0, 0, 1}, "C:\\prog\\"),
              "C:\\prog\\log\\2026\x94\x4e" "12\x8c\x8e" "07\x93\xfa.txt");
    EXPECT_EQ(ExpandLogFileName("%yy%_%m%_%mm%_%d%_%dd%_%hh%_%Youbi%_%MY_FOLDER%", {2026, 3, 9, 5, 0, 0, 1}, "X\\"),
              "26_3_03_9_09_%hh%_%Youbi%_%MY_FOLDER%");
}

struct WriteLogTest : ::testing::Test {
    FakeEnvironment f;
    Settings s;
    const std::string path = "C:\\prog\\log\\2026\x94\x4e" "06\x8c\x8e" "07\x93\xfa.txt";
    void SetUp() override { f.files.AddFolder("C:\\prog\\log"); }
};

TEST_F(WriteLogTest, MergesOldContentInEitherOrder) {
    struct Row {
        const char* name;
        bool exists;
        std::string old;
        bool append;
        std::string between, snippet, expected;
    } rows[] = {
        {"append", true, "A", true, "\\r\\n", "B", "A\r\nB"},
        {"prepend", true, "A", false, "\\r\\n", "B", "B\r\nA"},
        {"new file: snippet alone", false, "", true, "\\r\\n", "B", "B"},
        {"new file, prepending", false, "", false, "----", "B", "B"},
        {"empty file, append", true, "", true, "--", "B", "--B"},
        {"empty file, prepend", true, "", false, "--", "B", "B--"},
        {"the snippet's own \\r\\n breaks too", true, "A", true, "|", "x\\r\\ny", "A|x\r\ny"},
        {"old literal \\r\\n converted too", true, "o\\r\\n", true, "", "", "o\r\n"},
        {"a second byte is no backslash", true, "", true, "", "\x95\\r\\n", "\x95\\r\\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        f.files.files.erase(path);
        if (row.exists) f.files.Put(path, row.old);
        s.LogOrderBool = row.append;
        s.LogBetweenText = row.between;
        WriteLog(ShiftJisSnippet(row.snippet), s, f.env);
        EXPECT_EQ(f.files.files[path], row.expected);
    }
    EXPECT_EQ(s.SaveFileName, Settings{}.SaveFileName);  // the template is never changed
}

TEST_F(WriteLogTest, UsesTheClockAndTheDayShift) {
    s.ExtendTime = 3;
    f.clock.now = {2026, 3, 1, 1, 0, 0, 0};
    WriteLog(ShiftJisSnippet("x"), s, f.env);
    ASSERT_EQ(f.files.writes.size(), 1u);
    EXPECT_EQ(f.files.writes[0], "C:\\prog\\log\\2026\x94\x4e" "02\x8c\x8e" "28\x93\xfa.txt");
}

TEST_F(WriteLogTest, FailuresSurfaceAsFileErrors) {
    struct Row {
        const char* name;
        std::uint32_t read_error, write_error;
        const char* message;
    } rows[] = {
        {"unreadable old file", 5, 0, "File access denied"},
        {"held by another program", 32, 0, "I/O error 32"},
        {"write refused", 0, 5, "File access denied"},
        {"disk full", 0, 112, "I/O error 112"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        f.files.Put(path, "old");
        f.files.read_errors.clear();
        f.files.write_errors.clear();
        if (row.read_error) f.files.read_errors[path] = row.read_error;
        if (row.write_error) f.files.write_errors[path] = row.write_error;
        try {
            WriteLog(ShiftJisSnippet("new"), s, f.env);
            ADD_FAILURE() << "no error";
        } catch (const FileError& e) {
            EXPECT_STREQ(e.what(), row.message);
        }
        EXPECT_EQ(f.files.files[path], "old");
    }
}

TEST_F(WriteLogTest, MissingFolderIsNotCreated) {
    s.SaveFileName = "%my_folder%nolog\\%d%.txt";
    try {
        WriteLog(ShiftJisSnippet("x"), s, f.env);
        FAIL();
    } catch (const FileError& e) {
        EXPECT_EQ(e.code(), 3u);
        EXPECT_STREQ(e.what(), "Invalid filename");
    }
    EXPECT_FALSE(f.files.folders.count("C:\\prog\\nolog"));
}

}  // namespace
}  // namespace kaveto
