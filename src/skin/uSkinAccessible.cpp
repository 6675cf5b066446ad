#include "skin/uSkinAccessible.h"
#include <algorithm>
#include "framework/uShell.h"
#include "framework/uSystemLibrary.h"

namespace {
// Spelled out: the program links no interface library, and mingw's __uuidof has no id for these.
constexpr GUID kIID_IUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIID_IDispatch{0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIID_IAccessible{0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// oleacc and oleaut32 are mapped only once an accessibility tool asks.
HRESULT NewBSTR(const std::wstring& text, BSTR* out) {
    using AllocFn = BSTR(WINAPI*)(const OLECHAR*, UINT);
    static const auto alloc = SystemLibraryFunction<AllocFn>(L"oleaut32.dll", "SysAllocStringLen");
    *out = alloc ? alloc(text.c_str(), static_cast<UINT>(text.size())) : nullptr;
    return *out ? S_OK : E_OUTOFMEMORY;
}

void SetI4(VARIANT* v, long value) {
    v->vt = VT_I4;
    v->lVal = value;
}

std::wstring PickName(const TSkinAccessInfo& i) { return i.Name; }
std::wstring PickValue(const TSkinAccessInfo& i) { return i.Role == TSkinAccessRole::Slider ? i.Value : L""; }
std::wstring PickDescription(const TSkinAccessInfo& i) { return i.Description; }
}  // namespace

DWORD SkinAccessRole(TSkinAccessRole role) {
    switch (role) {
        case TSkinAccessRole::PushButton: return ROLE_SYSTEM_PUSHBUTTON;
        case TSkinAccessRole::CheckBox: return ROLE_SYSTEM_CHECKBUTTON;
        case TSkinAccessRole::RadioButton: return ROLE_SYSTEM_RADIOBUTTON;
        case TSkinAccessRole::Slider: return ROLE_SYSTEM_SLIDER;
        case TSkinAccessRole::StatusBar: return ROLE_SYSTEM_STATUSBAR;
        default: return ROLE_SYSTEM_STATICTEXT;
    }
}

std::wstring SkinAccessDefaultAction(TSkinAccessRole role, DWORD state) {
    switch (role) {
        case TSkinAccessRole::PushButton:
        case TSkinAccessRole::RadioButton: return L"Press";
        case TSkinAccessRole::CheckBox: return state & STATE_SYSTEM_CHECKED ? L"Uncheck" : L"Check";
        default: return L"";
    }
}

long SkinAccessChildID(const std::vector<int>& nodes, int node) {
    auto at = std::find(nodes.begin(), nodes.end(), node);
    return at == nodes.end() ? 0 : static_cast<long>(at - nodes.begin()) + 1;
}

LRESULT SkinAccessResult(TSkinAccessible& object, WPARAM wParam) {
    using ResultFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    static const auto result = SystemLibraryFunction<ResultFn>(L"oleacc.dll", "LresultFromObject");
    if (!result) return 0;
    // The object is handed out through COM, which the thread joins once.
    EnterComApartment();
    LRESULT answer = result(kIID_IAccessible, wParam, &object);
    return answer < 0 ? 0 : answer;
}

// ---- IUnknown, IDispatch ----
HRESULT TSkinAccessible::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == kIID_IUnknown || iid == kIID_IDispatch || iid == kIID_IAccessible) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG TSkinAccessible::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }

ULONG TSkinAccessible::Release() {
    LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT TSkinAccessible::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}
HRESULT TSkinAccessible::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
HRESULT TSkinAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
HRESULT TSkinAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

// ---- IAccessible ----
bool TSkinAccessible::Resolve(const VARIANT& child, int& node, std::vector<int>* nodes) const {
    if (child.vt != VT_I4) return false;
    if (child.lVal == CHILDID_SELF) {
        node = -1;
        return true;
    }
    std::vector<int> shown = host_->AccessNodes();
    if (child.lVal < 1 || child.lVal > static_cast<long>(shown.size())) return false;
    node = shown[child.lVal - 1];
    if (nodes) *nodes = std::move(shown);
    return true;
}

#define KORVIX_ACCESS_ALIVE() \
    if (!host_) return RPC_E_DISCONNECTED

