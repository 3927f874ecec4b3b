// The snippet engine on the real Windows platform: clipboard bytes, the log
// file's failures as the user sees them, and the Ctrl key choosing "sub\".
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/output_sinks.h"
#include "engine/snippet_composer.h"
#include "platform/clipboard_win32.h"
#include "platform/clock_win32.h"
#include "platform/errors.h"
#include "platform/files_win32.h"
#include "platform/unique_win32.h"
#include "tests/platform/temp_folder.h"
#include "tools/drive/clipboard.h"
#include "tools/drive/input.h"
#include "tools/drive/wait.h"
#include "tools/drive/window_query.h"

namespace kaveto {
namespace {

using drive::ClipboardText;
using testing::TempFolder;

// The names in the folder.
std::vector<std::string> Names(const testing::TempFolder& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        names.push_back(entry.path().filename().string());
    return names;
}

void Put(const std::string& path, const std::string& bytes) {
    UniqueFileHandle f(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(f);
    DWORD n = 0;
    ASSERT_TRUE(::WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr));
}

class NullClipboard : public Clipboard {
public:
    void SetText(const std::string&) override {}
};

TEST(Win32Clipboard, HoldsTheExactShiftJisBytes) {
    Win32Clipboard clipboard;
    const std::string text = "\x83\x5c\x83\x74\x83\x67 \x95\x5c\r\nhttp://example.jp/";
    clipboard.SetText(text);
    EXPECT_EQ(ClipboardText(), text);
    clipboard.SetText(std::string("before\0after", 12));
    EXPECT_EQ(ClipboardText(), "before");
    clipboard.SetText("");
    EXPECT_EQ(ClipboardText(), "");
}

struct Win32LogTest : ::testing::Test {
    TempFolder folder;
    Win32Files files;
    NullClipboard clipboard;
    Win32KeyState keys;
    Win32Clock clock;
    Environment env{folder.File(""), clipboard, keys, clock, files};
    Settings s;
    std::string LogPath() { return folder.File("") + "log.txt"; }
    std::string WriteError(const std::string& snippet) {
        try {
            WriteLog(Snippet{FromShiftJis(snippet)}, s, env);
        } catch (const FileError& e) {
            return e.what();
        }
        return "<no error>";
    }
};

TEST_F(Win32LogTest, ReplacesTheFileAndLeavesNoTemporaryFile) {
    s.SaveFileName = "%my_folder%log.txt";
    Put(LogPath(), "A");
    WriteLog(Snippet{FromShiftJis("B\\r\\n\x83\x5c")}, s, env);
    EXPECT_EQ(files.ReadAll(LogPath()), "A\r\nB\r\n\x83\x5c");
    EXPECT_EQ(Names(folder), std::vector<std::string>{"log.txt"});
}

TEST_F(Win32LogTest, DefaultNameIsTheDateInJapanese) {
    ASSERT_TRUE(::CreateDirectoryA((folder.File("") + "log").c_str(), nullptr));
    WriteLog(Snippet{FromShiftJis("x")}, s, env, LocalTime{2026, 12, 7, 10, 0, 0, 1});
    WriteLog(Snippet{FromShiftJis("y")}, s, env, LocalTime{2026, 12, 7, 11, 0, 0, 1});
    const std::string name = "2026\x94\x4e" "12\x8c\x8e" "07\x93\xfa.txt";
    WIN32_FIND_DATAA data;
    HANDLE h = ::FindFirstFileA((folder.File("") + "log\\*.txt").c_str(), &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(std::string(data.cFileName), name);
    EXPECT_FALSE(::FindNextFileA(h, &data));  // one file, no temporary one
    ::FindClose(h);
    EXPECT_EQ(files.ReadAll(folder.File("") + "log\\" + name), "x\r\ny");
}

TEST_F(Win32LogTest, MissingFolderIsInvalidFilename) {
    s.SaveFileName = "%my_folder%nolog\\%yyyy%.txt";
    EXPECT_EQ(WriteError("x"), "Invalid filename");
    EXPECT_TRUE(Names(folder).empty());  // no folder made, no file left
}

TEST_F(Win32LogTest, FolderInThePlaceOfTheFileIsAccessDenied) {
    s.SaveFileName = "%my_folder%log.txt";
    ASSERT_TRUE(::CreateDirectoryA(LogPath().c_str(), nullptr));
    EXPECT_EQ(WriteError("x"), "File access denied");
    EXPECT_EQ(Names(folder), std::vector<std::string>{"log.txt"});
}

TEST_F(Win32LogTest, FileHeldByAnotherHandleIsError32AndKeepsItsContent) {
    s.SaveFileName = "%my_folder%log.txt";
    Put(LogPath(), "old");
    {
        UniqueFileHandle held(
            ::CreateFileA(LogPath().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_EQ(WriteError("x"), "I/O error 32");
    }
    // Held only for reading by another program: it may read, but not be
    // replaced under it.
    {
        UniqueFileHandle reader(
            ::CreateFileA(LogPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(reader);
        EXPECT_EQ(WriteError("x"), "I/O error 32");
    }
    EXPECT_EQ(files.ReadAll(LogPath()), "old");
    EXPECT_EQ(Names(folder), std::vector<std::string>{"log.txt"});
}

TEST(Win32KeyState, CtrlHeldDownChoosesSub) {
    TempFolder folder;
    ASSERT_TRUE(::CreateDirectoryA((folder.File("") + "main").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((folder.File("") + "sub").c_str(), nullptr));
    Put(folder.File("") + "title.txt", "");
    Put(folder.File("") + "main\\3.txt", "main %title_txt%");
    Put(folder.File("") + "sub\\3.txt", "sub %title_txt%");

    // Keyboard input reaches the thread of the window in front.
    UniqueWindow window(::CreateWindowExA(WS_EX_TOPMOST, "STATIC", "kaveto key state", WS_POPUP | WS_VISIBLE, 0, 0,
                                          50, 50, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(window);
    ASSERT_TRUE(drive::BringToFront(window.get()));

    Win32Clipboard clipboard;
    Win32KeyState keys;
    Win32Clock clock;
    Win32Files files;
    Environment env{folder.File(""), clipboard, keys, clock, files};
    AppState state;
    state.record.page_url = FromShiftJis("http://example.jp/");
    state.record.title_txt = FromShiftJis("\x83\x5c");

    {
        // The thread's key state moves when it takes the key's message.
        drive::HeldKey control(VK_CONTROL);
        EXPECT_TRUE(drive::WaitUntil([&] { return control.Hold() && keys.ControlDown(); }));
        SnippetComposer(state, env);
        EXPECT_EQ(ClipboardText(), "sub \x83\x5c");
    }
    EXPECT_TRUE(drive::WaitUntil([&] { return !keys.ControlDown(); }));
    SnippetComposer(state, env);
    EXPECT_EQ(ClipboardText(), "main \x83\x5c");
}

}  // namespace
}  // namespace kaveto
