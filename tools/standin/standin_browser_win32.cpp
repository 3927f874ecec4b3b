// A stand-in for a web browser as a program of its own, for tests and
// demonstrations that need the browser in another process: it keeps pages in
// the URL cache, shows a browser window of one kind, and drags links, text
// and files onto a point of the screen.
//
//   standin_browser cache URL TITLE        put a page with that title in the cache; prints its file
//   standin_browser uncache URL            remove the page again
//   standin_browser show [--kind K] [--tree T] [--title TITLE] URL [SECONDS]
//                                          a browser window of kind K (edit, chrome, firefox)
//                                          showing URL; T is how its tree answers (page,
//                                          huge, silent, none); prints its handle
//   standin_browser drag X Y text TEXT [LINKNAME]
//   standin_browser drag X Y files PATH... drop on the screen point X,Y
//
// Exit status: 0 done, 1 failed, 2 usage.
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/drive/drag.h"
#include "tools/drive/standin_browser.h"
#include "tools/drive/url_cache.h"
#include "tools/drive/wait.h"

namespace {

using namespace kaveto::drive;

int Usage() {
    std::fputs(
        "usage: standin_browser cache URL TITLE | uncache URL\n"
        "       | show [--kind edit|chrome|firefox] [--tree page|huge|silent|none] [--title TITLE] URL [SECONDS]\n"
        "       | drag X Y text TEXT [LINKNAME] | drag X Y files PATH...\n",
        stderr);
    return 2;
}

// The entry outlives this program: `uncache` removes it.
int CachePage(const std::string& url, const std::string& title) {
    const std::string path = CommitToUrlCache(url, PageHtml(title));
    if (path.empty()) return 1;
    std::printf("%s\n", path.c_str());
    return 0;
}

int ShowBrowser(const BrowserOptions& options, const BrowserPage& page, int seconds) {
    auto browser = MakeBrowserWindow(options.kind, options.tree);
    HWND top = browser->Open(page, options.placement);
    if (!top) return 1;
    ::SetForegroundWindow(top);
    std::printf("%llu\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(top)));
    std::fflush(stdout);
    WaitUntil([&] { return !::IsWindow(top); }, static_cast<DWORD>(seconds) * 1000);
    browser->EndHang();
    browser->Close();
    return 0;
}

int Drag(int x, int y, const std::vector<std::string>& args) {
    std::vector<DragFormat> formats;
    if (args.size() >= 2 && args[0] == "text") {
        formats.push_back({CF_TEXT, TextBlock(args[1])});
        if (args.size() >= 3)
            formats.push_back({RegisteredFormat("FileGroupDescriptor"), FileGroupDescriptorBlock({args[2]})});
    } else if (args.size() >= 1 && args[0] == "files") {
        formats.push_back({CF_HDROP, DropFilesBlock(std::vector<std::string>(args.begin() + 1, args.end()))});
    } else {
        return Usage();
    }
    OleThread ole;
    if (!ole.ok()) return 1;
    const HRESULT result = DragFormatsTo(std::move(formats), POINT{x, y});
    std::printf(result == DRAGDROP_S_DROP ? "dropped\n" : "not dropped\n");
    return result == DRAGDROP_S_DROP ? 0 : 1;
}

int Show(std::vector<std::string> args) {
    BrowserOptions options;
    BrowserPage page;
    while (args.size() >= 2 && args[0].rfind("--", 0) == 0) {
        if (args[0] == "--kind") {
            const auto named = BrowserKindNamed(args[1]);
            if (!named) return Usage();
            options.kind = *named;
        } else if (args[0] == "--tree") {
            const auto named = TreeAnswerNamed(args[1]);
            if (!named) return Usage();
            options.tree = *named;
        } else if (args[0] == "--title") {
            page.title = WideFromAnsi(args[1]);
        } else {
            return Usage();
        }
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty() || args.size() > 2) return Usage();
    page.address = args[0];
    return ShowBrowser(options, page, args.size() == 2 ? std::atoi(args[1].c_str()) : 60);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "cache") return CachePage(args[1], args[2]);
    if (args.size() == 2 && args[0] == "uncache") return ::DeleteUrlCacheEntryA(args[1].c_str()) ? 0 : 1;
    if (args.size() >= 2 && args[0] == "show") return Show(std::vector<std::string>(args.begin() + 1, args.end()));
    if (args.size() >= 4 && args[0] == "drag")
        return Drag(std::atoi(args[1].c_str()), std::atoi(args[2].c_str()),
                    std::vector<std::string>(args.begin() + 3, args.end()));
    return Usage();
}
