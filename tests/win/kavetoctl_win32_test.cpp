// kavetoctl.exe as a Windows user runs it: check over program folders, and
// standard input read whole from a file or a pipe.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "platform/files_win32.h"
#include "platform/unique_win32.h"
#include "tools/drive/console_run.h"

namespace kaveto {
namespace {

using drive::ConsoleRun;
using drive::RunConsole;
using drive::WindowsPath;

const std::string kBin = WindowsPath(KAVETO_WIN_BIN_DIR);
const std::string kCtl = kBin + "\\kavetoctl.exe";

// "表": its second byte is a backslash.
const std::string kHyo = "\x95\x5c";

class TempFolder {
public:
    TempFolder() {
        char base[MAX_PATH];
        ::GetTempPathA(MAX_PATH, base);
        static int n = 0;
        path_ = std::string(base) + "kaveto_ctl_" + std::to_string(::GetCurrentProcessId()) + "_" +
                std::to_string(n++) + "\\";
        ::CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempFolder() { Remove(path_); }
    const std::string& path() const { return path_; }
    void Put(const std::string& name, const std::string& bytes) const {
        UniqueFileHandle f(
            ::CreateFileA((path_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD n = 0;
        ::WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    }
    void Folder(const std::string& name) const { ::CreateDirectoryA((path_ + name).c_str(), nullptr); }

private:
    static void Remove(const std::string& folder) {
        WIN32_FIND_DATAA data;
        UniqueFindHandle find(::FindFirstFileA((folder + "*").c_str(), &data));
        if (find) {
            do {
                const std::string name = data.cFileName;
                if (name == "." || name == "..") continue;
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Remove(folder + name + "\\");
                else ::DeleteFileA((folder + name).c_str());
            } while (::FindNextFileA(find.get(), &data));
        }
        find.reset();
        ::RemoveDirectoryA(folder.c_str());
    }
    std::string path_;
};

// A program folder with everything the program needs and nothing wrong.
void MakeProgramFolder(const TempFolder& folder) {
    folder.Put("title.txt", "example\\.com/news,News\r\n");
    for (const char* sub : {"main", "sub"}) {
        folder.Folder(sub);
        for (const char* name : {"\\1.txt", "\\2.txt", "\\3.txt", "\\4.txt"})
            folder.Put(std::string(sub) + name, "%title_txt%\r\n%page_url%\r\n");
    }
    folder.Folder("log");
}

std::vector<std::string> Lines(const std::string& out) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(out.substr(start, end - start));
    return lines;
}

TEST(KavetoctlCheck, TheFolderBesideItPasses) {
    const ConsoleRun run = RunConsole(kCtl, "check");
    ASSERT_TRUE(run.exited) << "not started (error " << run.start_error << ") or not ended";
    EXPECT_EQ(run.exit_code, 0u) << run.out << run.err;
    EXPECT_EQ(Lines(run.out), std::vector<std::string>{"No problems found in " + kBin + "\\"});
}

TEST(KavetoctlCheck, NamesEachMistakeAndExitsOne) {
    struct Row {
        const char* name;
        const char* file;  // written into the folder; "" for none
        std::string bytes;
        std::string finding;  // the start of the one finding, "" for none
    } rows[] = {
        {"right in every way", "", "", ""},
        {"rule without a comma", "title.txt", "a,b\r\nno comma\r\n", "title.txt:2: no comma"},
        {"pattern that does not compile", "title.txt", "(a,b\r\n", "title.txt:1: the pattern does not compile"},
        {"misspelt placeholder", "sub\\2.txt", "[%url_txt%](%clik_url%)", "sub\\2.txt:1: %clik_url% is not a"},
        {"hotkey that names no key", "kaveto.ini", "[Other]\r\nShortCut=Alt+Nothing\r\n",
         "kaveto.ini: ShortCut \"Alt+Nothing\" names no key"},
        {"good hotkey", "kaveto.ini", "[Other]\r\nShortCut=ctrl+shift+f12\r\n", ""},
        {"log folder missing", "kaveto.ini", "[Other]\r\nLogBool=1\r\nSaveFileName=%my_folder%logs\\%yyyy%.txt\r\n",
         "kaveto.ini: SaveFileName puts the log in the folder "},
        {"log folder named in Japanese", "kaveto.ini",
         "[Other]\r\nLogBool=1\r\nSaveFileName=%my_folder%" + kHyo + "\\" + kHyo + ".txt\r\n", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        MakeProgramFolder(folder);
        folder.Folder(kHyo);
        if (*row.file) folder.Put(row.file, row.bytes);
        const ConsoleRun run = RunConsole(kCtl, "check --folder \"" + folder.path() + "\"");
        ASSERT_TRUE(run.exited) << "not started (error " << run.start_error << ") or not ended";
        const std::vector<std::string> lines = Lines(run.out);
        if (row.finding.empty()) {
            EXPECT_EQ(run.exit_code, 0u);
            EXPECT_EQ(lines, std::vector<std::string>{"No problems found in " + folder.path()});
            continue;
        }
        EXPECT_EQ(run.exit_code, 1u);
        ASSERT_EQ(lines.size(), 2u) << run.out;
        EXPECT_EQ(lines[0].rfind(row.finding, 0), 0u) << lines[0];
        EXPECT_EQ(lines[1], "1 problem found in " + folder.path());
    }
}

TEST(KavetoctlCheck, AFolderThatCannotBeReadGivesExitTwo) {
    TempFolder folder;
    folder.Put("a file", "x");
    for (const std::string& where : {folder.path() + "none", folder.path() + "none\\deeper", folder.path() + "a file"}) {
        SCOPED_TRACE(where);
        const ConsoleRun run = RunConsole(kCtl, "check --folder \"" + where + "\"");
        ASSERT_TRUE(run.exited) << "not started (error " << run.start_error << ") or not ended";
        EXPECT_EQ(run.exit_code, 2u);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(where), std::string::npos) << run.err;
    }
}

TEST(Win32FilesProbeFolder, TellsFoldersFromFilesAndMissingNames) {
    TempFolder folder;
    folder.Put("f.txt", "x");
    folder.Folder(kHyo);
    Win32Files files;
    struct Row {
        std::string path;
        FolderState state;
    } rows[] = {
        {folder.path(), FolderState::Listable},
        {folder.path().substr(0, folder.path().size() - 1), FolderState::Listable},
        {folder.path() + kHyo, FolderState::Listable},
        {folder.path() + kHyo + "\\", FolderState::Listable},
        {folder.path() + "f.txt", FolderState::NotAFolder},
        {folder.path() + "f.txt\\", FolderState::NotAFolder},
        {folder.path() + "none\\", FolderState::Missing},
        {folder.path() + "none\\deeper", FolderState::Missing},
        {"C:\\", FolderState::Listable},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(files.ProbeFolder(row.path), row.state);
    }
}

std::string TestInput() {
    std::string input;
    unsigned seed = 54321;
    for (std::size_t i = 0; i < 1024 * 1024 + 7; ++i) {
        seed = seed * 1103515245u + 12345u;
        input += static_cast<char>(seed >> 23);
    }
    return input;
}

// Standard input read whole: from a file (at once, from where the file
// stands) and from a pipe (chunk by chunk).
TEST(KavetoctlStdin, ReadsFilesAndPipesWhole) {
    const std::string input = TestInput();
    TempFolder folder;
    folder.Put("in.bin", input);
    const std::string same = "convert --from sjis --to sjis";  // passes the bytes through
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};

    for (const LONG skip : {0L, 5L}) {
        SCOPED_TRACE("file, skipping " + std::to_string(skip));
        UniqueFileHandle file(::CreateFileA((folder.path() + "in.bin").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                            &inherit, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file);
        ::SetFilePointer(file.get(), skip, nullptr, FILE_BEGIN);
        const ConsoleRun run = RunConsole(kCtl, same, file.get());
        ASSERT_TRUE(run.exited) << "not started (error " << run.start_error << ") or not ended";
        EXPECT_EQ(run.exit_code, 0u) << run.err;
        EXPECT_EQ(run.out.size(), input.size() - skip);
        EXPECT_TRUE(run.out == input.substr(skip));
    }
    {
        SCOPED_TRACE("pipe");
        HANDLE read_end = nullptr, write_end = nullptr;
        ASSERT_TRUE(::CreatePipe(&read_end, &write_end, &inherit, 0));
        UniqueHandle reader(read_end), writer(write_end);
        ::SetHandleInformation(writer.get(), HANDLE_FLAG_INHERIT, 0);
        std::thread feed([&] {
            DWORD n = 0;
            for (std::size_t done = 0; done < input.size(); done += n)
                if (!::WriteFile(writer.get(), input.data() + done,
                                 static_cast<DWORD>(std::min<std::size_t>(input.size() - done, 4096)), &n, nullptr))
                    break;
            writer.reset();  // the end of the input
        });
        const ConsoleRun run = RunConsole(kCtl, same, reader.get());
        reader.reset();  // a writer still blocked gives up
        feed.join();
        ASSERT_TRUE(run.exited) << "not started (error " << run.start_error << ") or not ended";
        EXPECT_EQ(run.exit_code, 0u) << run.err;
        EXPECT_EQ(run.out.size(), input.size());
        EXPECT_TRUE(run.out == input);
    }
    {
        SCOPED_TRACE("no input");
        const ConsoleRun run = RunConsole(kCtl, same);
        ASSERT_TRUE(run.exited) << "not started (error " << run.start_error << ") or not ended";
        EXPECT_EQ(run.exit_code, 0u);
        EXPECT_EQ(run.out, "");
    }
}

}  // namespace
}  // namespace kaveto
