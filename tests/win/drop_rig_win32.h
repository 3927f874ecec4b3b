#pragma once
// A drop taken in-process by the real drop target and delivered by the real
// composer, clipboard, files, window search and URL cache, with a program
// folder of its own and a browser window of the test's that counts as the
// window in front.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/drop_target_win32.h"
#include "engine/snippet_composer.h"
#include "platform/accessibility_win32.h"
#include "platform/clipboard_win32.h"
#include "platform/clock_win32.h"
#include "platform/files_win32.h"
#include "platform/url_cache_win32.h"
#include "platform/window_search_win32.h"
#include "tests/platform/temp_folder.h"
#include "tools/drive/drag.h"
#include "tools/drive/url_cache.h"

namespace kaveto::testing {

// The window search of the desktop with the test's browser in front, so
// that no other window of the test desktop decides the page.
class BrowserInFront : public Win32WindowSearch {
public:
    WindowHandle ForegroundWindow() override { return reinterpret_cast<WindowHandle>(browser); }
    HWND browser = nullptr;
};

class DropRig : public ::testing::Test {
protected:
    DropRig() {
        std::filesystem::create_directory(folder_.path() / "main");
        WriteFileBytes(folder_.path() / "title.txt", "");
        env_.program_folder = folder_.File("") + (folder_.File("").back() == '\\' ? "" : "\\");
        state_.settings.LogBool = false;
    }
    ~DropRig() override {
        if (windows_.browser) ::DestroyWindow(windows_.browser);
    }
    // A file of the program folder ("main\\2.txt").
    void Write(const std::string& name, const std::string& content) {
        WriteFileBytes(folder_.path() / std::filesystem::path(name).make_preferred(), content);
    }
    std::string ProgramFile(const std::string& name) const { return env_.program_folder + name; }
    void DropOnTarget(drive::OfferedData& data) {
        DWORD effect = DROPEFFECT_COPY;
        POINTL point{12, 12};
        EXPECT_EQ(target_.Drop(&data, 0, point, &effect), S_OK);
        EXPECT_EQ(data.refs, 1) << "every reference taken on the data object is given back";
        EXPECT_TRUE(errors_.empty()) << (errors_.empty() ? "" : errors_[0]);
    }

    drive::OleThread ole_;
    TempFolder folder_;
    drive::CachedPages pages_;
    AppState state_;
    Win32Files files_;
    Win32Clipboard clipboard_;
    Win32KeyState keys_;
    Win32Clock clock_;
    Environment env_{"", clipboard_, keys_, clock_, files_};
    BrowserInFront windows_;
    Win32UrlCache cache_;
    Win32Accessibility accessibility_;
    CaptureContext context_{state_, files_, windows_, cache_, accessibility_, [this] { SnippetComposer(state_, env_); }};
    std::vector<std::string> errors_;
    DropTarget target_{context_, [this](const std::string& e) { errors_.push_back(e); }};
};

}  // namespace kaveto::testing