HRESULT TSkinAccessible::get_accParent(IDispatch** parent) {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    KORVIX_ACCESS_ALIVE();
    using FromWindowFn = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
    static const auto fromWindow = SystemLibraryFunction<FromWindowFn>(L"oleacc.dll", "AccessibleObjectFromWindow");
    if (!fromWindow) return S_FALSE;
    HRESULT hr =
        fromWindow(host_->AccessWindow(), DWORD(OBJID_WINDOW), kIID_IDispatch, reinterpret_cast<void**>(parent));
    return SUCCEEDED(hr) && *parent ? S_OK : S_FALSE;
}

HRESULT TSkinAccessible::get_accChildCount(long* count) {
    if (!count) return E_POINTER;
    KORVIX_ACCESS_ALIVE();
    *count = static_cast<long>(host_->AccessNodes().size());
    return S_OK;
}

HRESULT TSkinAccessible::get_accChild(VARIANT child, IDispatch** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    KORVIX_ACCESS_ALIVE();
    int node;
    if (!Resolve(child, node) || node < 0) return E_INVALIDARG;
    return S_FALSE;  // a simple element: its properties are asked of this object
}

HRESULT TSkinAccessible::Text(const VARIANT& child, std::wstring (*pick)(const TSkinAccessInfo&), BSTR* out) const {
    if (!out) return E_POINTER;
    *out = nullptr;
    KORVIX_ACCESS_ALIVE();
    int node;
    if (!Resolve(child, node)) return E_INVALIDARG;
    std::wstring text;
    if (node < 0) {
        if (pick != &PickName) return S_FALSE;
        wchar_t title[256] = {};
        ::GetWindowTextW(host_->AccessWindow(), title, 256);
        text = title;
    } else {
        text = pick(host_->AccessInfo(node));
    }
    if (text.empty() && pick != &PickName) return S_FALSE;
    return NewBSTR(text, out);
}

HRESULT TSkinAccessible::get_accName(VARIANT child, BSTR* name) { return Text(child, &PickName, name); }
HRESULT TSkinAccessible::get_accValue(VARIANT child, BSTR* value) { return Text(child, &PickValue, value); }
HRESULT TSkinAccessible::get_accDescription(VARIANT child, BSTR* description) {
    return Text(child, &PickDescription, description);
}

HRESULT TSkinAccessible::get_accRole(VARIANT child, VARIANT* role) {
    if (!role) return E_POINTER;
    role->vt = VT_EMPTY;
    KORVIX_ACCESS_ALIVE();
    int node;
    if (!Resolve(child, node)) return E_INVALIDARG;
    SetI4(role, node < 0 ? ROLE_SYSTEM_CLIENT : long(SkinAccessRole(host_->AccessInfo(node).Role)));
    return S_OK;
}

HRESULT TSkinAccessible::get_accState(VARIANT child, VARIANT* state) {
    if (!state) return E_POINTER;
    state->vt = VT_EMPTY;
    KORVIX_ACCESS_ALIVE();
    int node;
    if (!Resolve(child, node)) return E_INVALIDARG;
    if (node >= 0) {
        SetI4(state, long(host_->AccessState(node)));
        return S_OK;
    }
    HWND window = host_->AccessWindow();
    long flags = STATE_SYSTEM_FOCUSABLE;
    if (!::IsWindowVisible(window)) flags |= STATE_SYSTEM_INVISIBLE;
    if (!::IsWindowEnabled(window)) flags |= STATE_SYSTEM_UNAVAILABLE;
    if (::GetFocus() == window) flags |= STATE_SYSTEM_FOCUSED;
    SetI4(state, flags);
    return S_OK;
}

