// The accessible object of a skinned form (Microsoft Active Accessibility): the window's client
// area as screen readers see it, its children the visible elements that the program names. The
// form answers WM_GETOBJECT with it; the children are simple elements numbered 1..n in the
// skin's order, as they show now.
#pragma once
#include <windows.h>
#include <oleacc.h>
#include <string>
#include <vector>
#include "skin/uSkin.h"

// What the accessible object asks of the window that draws the form.
class TSkinAccessHost {
public:
    virtual ~TSkinAccessHost() = default;
    virtual HWND AccessWindow() const = 0;
    // The elements a screen reader sees now (tree indices), in the skin's order.
    virtual std::vector<int> AccessNodes() const = 0;
    virtual TSkinAccessInfo AccessInfo(int node) const = 0;
    virtual RECT AccessScreenRect(int node) const = 0;
    // STATE_SYSTEM_* flags of the element.
    virtual DWORD AccessState(int node) const = 0;
    // The element under a client point, or -1.
    virtual int AccessHit(POINT client) const = 0;
    // Carried out after the caller has returned (a click may open a modal dialog).
    virtual void AccessDefaultAction(int node) = 0;
    virtual void AccessFocus(int node) = 0;
};

// The MSAA role and the default action of a role.
DWORD SkinAccessRole(TSkinAccessRole role);
// "Press", "Check", "Uncheck" or empty when the element has no default action.
std::wstring SkinAccessDefaultAction(TSkinAccessRole role, DWORD state);

// COM releases through IUnknown::Release, never through the interface's destructor.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class TSkinAccessible final : public IAccessible {
public:
    explicit TSkinAccessible(TSkinAccessHost& host) : host_(&host) {}
    // The window is going: every later call fails as disconnected.
    void Disconnect() noexcept { host_ = nullptr; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch: not offered (clients call IAccessible directly)
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;
    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

private:
    ~TSkinAccessible() = default;
    // The tree index of a child id (-1 for the object itself); false when it names no child.
    bool Resolve(const VARIANT& child, int& node, std::vector<int>* nodes = nullptr) const;
    HRESULT Text(const VARIANT& child, std::wstring (*pick)(const TSkinAccessInfo&), BSTR* out) const;

    TSkinAccessHost* host_;
    LONG references_ = 1;
};
#pragma GCC diagnostic pop

// The child id of an element in the list the object shows now (0 when it is not shown).
long SkinAccessChildID(const std::vector<int>& nodes, int node);
// WM_GETOBJECT's answer for the object (0 when the system's accessibility library is missing).
LRESULT SkinAccessResult(TSkinAccessible& object, WPARAM wParam);
