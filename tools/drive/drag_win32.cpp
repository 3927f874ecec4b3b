#include "tools/drive/drag.h"

#include <ole2.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "platform/unique_win32.h"

namespace kaveto::drive {
namespace {

// Reference counting of the two COM objects of a drag; each is made with new
// and owned through ComPtr, since the drag loop may keep a reference a
// moment longer than the caller.
template <typename Interface>
class RefCounted : public Interface {
public:
    virtual ~RefCounted() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(Interface))) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

private:
    std::atomic<ULONG> refs_{1};
};

class ListDataObject : public RefCounted<IDataObject> {
public:
    explicit ListDataObject(std::vector<DragFormat> formats) : formats_(std::move(formats)) {}

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        const DragFormat* found = Find(format);
        if (!found) return DV_E_FORMATETC;
        UniqueHGlobal block(::GlobalAlloc(GMEM_MOVEABLE, found->bytes.size()));
        if (!block) return E_OUTOFMEMORY;
        {
            GlobalLockGuard lock(block.get());
            if (!lock.data()) return E_OUTOFMEMORY;
            std::memcpy(lock.data(), found->bytes.data(), found->bytes.size());
        }
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = block.release();
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override { return Find(format) ? S_OK : DV_E_FORMATETC; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (direction != DATADIR_GET) return E_NOTIMPL;
        std::vector<FORMATETC> list;
        for (const DragFormat& f : formats_)
            list.push_back(FORMATETC{f.format, nullptr, DVASPECT_CONTENT, f.index, TYMED_HGLOBAL});
        return ::SHCreateStdEnumFmtEtc(static_cast<UINT>(list.size()), list.data(), out);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    const DragFormat* Find(const FORMATETC* format) const {
        if (!(format->tymed & TYMED_HGLOBAL)) return nullptr;
        for (const DragFormat& f : formats_)
            if (f.format == format->cfFormat && (f.index == -1 || f.index == format->lindex)) return &f;
        return nullptr;
    }
    std::vector<DragFormat> formats_;
};

// Holds the pointer over the target for a few rounds of the drag loop (it
// enters the target, then moves over it), then drops. The rounds are the
// loop's own, not time.
class PointingDropSource : public RefCounted<IDropSource> {
public:
    explicit PointingDropSource(POINT target) : target_(target) {}
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD) override {
        if (escape) return DRAGDROP_S_CANCEL;
        ::SetCursorPos(target_.x, target_.y);
        return ++rounds_ < 3 ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    POINT target_;
    int rounds_ = 0;
};

template <typename Descriptor, typename Name>
std::string DescriptorBlock(const std::vector<Name>& names) {
    // The structure holds one item; more follow it directly.
    const std::size_t size = sizeof(Descriptor) + (names.empty() ? 0 : names.size() - 1) * sizeof(Descriptor{}.fgd[0]);
    std::string block(size, '\0');
    auto* group = reinterpret_cast<Descriptor*>(block.data());
    group->cItems = static_cast<UINT>(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        auto& name = group->fgd[i].cFileName;
        const std::size_t n = std::min(names[i].size(), std::size(name) - 1);
        std::memcpy(name, names[i].data(), n * sizeof name[0]);
    }
    return block;
}

}  // namespace

CLIPFORMAT RegisteredFormat(const char* name) { return static_cast<CLIPFORMAT>(::RegisterClipboardFormatA(name)); }

std::string TextBlock(const std::string& ansi) { return ansi + '\0'; }

std::string UnicodeTextBlock(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
}

std::string FileGroupDescriptorBlock(const std::vector<std::string>& names) {
    return DescriptorBlock<FILEGROUPDESCRIPTORA>(names);
}

std::string FileGroupDescriptorWBlock(const std::vector<std::wstring>& names) {
    return DescriptorBlock<FILEGROUPDESCRIPTORW>(names);
}

std::string DropFilesBlock(const std::vector<std::string>& paths) {
    DROPFILES header = {};
    header.pFiles = sizeof header;
    header.fWide = FALSE;
    std::string block(reinterpret_cast<const char*>(&header), sizeof header);
    for (const std::string& path : paths) block += path + '\0';
    return block + '\0';  // the list ends with an empty name
}

