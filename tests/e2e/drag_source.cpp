#include "drag_source.h"

#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <vector>

namespace kaveto::e2e {
namespace {

// Reference counting is left out: both objects live on the stack of the
// drag function for the whole drag.
class ListDataObject : public IDataObject {
public:
    explicit ListDataObject(std::vector<DragFormat> formats) : formats_(std::move(formats)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IDataObject) {
            *object = static_cast<IDataObject*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        const DragFormat* found = Find(format);
        if (!found) return DV_E_FORMATETC;
        const std::string& bytes = found->bytes;
        HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1);
        if (!block) return E_OUTOFMEMORY;
        std::memcpy(::GlobalLock(block), bytes.c_str(), bytes.size() + 1);
        ::GlobalUnlock(block);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = block;
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
            list.push_back(FORMATETC{f.format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
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
            if (f.format == format->cfFormat) return &f;
        return nullptr;
    }
    std::vector<DragFormat> formats_;
};

// A FILEGROUPDESCRIPTORA block naming one file.
std::string DescriptorNaming(const std::string& file_name) {
    FILEGROUPDESCRIPTORA group = {};
    group.cItems = 1;
    std::strncpy(group.fgd[0].cFileName, file_name.c_str(), MAX_PATH - 1);
    return std::string(reinterpret_cast<const char*>(&group), sizeof group);
}

// Moves the pointer over the target, lets the loop see it there for a few
// rounds, then drops.
class PointingDropSource : public IDropSource {
public:
    explicit PointingDropSource(POINT target) : target_(target) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IDropSource) {
            *object = static_cast<IDropSource*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
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

}  // namespace

HRESULT DragFormatsTo(std::vector<DragFormat> formats, POINT target) {
    ListDataObject data(std::move(formats));
    PointingDropSource source(target);
    ::SetCursorPos(target.x, target.y);
    DWORD effect = DROPEFFECT_NONE;
    return ::DoDragDrop(&data, &source, DROPEFFECT_COPY | DROPEFFECT_LINK | DROPEFFECT_MOVE, &effect);
}

HRESULT DragLinkTo(const std::string& address, const std::string& link_text, POINT target) {
    const CLIPFORMAT descriptor = static_cast<CLIPFORMAT>(::RegisterClipboardFormatA("FileGroupDescriptor"));
    return DragFormatsTo({{CF_TEXT, address}, {descriptor, DescriptorNaming(link_text + ".URL")}}, target);
}

HRESULT DragTextTo(const std::string& text, POINT target) { return DragFormatsTo({{CF_TEXT, text}}, target); }

HRESULT DragFileTo(const std::string& path, POINT target) {
    DROPFILES header = {};
    header.pFiles = sizeof header;
    header.fWide = FALSE;
    std::string block(reinterpret_cast<const char*>(&header), sizeof header);
    block += path;
    block.push_back('\0');  // the list ends with an empty name; GetData adds the last zero
    return DragFormatsTo({{CF_HDROP, block}}, target);
}

}  // namespace kaveto::e2e
