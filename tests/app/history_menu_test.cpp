#include "engine/history_menu.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "fakes/engine_fakes.h"
#include "platform/errors.h"
#include "platform/seams.h"

namespace kaveto {
namespace {

TEST(HistoryItemCaption, CutsTheLabelAtFiftyBytesAndAddsTheAccelerator) {
    const std::string sixty(60, 'x');
    // 49 single bytes, then a double-byte character over bytes 50 and 51.
    const std::string straddling = std::string(49, 'a') + "\x82\xa0" + "tail";
    struct Row {
        const char* name;
        std::string label;
        std::size_t index;
        std::string caption;
    } rows[] = {
        {"short", "Example", 0, "Example(&A)"},
        {"empty", "", 1, "(&B)"},
        {"exactly fifty", std::string(50, 'y'), 2, std::string(50, 'y') + "(&C)"},
        {"sixty", sixty, 0, std::string(50, 'x') + "(&A)"},
        {"double-byte cut in half", straddling, 0, std::string(49, 'a') + "\x82" + "(&A)"},
        {"double-byte ending at fifty", std::string(48, 'a') + "\x82\xa0" + "z", 0,
         std::string(48, 'a') + "\x82\xa0" + "(&A)"},
        {"ampersand kept single", "R&D notes", 3, "R&D notes(&D)"},
        {"twentieth entry", "last", 19, "last(&T)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(HistoryItemCaption(row.label, row.index), row.caption);
    }
}

TEST(HistoryItemCaptions, LettersRunFromAForTheNewestToTForTheTwentieth) {
    std::vector<std::string> texts, labels;
    for (int i = 0; i < 20; ++i) {
        texts.push_back("text" + std::to_string(i));
        labels.push_back("L" + std::to_string(i));
    }
    const HistoryLists history = fakes::HistoryOf(texts, labels);
    const std::vector<std::string> captions = HistoryItemCaptions(history);
    ASSERT_EQ(captions.size(), 20u);
    EXPECT_EQ(captions.front(), "L0(&A)");
    EXPECT_EQ(captions[2], "L2(&C)");
    EXPECT_EQ(captions.back(), "L19(&T)");
    EXPECT_TRUE(HistoryItemCaptions(HistoryLists{}).empty());
}

HistoryLists ThreeEntries() { return fakes::HistoryOf({"T0", "T1", "T2"}, {"L0", "L1", "L2"}); }

TEST(MoveHistoryEntryToTop, MovesTheEntryAndKeepsTheOtherEntriesInOrder) {
    struct Row {
        std::size_t index;
        std::vector<std::string> texts, labels;
    } rows[] = {
        {0, {"T0", "T1", "T2"}, {"L0", "L1", "L2"}},
        {1, {"T1", "T0", "T2"}, {"L1", "L0", "L2"}},
        {2, {"T2", "T0", "T1"}, {"L2", "L0", "L1"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.index);
        HistoryLists history = ThreeEntries();
        MoveHistoryEntryToTop(history, row.index);
        EXPECT_EQ(history.history_texts(), row.texts);
        EXPECT_EQ(history.history_labels(), row.labels);
    }
}

TEST(MoveHistoryEntryToTop, ARowThatIsNotThereLeavesTheHistoryAlone) {
    HistoryLists history = ThreeEntries();
    EXPECT_THROW(MoveHistoryEntryToTop(history, 3), ListIndexError);
    EXPECT_EQ(history.history_texts(), (std::vector<std::string>{"T0", "T1", "T2"}));
    EXPECT_EQ(history.history_labels(), (std::vector<std::string>{"L0", "L1", "L2"}));
}

TEST(NextTargetWindow, RecordsEveryForegroundWindowButTheMainWindow) {
    const WindowHandle main = 0x100, editor = 0x200, browser = 0x300;
    struct Row {
        const char* name;
        WindowHandle target, foreground, expected;
    } rows[] = {
        {"first window recorded", 0, editor, editor},
        {"another window replaces it", editor, browser, browser},
        {"same window again", browser, browser, browser},
        {"main window in front", editor, main, editor},
        {"main window before any target", 0, main, 0},
        {"nothing in front is recorded", editor, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(NextTargetWindow(row.target, row.foreground, main), row.expected);
    }
}

TEST(PastePause, NegativeSettingsPauseNotAtAll) {
    EXPECT_EQ(PastePause(100), 100u);
    EXPECT_EQ(PastePause(0), 0u);
    EXPECT_EQ(PastePause(-1), 0u);
    EXPECT_EQ(PastePause(INT_MIN), 0u);
    EXPECT_EQ(PastePause(INT_MAX), static_cast<std::uint32_t>(INT_MAX));
}

// Records what the paste-back does, in order, as one line per step.
class RecordingActions : public PasteBackActions {
public:
    std::vector<std::string> steps;
    void BringToFront(WindowHandle window) override { steps.push_back("front " + std::to_string(window)); }
    void Pause(std::uint32_t ms) override { steps.push_back("pause " + std::to_string(ms)); }
    void KeyEvent(std::uint8_t vk, bool up) override {
        steps.push_back(std::string(vk == kVkControl ? "ctrl" : vk == kVkV ? "v" : "?") + (up ? " up" : " down"));
    }
};

class FakeClipboard : public Clipboard {
public:
    bool locked = false;
    std::vector<std::string>* steps = nullptr;
    std::string text;
    void SetText(const std::string& t) override {
        if (locked) throw ClipboardError();
        text = t;
        if (steps) steps->push_back("clipboard " + t);
    }
};

struct ReuseCase {
    AppState state;
    RecordingActions actions;
    FakeClipboard clipboard;
    ReuseCase() {
        state.history = ThreeEntries();
        state.target_window = 0x42;
        clipboard.steps = &actions.steps;
    }
};

TEST(ReuseHistoryEntry, CopiesMovesBringsBackAndPastesInThatOrder) {
    struct Row {
        const char* name;
        bool paste;
        std::int32_t clipbord_time;
        std::vector<std::string> steps;
    } rows[] = {
        {"default pause",
         true,
         100,
         {"clipboard T2", "front 66", "pause 100", "ctrl down", "v down", "pause 100", "v up", "ctrl up"}},
        {"zero pause", true, 0, {"clipboard T2", "front 66", "pause 0", "ctrl down", "v down", "pause 0", "v up", "ctrl up"}},
        {"negative pause", true, -1,
         {"clipboard T2", "front 66", "pause 0", "ctrl down", "v down", "pause 0", "v up", "ctrl up"}},
        {"paste switched off", false, 100, {"clipboard T2", "front 66"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ReuseCase c;
        c.state.settings.PasteBool = row.paste;
        c.state.settings.ClipbordTime = row.clipbord_time;
        ReuseHistoryEntry(c.state, 2, c.clipboard, c.actions);
        EXPECT_EQ(c.actions.steps, row.steps);
        EXPECT_EQ(c.state.history.history_labels(), (std::vector<std::string>{"L2", "L0", "L1"}));
    }
}

TEST(ReuseHistoryEntry, ALockedClipboardChangesNothingElse) {
    ReuseCase c;
    c.clipboard.locked = true;
    EXPECT_THROW(ReuseHistoryEntry(c.state, 1, c.clipboard, c.actions), ClipboardError);
    EXPECT_TRUE(c.actions.steps.empty());
    EXPECT_EQ(c.state.history.history_texts(), ThreeEntries().history_texts());
    EXPECT_EQ(c.state.history.history_labels(), ThreeEntries().history_labels());
}

TEST(ReuseHistoryEntry, AnEntryBeyondTheListTouchesNeitherClipboardNorWindows) {
    ReuseCase c;
    EXPECT_THROW(ReuseHistoryEntry(c.state, 5, c.clipboard, c.actions), ListIndexError);
    EXPECT_TRUE(c.actions.steps.empty());
}

}  // namespace
}  // namespace kaveto
