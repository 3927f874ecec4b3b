#include "drag_source.h"

#include <ole2.h>
#include <shlobj.h>

#include <cstring>

namespace kaveto::e2e {
namespace {

// Reference counting is left out: both objects live on the stack of
// DragTextTo for the whole drag.
class LinkDataObject : public IDataObject {
public:
    LinkDataObject(std::string text, std::string descriptor)
        : text_(std::move(text)),
          descriptor_(std::move(descriptor)),
          descriptor_format_(static_cast<CLIPFORMAT>(::RegisterClipboardFormatA("FileGroupDescriptor"))) {}
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
        if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
        const std::string& bytes = format->cfFormat == CF_TEXT ? text_ : descriptor_;
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
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        const bool known = format->cfFormat == CF_TEXT || format->cfFormat == descriptor_format_;
        return known && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (direction != DATADIR_GET) return E_NOTIMPL;
        FORMATETC formats[] = {{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL},
                               {descriptor_format_, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}};
        return ::SHCreateStdEnumFmtEtc(2, formats, out);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    std::string text_, descriptor_;
    CLIPFORMAT descriptor_format_;
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

HRESULT DragLinkTo(const std::string& address, const std::string& link_text, POINT target) {
    LinkDataObject data(address, DescriptorNaming(link_text + ".URL"));
    PointingDropSource source(target);
    ::SetCursorPos(target.x, target.y);
    DWORD effect = DROPEFFECT_NONE;
    return ::DoDragDrop(&data, &source, DROPEFFECT_COPY | DROPEFFECT_LINK | DROPEFFECT_MOVE, &effect);
}

}  // namespace kaveto::e2e
