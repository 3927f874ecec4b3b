// The driving library itself, where a fault would mislead every test built
// on it: what a drag hands over, the clipboard waits, and the stand-in
// browser's address and hang.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <thread>

#include "platform/unique_win32.h"
#include "tools/drive/clipboard.h"
#include "tools/drive/drag.h"
#include "tools/drive/standin_browser.h"
#include "tools/drive/wait.h"
#include "tools/drive/window_query.h"
#include "tools/drive/window_thread.h"

namespace kaveto {
namespace {

using namespace drive;

// Takes drops on a window of its own thread and keeps every format the data
// object lists, with the bytes it hands out for it.
class RecordingTarget : public IDropTarget {
public:
    std::map<CLIPFORMAT, std::string> received;
    HRESULT unoffered = S_OK;  // QueryGetData of a format nobody offered

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
            *object = static_cast<IDropTarget*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the test's stack
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_COPY;
        ComPtr<IEnumFORMATETC> formats;
        if (FAILED(data->EnumFormatEtc(DATADIR_GET, formats.put()))) return S_OK;
        FORMATETC format;
        while (formats->Next(1, &format, nullptr) == S_OK) {
            STGMEDIUM medium = {};
            if (FAILED(data->GetData(&format, &medium))) continue;
            GlobalLockGuard lock(medium.hGlobal);
            received[format.cfFormat].assign(static_cast<const char*>(lock.data()), lock.size());
            ::ReleaseStgMedium(&medium);
        }
        FORMATETC wave = {CF_WAVE, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        unoffered = data->QueryGetData(&wave);
        return S_OK;
    }
};

// A drop target window on a thread of its own with OLE, as another
// program's would be.
class TargetWindow {
public:
    TargetWindow()
        : thread_(
              [this] {
                  ::OleInitialize(nullptr);
                  window_ = ::CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "STATIC", "target",
                                              WS_POPUP | WS_VISIBLE | SS_NOTIFY, 500, 500, 40, 40, nullptr, nullptr,
                                              nullptr, nullptr);
                  ::RegisterDragDrop(window_, &target_);
              },
              [this] {
                  ::RevokeDragDrop(window_);
                  ::DestroyWindow(window_);
                  ::OleUninitialize();
              }) {}
    POINT middle() const { return CentreOf(window_); }
    RecordingTarget& target() { return target_; }

private:
    RecordingTarget target_;
    HWND window_ = nullptr;
    WindowThread thread_;
};

// The fields of an "HTML Format" header.
std::size_t Offset(const std::string& block, const std::string& name) {
    const std::size_t at = block.find(name + ":");
    return at == std::string::npos ? std::string::npos : std::stoul(block.substr(at + name.size() + 1, 10));
}

TEST(Drag, HandsOverEveryFormatByteForByteAndAnswersNoOtherFormat) {
    OleThread ole;
    TargetWindow window;
    const std::string fragment = Utf8(L"<b>caf\u00e9 \u65e5\u672c</b>");
    const std::map<CLIPFORMAT, std::string> offered = {
        {CF_TEXT, TextBlock("http://kaveto.test/drag")},
        {CF_UNICODETEXT, UnicodeTextBlock(L"\u65e5\u672c\u8a9e")},
        {RegisteredFormat("UniformResourceLocatorW"), UnicodeTextBlock(L"http://kaveto.test/w")},
        {RegisteredFormat("FileGroupDescriptor"), FileGroupDescriptorBlock({"one.URL", "two.URL"})},
        {RegisteredFormat("FileGroupDescriptorW"), FileGroupDescriptorWBlock({L"\u00e9t\u00e9.URL"})},
        {RegisteredFormat("HTML Format"), HtmlFormatBlock(fragment, "http://kaveto.test/source")},
        {CF_HDROP, DropFilesBlock({"C:\\a.gif", "C:\\b.gif"})},
        {RegisteredFormat("Kaveto test bytes"), std::string("no\0end", 6)},
    };
    std::vector<DragFormat> formats;
    for (const auto& [format, bytes] : offered) formats.push_back({format, bytes});

    ASSERT_EQ(DragFormatsTo(formats, window.middle()), DRAGDROP_S_DROP);
    EXPECT_EQ(window.target().unoffered, DV_E_FORMATETC);
    ASSERT_EQ(window.target().received.size(), offered.size());
    for (const auto& [format, bytes] : offered) {
        SCOPED_TRACE(format);
        const std::string& got = window.target().received[format];
        ASSERT_GE(got.size(), bytes.size()) << "a block holds at least what was offered";
        EXPECT_EQ(got.substr(0, bytes.size()), bytes);
    }

    const std::string& html = offered.at(RegisteredFormat("HTML Format"));
    EXPECT_EQ(html.substr(Offset(html, "StartFragment"), Offset(html, "EndFragment") - Offset(html, "StartFragment")),
              fragment);
    EXPECT_EQ(html.substr(Offset(html, "StartHTML"), 6), "<html>");
    EXPECT_EQ(Offset(html, "EndHTML"), html.size() - 1) << "the page ends before the terminating zero";
    const auto* group = reinterpret_cast<const FILEGROUPDESCRIPTORA*>(
        window.target().received[RegisteredFormat("FileGroupDescriptor")].data());
    ASSERT_EQ(group->cItems, 2u);
    EXPECT_STREQ(group->fgd[1].cFileName, "two.URL");
}

TEST(Clipboard, AfterAnActTheNewTextIsReadAndNoChangeIsNothing) {
    SetClipboardText("before");
    EXPECT_EQ(ClipboardText(), "before");
    // Written by another thread that keeps the clipboard open a while after
    // the change, so that the reader has to wait for it.
    std::thread writer;
    const auto written = ClipboardAfter([&] {
        writer = std::thread([] {
            ::OpenClipboard(nullptr);
            ::EmptyClipboard();
            UniqueHGlobal block(::GlobalAlloc(GMEM_MOVEABLE, 6));
            std::memcpy(GlobalLockGuard(block.get()).data(), "after", 6);
            ::SetClipboardData(CF_TEXT, block.release());
            WaitUntil([] { return false; }, 50);
            ::CloseClipboard();
        });
    });
    writer.join();
    EXPECT_EQ(written, std::optional<std::string>("after"));
    EXPECT_EQ(ClipboardAfter([] {}, 100), std::nullopt);
}

TEST(StandInBrowser, ShowsTheAddressInItsBarAndStopsAnsweringWhileItHangs) {
    StandInBrowser browser("http://kaveto.test/first");
    HWND bar = nullptr;
    for (const ChildWindow& child : ChildrenOf(browser.window()))
        if (child.class_name == "Edit") bar = child.handle;
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(TextOf(bar), "http://kaveto.test/first");
    ASSERT_TRUE(browser.ShowAddress("http://kaveto.test/second"));
    EXPECT_EQ(TextOf(bar), "http://kaveto.test/second");

    browser.Hang(kPatienceMs);
    EXPECT_EQ(TextOf(bar, 200), "") << "a message sent after the hang waits for it";
    EXPECT_TRUE(browser.Hanging());
    browser.EndHang();
    EXPECT_TRUE(WaitUntil([&] { return !browser.Hanging(); }));
    EXPECT_EQ(TextOf(bar), "http://kaveto.test/second");
}

}  // namespace
}  // namespace kaveto
