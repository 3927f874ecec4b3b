#pragma once
// Drags started from this process, as a browser starts them: a data object
// of any formats and bytes, dropped on a point of the screen. The thread
// must have OLE (OleThread).
#include <windows.h>
#include <ole2.h>

#include <map>
#include <string>
#include <vector>

namespace kaveto::drive {

// One format of a dragged data object and its bytes, handed out as a global
// block of exactly those bytes. `index` is the item a format such as
// "FileContents" stands for; -1 answers any.
struct DragFormat {
    CLIPFORMAT format;
    std::string bytes;
    LONG index = -1;
};

// The number of a registered format such as "FileGroupDescriptorW",
// "UniformResourceLocatorW" or "HTML Format".
CLIPFORMAT RegisteredFormat(const char* name);

// The blocks browsers hand out.
std::string TextBlock(const std::string& ansi);          // CF_TEXT, "UniformResourceLocator"
std::string UnicodeTextBlock(const std::wstring& text);  // CF_UNICODETEXT, "UniformResourceLocatorW"
std::string FileGroupDescriptorBlock(const std::vector<std::string>& names);
std::string FileGroupDescriptorWBlock(const std::vector<std::wstring>& names);
std::string DropFilesBlock(const std::vector<std::string>& paths);  // CF_HDROP, ANSI names
// "HTML Format": the header with its offsets, then the UTF-8 fragment in a page.
std::string HtmlFormatBlock(const std::string& utf8_fragment, const std::string& source_url);
std::string Utf8(const std::wstring& text);
// Conversions through the ANSI code page, as the desktop's programs make them.
std::wstring WideFromAnsi(const std::string& ansi);
std::string AnsiFromWide(const std::wstring& text);

// Runs OLE's drag loop with the formats: the pointer goes over the target
// and the data is dropped there. Returns DoDragDrop's result once the drop
// is over (DRAGDROP_S_DROP when a target took it).
HRESULT DragFormatsTo(std::vector<DragFormat> formats, POINT target);
// Selected text: CF_TEXT alone.
HRESULT DragTextTo(const std::string& text, POINT target);
// A link: its address as CF_TEXT and a "FileGroupDescriptor" naming an
// internet shortcut after the link's text.
HRESULT DragLinkTo(const std::string& address, const std::string& link_text, POINT target);
// One file named in CF_HDROP, as a browser drags a picture from its cache.
HRESULT DragFileTo(const std::string& path, POINT target);

// A data object handed straight to a drop target, as a browser's arrives:
// each block in global memory under its format, for any index, followed by
// `padding` (bytes that are no part of it, as a block rounded up by the
// system carries); DV_E_FORMATETC for a format it does not hold. It records
// each request and counts the references taken on it; it lives on the
// caller's stack, so the count is watched, never acted on.
class OfferedData : public IDataObject {
public:
    struct Request {
        CLIPFORMAT format;
        LONG lindex;
        bool operator==(const Request&) const = default;
    };
    std::map<CLIPFORMAT, std::string> blocks;
    std::string padding;
    // Given to each medium as the object ReleaseStgMedium releases in place
    // of freeing the block; the blocks are then freed when this object goes.
    IUnknown* release_with = nullptr;
    std::vector<Request> requests;
    int handed = 0;  // blocks handed out
    LONG refs = 1;

    OfferedData() = default;
    OfferedData(const OfferedData&) = delete;
    OfferedData& operator=(const OfferedData&) = delete;
    virtual ~OfferedData();
    bool Asked(CLIPFORMAT format) const;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    std::vector<HGLOBAL> kept_;  // blocks released through `release_with`
};

// OLE for this thread while it lives.
class OleThread {
public:
    OleThread() : ok_(SUCCEEDED(::OleInitialize(nullptr))) {}
    ~OleThread() {
        if (ok_) ::OleUninitialize();
    }
    OleThread(const OleThread&) = delete;
    OleThread& operator=(const OleThread&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_;
};

}  // namespace kaveto::drive
