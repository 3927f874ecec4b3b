#pragma once
// The main window's face towards OLE drag and drop. The COM object only
// translates: it answers the drop's requests from the data object and hands
// the rest to the portable Drop.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "capture/drop_decoding.h"

namespace kaveto {

// A storage medium filled by GetData, handed back with ReleaseStgMedium when
// the owner goes, also when an error passes.
class StgMediumOwner {
public:
    StgMediumOwner() = default;
    ~StgMediumOwner() { reset(); }
    StgMediumOwner(const StgMediumOwner&) = delete;
    StgMediumOwner& operator=(const StgMediumOwner&) = delete;
    STGMEDIUM* put() {
        reset();
        return &medium_;
    }
    const STGMEDIUM& get() const { return medium_; }
    void reset() {
        if (medium_.tymed != TYMED_NULL) ::ReleaseStgMedium(&medium_);
        medium_ = STGMEDIUM{};
    }

private:
    STGMEDIUM medium_{};
};

// Asks the data object for `format` in the given storage (lindex 0). Raises
// OleError for a failure HRESULT; returns the HRESULT otherwise.
HRESULT GetDataAsGlobal(IDataObject* data, StgMediumOwner& medium, CLIPFORMAT format, DWORD tymed);

// The names of all files of a CF_HDROP block, in their order.
void ReadDroppedFileNames(HDROP drop, std::vector<std::string>& names);

// The bytes of a global block, never more than GlobalSize gives.
std::string ReadGlobalBlock(HGLOBAL block);

// Registration of clipboard format names with RegisterClipboardFormatA.
class Win32ClipboardFormats : public ClipboardFormats {
public:
    std::uint16_t Register(const std::string& name) override;
};

// The drop's requests answered from a live data object.
class OleDropSource : public DropSource {
public:
    explicit OleDropSource(IDataObject* data) : data_(data) {}
    std::optional<std::string> GetText() override;
    std::string GetGlobal(std::uint16_t format) override;
    std::optional<std::vector<std::string>> GetFileNames() override;
    std::optional<std::string> FindGlobal(std::uint16_t format) override;

private:
    IDataObject* data_;
};

class DropTarget : public IDropTarget {
public:
    // `report` receives the text of an error that ended a drop. It must not
    // block: the drag source waits until Drop returns.
    using ErrorReport = std::function<void(const std::string&)>;
    DropTarget(CaptureContext& context, ErrorReport report) : context_(context), report_(std::move(report)) {}
    virtual ~DropTarget() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    // The object lives as long as its window, whatever OLE counts.
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;

private:
    CaptureContext& context_;
    ErrorReport report_;
    LONG references_ = 0;
};

// RegisterDragDrop and RevokeDragDrop; a failure raises OleError.
void RegisterDropTarget(HWND window, DropTarget& target);
void RevokeDropTarget(HWND window);

}  // namespace kaveto
