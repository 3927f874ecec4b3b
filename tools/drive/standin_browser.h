#pragma once
// Stand-in web browsers: a top-level window showing a page address, the way
// one kind of browser shows it. Each kind is a BrowserWindow; the same kind
// runs on a thread of the driver's own process (StandInBrowser) or as a
// program of its own (tools/standin), and is driven the same way through its
// window: ShowAddressIn, HangBrowser.
#include <windows.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "platform/unique_win32.h"
#include "tools/drive/wait.h"
#include "tools/drive/window_thread.h"

namespace kaveto::drive {

enum class BrowserKind {
    kEditBar,  // an "Edit" address bar inside the frame, as classic browsers have
};
// The kind by its name on a command line: "edit".
std::optional<BrowserKind> BrowserKindNamed(const std::string& name);

constexpr Placement kBrowserPlacement = {300, 200, 480, 320};

// One kind of browser window. The frame's window procedure is shared: it
// takes the address and hang requests and passes everything else to the
// kind. All but the constructor run on the window's thread.
class BrowserWindow {
public:
    virtual ~BrowserWindow() = default;
    // Makes the frame of the kind's class and what the kind shows inside it.
    HWND Open(const std::string& address, const Placement& placement);
    void Close() { frame_.reset(); }
    HWND window() const { return frame_.get(); }
    // While the window thread hangs on a request (see HangBrowser).
    bool hanging() const { return hanging_; }
    // Ends a hang early, and any later one at once, until Rearm.
    void EndHang() { ::SetEvent(release_.get()); }
    void Rearm() { ::ResetEvent(release_.get()); }

protected:
    virtual const char* ClassName() const = 0;
    virtual void Populate(HWND frame, const std::string& address) = 0;
    virtual void ShowAddress(const std::string& address) = 0;
    // A message the kind answers itself (an accessibility request, say);
    // false passes it to the default handling.
    virtual bool Answer(UINT /*message*/, WPARAM, LPARAM, LRESULT& /*result*/) { return false; }

private:
    static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    UniqueWindow frame_;
    UniqueHandle release_{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<bool> hanging_{false};
};

std::unique_ptr<BrowserWindow> MakeBrowserWindow(BrowserKind kind);

// Shows another address in a stand-in browser of any process; true once it
// is shown.
bool ShowAddressIn(HWND browser, const std::string& address, DWORD timeout_ms = kPatienceMs);
// The browser's window thread stops answering for `ms`, from the moment
// this returns: a message sent to it later waits behind the hang.
void HangBrowser(HWND browser, DWORD ms);

// A stand-in browser on a thread of the driver's process, as another
// program's window would be.
class StandInBrowser {
public:
    explicit StandInBrowser(const std::string& address, BrowserKind kind = BrowserKind::kEditBar,
                            const Placement& placement = kBrowserPlacement);
    ~StandInBrowser();
    HWND window() const { return browser_->window(); }
    bool ShowAddress(const std::string& address) { return ShowAddressIn(window(), address); }
    bool BringToFront();
    // Stops answering for `ms` or until EndHang (or the owner goes).
    void Hang(DWORD ms);
    void EndHang() { browser_->EndHang(); }
    bool Hanging() const { return browser_->hanging(); }

private:
    std::unique_ptr<BrowserWindow> browser_;
    WindowThread thread_;
};

}  // namespace kaveto::drive