HRESULT TSkinAccessible::get_accHelp(VARIANT, BSTR* help) {
    if (help) *help = nullptr;
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT TSkinAccessible::get_accHelpTopic(BSTR* file, VARIANT, long* topic) {
    if (file) *file = nullptr;
    if (topic) *topic = -1;
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT TSkinAccessible::get_accKeyboardShortcut(VARIANT, BSTR* shortcut) {
    if (shortcut) *shortcut = nullptr;
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT TSkinAccessible::get_accFocus(VARIANT* child) {
    if (!child) return E_POINTER;
    child->vt = VT_EMPTY;
    KORVIX_ACCESS_ALIVE();
    if (::GetFocus() != host_->AccessWindow()) return S_FALSE;
    std::vector<int> nodes = host_->AccessNodes();
    for (int node : nodes) {
        if (host_->AccessState(node) & STATE_SYSTEM_FOCUSED) {
            SetI4(child, SkinAccessChildID(nodes, node));
            return S_OK;
        }
    }
    SetI4(child, CHILDID_SELF);
    return S_OK;
}

HRESULT TSkinAccessible::get_accSelection(VARIANT* children) {
    if (!children) return E_POINTER;
    children->vt = VT_EMPTY;
    KORVIX_ACCESS_ALIVE();
    return S_FALSE;
}

HRESULT TSkinAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    if (!action) return E_POINTER;
    *action = nullptr;
    KORVIX_ACCESS_ALIVE();
    int node;
    if (!Resolve(child, node)) return E_INVALIDARG;
    if (node < 0) return DISP_E_MEMBERNOTFOUND;
    std::wstring text = SkinAccessDefaultAction(host_->AccessInfo(node).Role, host_->AccessState(node));
    if (text.empty()) return DISP_E_MEMBERNOTFOUND;
    return NewBSTR(text, action);
}

HRESULT TSkinAccessible::accSelect(long flags, VARIANT child) {
    KORVIX_ACCESS_ALIVE();
    int node;
    if (!Resolve(child, node)) return E_INVALIDARG;
    if (flags != SELFLAG_TAKEFOCUS) return DISP_E_MEMBERNOTFOUND;
    if (node < 0) {
        ::SetFocus(host_->AccessWindow());
        return S_OK;
    }
    if (!(host_->AccessState(node) & STATE_SYSTEM_FOCUSABLE)) return DISP_E_MEMBERNOTFOUND;
    host_->AccessFocus(node);
    return S_OK;
}

HRESULT TSkinAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    KORVIX_ACCESS_ALIVE();
    int node;
    if (!Resolve(child, node)) return E_INVALIDARG;
    RECT r{};
    if (node >= 0) {
        r = host_->AccessScreenRect(node);
    } else {
        ::GetClientRect(host_->AccessWindow(), &r);
        ::MapWindowPoints(host_->AccessWindow(), nullptr, reinterpret_cast<POINT*>(&r), 2);
    }
    *left = r.left;
    *top = r.top;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
}

HRESULT TSkinAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
    if (!end) return E_POINTER;
    end->vt = VT_EMPTY;
    KORVIX_ACCESS_ALIVE();
    int node;
    std::vector<int> nodes;
    if (!Resolve(start, node, &nodes)) return E_INVALIDARG;
    if (node < 0) nodes = host_->AccessNodes();
    long count = static_cast<long>(nodes.size());
    long at = node < 0 ? 0 : start.lVal, to = 0;
    switch (direction) {
        case NAVDIR_FIRSTCHILD: to = node < 0 && count > 0 ? 1 : 0; break;
        case NAVDIR_LASTCHILD: to = node < 0 ? count : 0; break;
        case NAVDIR_NEXT: to = node >= 0 && at < count ? at + 1 : 0; break;
        case NAVDIR_PREVIOUS: to = node >= 0 && at > 1 ? at - 1 : 0; break;
        default: return DISP_E_MEMBERNOTFOUND;
    }
    if (to == 0) return S_FALSE;
    SetI4(end, to);
    return S_OK;
}

HRESULT TSkinAccessible::accHitTest(long x, long y, VARIANT* child) {
    if (!child) return E_POINTER;
    child->vt = VT_EMPTY;
    KORVIX_ACCESS_ALIVE();
    HWND window = host_->AccessWindow();
    POINT pt{x, y};
    ::ScreenToClient(window, &pt);
    RECT client{};
    ::GetClientRect(window, &client);
    if (!::PtInRect(&client, pt)) return S_FALSE;
    long id = SkinAccessChildID(host_->AccessNodes(), host_->AccessHit(pt));
    SetI4(child, id);
    return S_OK;
}

HRESULT TSkinAccessible::accDoDefaultAction(VARIANT child) {
    KORVIX_ACCESS_ALIVE();
    int node;
    if (!Resolve(child, node)) return E_INVALIDARG;
    if (node < 0 || SkinAccessDefaultAction(host_->AccessInfo(node).Role, 0).empty()) return DISP_E_MEMBERNOTFOUND;
    if (host_->AccessState(node) & STATE_SYSTEM_UNAVAILABLE) return E_FAIL;
    host_->AccessDefaultAction(node);
    return S_OK;
}

HRESULT TSkinAccessible::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }
HRESULT TSkinAccessible::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }
