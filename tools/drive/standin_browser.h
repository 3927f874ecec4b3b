#pragma once
// Stand-in web browsers: a top-level window showing a page, the way one kind
// of browser shows it. Each kind is a BrowserWindow; the same kind runs on a
// thread of the driver's own process (StandInBrowser) or as a program of its
// own (tools/standin), and is driven the same way through its window:
// ShowAddressIn, ShowPageIn, HangBrowser.
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
    kEditBar,   // an "Edit" address bar inside the frame, as classic browsers have
    kChromium,  // "Chrome_WidgetWin_1": no child windows; the page is told by its accessibility tree
    kFirefox,   // "MozillaWindowClass": the same, with Firefox's caption and tree
};
// The kind by its name on a command line: "edit", "chrome", "firefox".
std::optional<BrowserKind> BrowserKindNamed(const std::string& name);

// How a kind with an accessibility tree answers for it.
enum class TreeAnswer {
    kPage,    // the browser's tree: its address bar and the web document
    kHuge,    // the same page behind 20,000 other objects that come first
    kSilent,  // every question about the tree waits until the browser goes
    kNone,    // no tree of its own: the system answers for the window
};
// "page", "huge", "silent", "none".
std::optional<TreeAnswer> TreeAnswerNamed(const std::string& name);

// The objects of a huge tree that stand before the page.
constexpr int kHugeTreeObjects = 20000;

// What a browser shows: the page's address and its title (in its caption
// and its tree; the classic kind shows no title).
struct BrowserPage {
    std::string address;  // in the ANSI code page
    std::wstring title;
};

constexpr Placement kBrowserPlacement = {300, 200, 480, 320};

// One kind of browser window. The frame's window procedure is shared: it
// takes the page and hang requests and passes everything else to the kind.
// All but the constructor run on the window's thread, which has OLE while
// the window is open.
class BrowserWindow {
public:
    virtual ~BrowserWindow();
    // Makes the frame of the kind's class and what the kind shows inside it.
    HWND Open(const BrowserPage& page, const Placement& placement);
    void Close();
    HWND window() const { return frame_.get(); }
    // While the window thread hangs on a request (see HangBrowser).
    bool hanging() const { return hanging_; }
    // Ends a hang early, and any later one at once, until Rearm; a silent
    // tree answers from then on.
    void EndHang() { ::SetEvent(release_.get()); }
    void Rearm() { ::ResetEvent(release_.get()); }
    // Questions asked of the accessibility tree so far (0 without one).
    virtual long TreeQuestions() const { return 0; }

protected:
    virtual const wchar_t* ClassName() const = 0;
    // Makes what the kind shows inside the frame, once.
    virtual void Populate(HWND frame) = 0;
    // Shows the page: at first, and whenever it changes.
    virtual void Show(const BrowserPage& page) = 0;
    // A message the kind answers itself (an accessibility request, say);
    // false passes it to the default handling.
    virtual bool Answer(UINT /*message*/, WPARAM, LPARAM, LRESULT& /*result*/) { return false; }
    // Set while the window stays: EndHang sets it.
    HANDLE release_event() const { return release_.get(); }

private:
    static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    UniqueWindow frame_;
    UniqueHandle release_{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<bool> hanging_{false};
    bool ole_ = false;
    BrowserPage page_;
};

std::unique_ptr<BrowserWindow> MakeBrowserWindow(BrowserKind kind, TreeAnswer tree = TreeAnswer::kPage);

// Shows another address (the title stays) or another page in a stand-in
// browser of any process; true once it is shown.
bool ShowAddressIn(HWND browser, const std::string& address, DWORD timeout_ms = kPatienceMs);
bool ShowPageIn(HWND browser, const BrowserPage& page, DWORD timeout_ms = kPatienceMs);
// The browser's window thread stops answering for `ms`, from the moment
// this returns: a message sent to it later waits behind the hang.
void HangBrowser(HWND browser, DWORD ms);

struct BrowserOptions {
    BrowserKind kind = BrowserKind::kEditBar;
    TreeAnswer tree = TreeAnswer::kPage;  // kinds with a tree only
    Placement placement = kBrowserPlacement;
};

// A stand-in browser on a thread of the driver's process, as another
// program's window would be.
class StandInBrowser {
public:
    StandInBrowser(const BrowserPage& page, const BrowserOptions& options);
    explicit StandInBrowser(const std::string& address, BrowserKind kind = BrowserKind::kEditBar,
                            const Placement& placement = kBrowserPlacement)
        : StandInBrowser(BrowserPage{address, L""}, BrowserOptions{kind, TreeAnswer::kPage, placement}) {}
    ~StandInBrowser();
    HWND window() const { return browser_->window(); }
    bool ShowAddress(const std::string& address) { return ShowAddressIn(window(), address); }
    bool ShowPage(const BrowserPage& page) { return ShowPageIn(window(), page); }
    bool BringToFront();
    // Stops answering for `ms` or until EndHang (or the owner goes).
    void Hang(DWORD ms);
    void EndHang() { browser_->EndHang(); }
    // After EndHang, a silent tree answers until this.
    void Rearm() { browser_->Rearm(); }
    bool Hanging() const { return browser_->hanging(); }
    long TreeQuestions() const { return browser_->TreeQuestions(); }

private:
    std::unique_ptr<BrowserWindow> browser_;
    WindowThread thread_;
};

}  // namespace kaveto::drive
