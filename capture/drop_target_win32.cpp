#include "capture/drop_target_win32.h"

#include <cstring>

#include "platform/errors.h"
#include "platform/unique_win32.h"
#include "platform/win32_error.h"

namespace kaveto {
namespace {

FORMATETC TextFormat() { return FORMATETC{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }
FORMATETC FileDropFormat() { return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

bool HoldsGlobal(const STGMEDIUM& medium) { return medium.tymed == TYMED_HGLOBAL && medium.hGlobal; }

}  // namespace

HRESULT GetDataAsGlobal(IDataObject* data, StgMediumOwner& medium, CLIPFORMAT format, DWORD tymed) {
    ComPtr<IDataObject> hold = ComPtr<IDataObject>::AddRefed(data);
    FORMATETC request{format, nullptr, DVASPECT_CONTENT, 0, tymed};
    const HRESULT result = hold->GetData(&request, medium.put());
    if (FAILED(result)) ThrowOleError(result);
    return result;
}

std::string ReadGlobalBlock(HGLOBAL block) {
    GlobalLockGuard lock(block);
    if (!lock.data()) return std::string();
    return std::string(static_cast<const char*>(lock.data()), lock.size());
}

void ReadDroppedFileNames(HDROP drop, std::vector<std::string>& names) {
    names.clear();
    const UINT count = ::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = ::DragQueryFileA(drop, i, nullptr, 0);
        std::string name(length + 1, '\0');
        const UINT copied = ::DragQueryFileA(drop, i, name.data(), length + 1);
        name.resize(copied <= length ? copied : length);
        names.push_back(std::move(name));
    }
}

std::uint16_t Win32ClipboardFormats::Register(const std::string& name) {
    return static_cast<std::uint16_t>(::RegisterClipboardFormatA(name.c_str()));
}

std::optional<std::string> OleDropSource::GetText() {
    FORMATETC request = TextFormat();
    StgMediumOwner medium;
    if (FAILED(data_->GetData(&request, medium.put()))) return std::nullopt;
    if (!HoldsGlobal(medium.get())) return std::nullopt;
    std::string text = ReadGlobalBlock(medium.get().hGlobal);
    text.resize(std::strlen(text.c_str()));
    return text;
}

std::string OleDropSource::GetGlobal(std::uint16_t format) {
    StgMediumOwner medium;
    GetDataAsGlobal(data_, medium, format, TYMED_HGLOBAL);
    if (!HoldsGlobal(medium.get())) return std::string();
    return ReadGlobalBlock(medium.get().hGlobal);
}

std::optional<std::string> OleDropSource::FindGlobal(std::uint16_t format) {
    FORMATETC request{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    StgMediumOwner medium;
    if (format == 0 || FAILED(data_->GetData(&request, medium.put()))) return std::nullopt;
    if (!HoldsGlobal(medium.get())) return std::nullopt;
    return ReadGlobalBlock(medium.get().hGlobal);
}

std::optional<std::vector<std::string>> OleDropSource::GetFileNames() {
    FORMATETC request = FileDropFormat();
    StgMediumOwner medium;
    if (FAILED(data_->GetData(&request, medium.put()))) return std::nullopt;
    std::vector<std::string> names;
    if (HoldsGlobal(medium.get())) ReadDroppedFileNames(static_cast<HDROP>(medium.get().hGlobal), names);
    return names;
}

HRESULT DropTarget::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG DropTarget::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }

ULONG DropTarget::Release() { return static_cast<ULONG>(::InterlockedDecrement(&references_)); }

HRESULT DropTarget::DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) {
    if (effect) *effect = kDropEffectCopyLink;
    return S_OK;
}

HRESULT DropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
    if (effect) *effect = kDropEffectCopyLink;
    return S_OK;
}

HRESULT DropTarget::DragLeave() { return S_OK; }

// No exception may leave into OLE. An error ends the capture where it arose;
// the drop itself is answered as done, and the error is handed on so that
// the window can show it after the drag source has been let go.
HRESULT DropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD*) {
    std::string failure;
    try {
        Win32ClipboardFormats formats;
        if (data) {
            OleDropSource source(data);
            kaveto::Drop(context_, source, formats);
        } else {
            DescribedDrop nothing({}, 0);
            kaveto::Drop(context_, nothing, formats);
        }
        return S_OK;
    } catch (const std::exception& e) {
        failure = e.what();
    } catch (...) {
        failure = "Unknown error";
    }
    try {
        if (report_) report_(failure);
    } catch (...) {
    }
    return S_OK;
}

void RegisterDropTarget(HWND window, DropTarget& target) {
    const HRESULT result = ::RegisterDragDrop(window, &target);
    if (FAILED(result)) ThrowOleError(result);
}

void RevokeDropTarget(HWND window) {
    const HRESULT result = ::RevokeDragDrop(window);
    if (FAILED(result)) ThrowOleError(result);
}

}  // namespace kaveto