std::string HtmlFormatBlock(const std::string& utf8_fragment, const std::string& source_url) {
    const std::string before = "<html><body>\r\n<!--StartFragment-->";
    const std::string after = "<!--EndFragment-->\r\n</body></html>";
    // Every offset is written with ten digits, so the header's length is
    // known before the offsets are.
    const auto header = [&](std::size_t start_html, std::size_t end_html, std::size_t start_fragment,
                            std::size_t end_fragment) {
        char text[256];
        std::snprintf(text, sizeof text,
                      "Version:0.9\r\nStartHTML:%010zu\r\nEndHTML:%010zu\r\nStartFragment:%010zu\r\n"
                      "EndFragment:%010zu\r\nSourceURL:",
                      start_html, end_html, start_fragment, end_fragment);
        return std::string(text) + source_url + "\r\n";
    };
    const std::size_t start_html = header(0, 0, 0, 0).size();
    const std::size_t start_fragment = start_html + before.size();
    const std::size_t end_fragment = start_fragment + utf8_fragment.size();
    const std::size_t end_html = end_fragment + after.size();
    return header(start_html, end_html, start_fragment, end_fragment) + before + utf8_fragment + after + '\0';
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                        nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring WideFromAnsi(const std::string& ansi) {
    if (ansi.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), out.data(), n);
    return out;
}

std::string AnsiFromWide(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                        nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

HRESULT DragFormatsTo(std::vector<DragFormat> formats, POINT target) {
    ComPtr<IDataObject> data(new ListDataObject(std::move(formats)));
    ComPtr<IDropSource> source(new PointingDropSource(target));
    ::SetCursorPos(target.x, target.y);
    DWORD effect = DROPEFFECT_NONE;
    return ::DoDragDrop(data.get(), source.get(), DROPEFFECT_COPY | DROPEFFECT_LINK | DROPEFFECT_MOVE, &effect);
}

HRESULT DragTextTo(const std::string& text, POINT target) {
    return DragFormatsTo({{CF_TEXT, TextBlock(text)}}, target);
}

HRESULT DragLinkTo(const std::string& address, const std::string& link_text, POINT target) {
    return DragFormatsTo({{CF_TEXT, TextBlock(address)},
                          {RegisteredFormat("FileGroupDescriptor"), FileGroupDescriptorBlock({link_text + ".URL"})}},
                         target);
}

HRESULT DragFileTo(const std::string& path, POINT target) {
    return DragFormatsTo({{CF_HDROP, DropFilesBlock({path})}}, target);
}

OfferedData::~OfferedData() {
    for (HGLOBAL block : kept_) ::GlobalFree(block);
}

bool OfferedData::Asked(CLIPFORMAT format) const {
    return std::any_of(requests.begin(), requests.end(), [&](const Request& r) { return r.format == format; });
}

HRESULT OfferedData::QueryInterface(REFIID iid, void** object) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
        *object = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT OfferedData::GetData(FORMATETC* format, STGMEDIUM* medium) {
    requests.push_back({format->cfFormat, format->lindex});
    auto found = blocks.find(format->cfFormat);
    if (found == blocks.end() || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
    const std::string bytes = found->second + padding;
    UniqueHGlobal block(::GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
    if (!block) return E_OUTOFMEMORY;
    {
        GlobalLockGuard lock(block.get());
        if (!lock.data()) return E_OUTOFMEMORY;
        std::memcpy(lock.data(), bytes.data(), bytes.size());
    }
    ++handed;
    medium->tymed = TYMED_HGLOBAL;
    medium->pUnkForRelease = release_with;
    medium->hGlobal = block.release();  // ReleaseStgMedium frees it, unless `release_with` stands in
    if (release_with) kept_.push_back(medium->hGlobal);
    return S_OK;
}

HRESULT OfferedData::QueryGetData(FORMATETC* format) {
    return blocks.count(format->cfFormat) ? S_OK : DV_E_FORMATETC;
}

}  // namespace kaveto::drive
