#include "platform/files_native.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/errors.h"

namespace kaveto {
namespace {

namespace fs = std::filesystem;

struct NativeFilesTest : ::testing::Test {
    fs::path dir;
    NativeFiles files;
    void SetUp() override {
        char name[] = "/tmp/kaveto_files_XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        dir = name;
    }
    void TearDown() override { fs::remove_all(dir); }
    // The Windows spelling of a path under the test folder.
    std::string Win(const std::string& rel) { return dir.string() + "\\" + rel; }
    std::string Slurp(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::vector<std::string> Entries(const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::uint32_t CodeOf(const std::function<void()>& f) {
        try {
            f();
        } catch (const FileError& e) {
            return e.code();
        }
        return 0;
    }
};

TEST_F(NativeFilesTest, WritesReadsAndReplacesWhole) {
    const std::string bytes("a\r\n\0\x83\x5c\xff", 7);
    files.WriteWhole(Win("log.txt"), bytes);
    EXPECT_TRUE(files.FileExists(Win("log.txt")));
    EXPECT_EQ(files.FileSize(Win("log.txt")), 7);
    EXPECT_EQ(files.ReadAll(Win("log.txt")), bytes);
    files.WriteWhole(Win("log.txt"), "short");
    EXPECT_EQ(Slurp(dir / "log.txt"), "short");
    EXPECT_EQ(Entries(dir), std::vector<std::string>{"log.txt"});
    EXPECT_FALSE(files.FileExists(dir.string()));  // a folder is no file
    EXPECT_EQ(files.FileSize(Win("none")), -1);
}

TEST_F(NativeFilesTest, ReplacingKeepsTheFilesMode) {
    files.WriteWhole(Win("log.txt"), "a");
    ASSERT_EQ(::chmod((dir / "log.txt").c_str(), 0640), 0);
    files.WriteWhole(Win("log.txt"), "b");
    struct stat st;
    ASSERT_EQ(::stat((dir / "log.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(NativeFilesTest, FailuresCarryWindowsCodesAndLeaveNothingBehind) {
    fs::create_directory(dir / "folder");
    fs::create_directory(dir / "sub");
    {
        std::ofstream(dir / "sub" / "old.txt", std::ios::binary) << "old";
    }
    struct Row {
        const char* name;
        std::function<void()> call;
        std::uint32_t code;
    } rows[] = {
        {"read a missing file", [&] { files.ReadAll(Win("none.txt")); }, 2},
        {"read in a missing folder", [&] { files.ReadAll(Win("nodir\\x.txt")); }, 3},
        {"read a folder", [&] { files.ReadAll(Win("folder")); }, 5},
        {"write in a missing folder", [&] { files.WriteWhole(Win("nodir\\x.txt"), "x"); }, 3},
        {"write where a folder stands", [&] { files.WriteWhole(Win("folder"), "x"); }, 5},
        {"write below a file", [&] { files.WriteWhole(Win("sub\\old.txt\\x"), "x"); }, 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(CodeOf(row.call), row.code);
        EXPECT_EQ(FileError::MessageFor(row.code), FileError(row.code).what());
    }
    EXPECT_EQ(Entries(dir), (std::vector<std::string>{"folder", "sub"}));
    EXPECT_TRUE(Entries(dir / "folder").empty());
    EXPECT_EQ(Entries(dir / "sub"), std::vector<std::string>{"old.txt"});
}

TEST_F(NativeFilesTest, ErrnoMapsToWindowsCodes) {
    EXPECT_EQ(WindowsErrorCode(EACCES, "/x"), 5u);
    EXPECT_EQ(WindowsErrorCode(EPERM, "/x"), 5u);
    EXPECT_EQ(WindowsErrorCode(ENOSPC, "/x"), 112u);
    EXPECT_EQ(WindowsErrorCode(EFBIG, "/x"), 223u);
    EXPECT_EQ(WindowsErrorCode(ENOENT, "/"), 2u);
    EXPECT_EQ(WindowsErrorCode(ENOENT, "/no/such/folder/x"), 3u);
    EXPECT_EQ(NativePath("C:\\a/b\\c"), "C:/a/b/c");
    // "表" ends in the byte of a backslash, which separates nothing.
    EXPECT_EQ(NativePath("a\\\x95\x5c\\b\x95\x5c"), "a/\x95\x5c/b\x95\x5c");
}

TEST_F(NativeFilesTest, ProbeFolderTellsFoldersFromFilesAndMissingNames) {
    files.WriteWhole(Win("f.txt"), "x");
    fs::create_directory(dir / "\x95\x5c");
    fs::create_directory(dir / "locked");
    ::chmod((dir / "locked").c_str(), 0);
    struct Row {
        std::string path;
        FolderState state;
    } rows[] = {
        {dir.string(), FolderState::Listable},
        {Win(""), FolderState::Listable},
        {dir.string() + "/", FolderState::Listable},
        {Win("\x95\x5c"), FolderState::Listable},
        {Win("\x95\x5c\\"), FolderState::Listable},
        {Win("f.txt"), FolderState::NotAFolder},
        {Win("f.txt\\"), FolderState::NotAFolder},
        {Win("none"), FolderState::Missing},
        {Win("none\\deeper\\"), FolderState::Missing},
        {Win("f.txt\\deeper"), FolderState::Missing},
        // Nothing stops root from listing a folder.
        {Win("locked"), ::geteuid() == 0 ? FolderState::Listable : FolderState::Unlistable},
        {"/", FolderState::Listable},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(files.ProbeFolder(row.path), row.state);
    }
    ::chmod((dir / "locked").c_str(), 0700);
}

// A write that the system stops half-way (here the file-size limit) must
// leave the old log byte for byte, and no temporary file.
TEST_F(NativeFilesTest, WriteCutOffHalfWayLeavesTheOldLog) {
    std::string old(3000, 'o');
    old += "\r\nlast line \x83\x5c";
    files.WriteWhole(Win("log.txt"), old);
    const std::string big(256 * 1024, 'n');

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{8192, 8192};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        int status = 1;
        try {
            files.WriteWhole(Win("log.txt"), old + big);
        } catch (const FileError& e) {
            status = e.code() == 223 ? 0 : 10;
        } catch (...) {
            status = 11;
        }
        ::_exit(status);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the write did not fail; 10: wrong code";
    EXPECT_EQ(Slurp(dir / "log.txt"), old);
    EXPECT_EQ(Entries(dir), std::vector<std::string>{"log.txt"});

    // The same write without the limit goes through.
    files.WriteWhole(Win("log.txt"), old + big);
    EXPECT_EQ(files.FileSize(Win("log.txt")), static_cast<std::int64_t>(old.size() + big.size()));
}

}  // namespace
}  // namespace kaveto
