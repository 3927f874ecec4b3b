#include "tools/drive/accessible_tree.h"

#include <atomic>

#include "tools/drive/wait.h"

namespace kaveto::drive {

struct AccessibleTree::Shared {
    AccessibleNode root;
    HANDLE release = nullptr;
    std::atomic<long> questions{0};
    std::atomic<long> references{0};  // on every object, the tree's own included
};

namespace {

BSTR ToBstr(const std::wstring& text) { return ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size())); }

// One node's COM object. Children are made afresh each time they are asked
// for, as a browser may do; the shared tree outlives every object.
class NodeObject final : public IAccessible {
public:
    NodeObject(std::shared_ptr<AccessibleTree::Shared> shared, const AccessibleNode* node)
        : shared_(std::move(shared)), node_(node) {
        ++shared_->references;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        ++shared_->references;
        return ++refs_;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        --shared_->references;
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        *parent = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        Asked();
        *count = static_cast<LONG>(node_->children.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        Asked();
        *out = nullptr;
        if (child.vt != VT_I4 || child.lVal < 1 || child.lVal > static_cast<LONG>(node_->children.size()))
            return E_INVALIDARG;
        *out = new NodeObject(shared_, &node_->children[child.lVal - 1]);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return Text(child, node_->name, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return Text(child, node_->value, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* out) override { return Nothing(out); }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        Asked();
        if (!IsSelf(child)) return E_INVALIDARG;
        ::VariantInit(role);
        role->vt = VT_I4;
        role->lVal = node_->role;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!IsSelf(child)) return E_INVALIDARG;
        ::VariantInit(state);
        state->vt = VT_I4;
        state->lVal = node_->role == ROLE_SYSTEM_TEXT ? STATE_SYSTEM_FOCUSABLE : STATE_SYSTEM_READONLY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* out) override { return Nothing(out); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
        *topic = 0;
        return Nothing(file);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* out) override { return Nothing(out); }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        ::VariantInit(out);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        ::VariantInit(out);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR* out) override { return Nothing(out); }
    HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accLocation(LONG*, LONG*, LONG*, LONG*, VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG, VARIANT, VARIANT* out) override {
        ::VariantInit(out);
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG, LONG, VARIANT* out) override {
        ::VariantInit(out);
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    static bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }
    static HRESULT Nothing(BSTR* out) {
        *out = nullptr;
        return S_FALSE;
    }
    void Asked() {
        ++shared_->questions;
        if (!node_->answer_delay_ms) return;
        if (shared_->release)
            ::WaitForSingleObject(shared_->release, node_->answer_delay_ms);
        else
            ::Sleep(node_->answer_delay_ms);
    }
    HRESULT Text(const VARIANT& child, const std::wstring& text, BSTR* out) {
        Asked();
        *out = nullptr;
        if (!IsSelf(child)) return E_INVALIDARG;
        if (text.empty()) return S_FALSE;
        *out = ToBstr(text);
        return S_OK;
    }

    ~NodeObject() = default;

    std::atomic<ULONG> refs_{1};
    std::shared_ptr<AccessibleTree::Shared> shared_;
    const AccessibleNode* node_;
};

}  // namespace

AccessibleTree::AccessibleTree(AccessibleNode root, HANDLE release) : shared_(std::make_shared<Shared>()) {
    shared_->root = std::move(root);
    shared_->release = release;
    root_ = new NodeObject(shared_, &shared_->root);
}

AccessibleTree::~AccessibleTree() { root_->Release(); }

bool AccessibleTree::Answer(WPARAM wparam, LPARAM lparam, LRESULT& result) {
    if (static_cast<LONG>(lparam) != OBJID_CLIENT) return false;
    result = ::LresultFromObject(__uuidof(IAccessible), wparam, root_);
    return true;
}

long AccessibleTree::questions() const { return shared_->questions.load(); }

long AccessibleTree::references() const { return shared_->references.load() - 1; }

AccessibleNode BrowserTree(const std::wstring& bar_value, const std::wstring& title, const std::wstring& address,
                           int page_objects) {
    AccessibleNode bar{ROLE_SYSTEM_TEXT, L"Address and search bar", bar_value, {}};
    AccessibleNode toolbar{ROLE_SYSTEM_TOOLBAR, L"", L"", {AccessibleNode{ROLE_SYSTEM_PUSHBUTTON, L"Back", L"", {}}, bar}};
    AccessibleNode document{ROLE_SYSTEM_DOCUMENT, title, address, {}};
    for (int i = 0; i < page_objects; ++i)
        document.children.push_back(AccessibleNode{ROLE_SYSTEM_STATICTEXT, L"text " + std::to_wstring(i), L"", {}});
    return AccessibleNode{ROLE_SYSTEM_CLIENT, title, L"", {toolbar, document}};
}

void AnswerLateCalls() { PumpUntilQuiet(100, 2000); }

}  // namespace kaveto::drive
