// Reads a window from another process the way a screen reader does (Microsoft Active
// Accessibility): the client object of the first visible window of a class, its children with
// their roles, names, values, states and places, default actions, and the events the window
// raises. Output is UTF-8, one element per line, fields separated by tabs.
//   msaa tree CLASS                 id, role, state (hex), name, value, default action, left top width height
//   msaa do CLASS NAME              the default action of the child of that name
//   msaa focus CLASS NAME           moves the keyboard focus to the child of that name
//   msaa events CLASS MILLISECONDS  focus, name, value, state and reorder events: event, child id, name
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <oleacc.h>
#include <string>
#include <vector>

namespace {
// mingw's oleacc import library gives IID_IAccessible as a jump thunk, not the GUID.
constexpr GUID kIID_IAccessible{0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
HWND g_window = nullptr;

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), out.data(), size, nullptr, nullptr);
    for (char& c : out)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return out;
}

std::wstring Wide(const char* text) {
    int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring out(size > 0 ? size - 1 : 0, L'\0');
    if (size > 1) MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), size);
    return out;
}

BOOL CALLBACK FindClass(HWND window, LPARAM name) {
    char cls[256] = {};
    GetClassNameA(window, cls, sizeof(cls));
    if (!strcmp(cls, reinterpret_cast<const char*>(name)) && IsWindowVisible(window)) {
        g_window = window;
        return FALSE;
    }
    return TRUE;
}

IAccessible* ClientObject(const char* cls) {
    EnumWindows(FindClass, reinterpret_cast<LPARAM>(cls));
    if (!g_window) return nullptr;
    IAccessible* object = nullptr;
    HRESULT hr =
        AccessibleObjectFromWindow(g_window, DWORD(OBJID_CLIENT), kIID_IAccessible, reinterpret_cast<void**>(&object));
    if (FAILED(hr)) fprintf(stderr, "AccessibleObjectFromWindow: %lx\n", static_cast<unsigned long>(hr));
    return SUCCEEDED(hr) ? object : nullptr;
}

std::wstring Take(HRESULT hr, BSTR text) {
    std::wstring out = SUCCEEDED(hr) && text ? std::wstring(text, SysStringLen(text)) : L"";
    SysFreeString(text);
    return out;
}

struct Element {
    long id;
    long role = 0, state = 0;
    std::wstring name, value, action;
    long left = 0, top = 0, width = 0, height = 0;
};

Element Read(IAccessible* object, long id) {
    Element e{id};
    VARIANT child;
    child.vt = VT_I4;
    child.lVal = id;
    // The call first, then the text it gave (argument order is unspecified).
    BSTR text = nullptr;
    HRESULT hr = object->get_accName(child, &text);
    e.name = Take(hr, text);
    text = nullptr;
    hr = object->get_accValue(child, &text);
    e.value = Take(hr, text);
    text = nullptr;
    hr = object->get_accDefaultAction(child, &text);
    e.action = Take(hr, text);
    VARIANT v;
    VariantInit(&v);
    if (SUCCEEDED(object->get_accRole(child, &v)) && v.vt == VT_I4) e.role = v.lVal;
    VariantClear(&v);
    if (SUCCEEDED(object->get_accState(child, &v)) && v.vt == VT_I4) e.state = v.lVal;
    VariantClear(&v);
    object->accLocation(&e.left, &e.top, &e.width, &e.height, child);
    return e;
}

// Every child as AccessibleChildren gives them (simple elements come as child ids).
std::vector<Element> Children(IAccessible* object) {
    std::vector<Element> out;
    long count = 0;
    if (FAILED(object->get_accChildCount(&count)) || count <= 0) return out;
    std::vector<VARIANT> children(count);
    long got = 0;
    if (FAILED(AccessibleChildren(object, 0, count, children.data(), &got))) return out;
    for (long i = 0; i < got; ++i) {
        if (children[i].vt == VT_I4) out.push_back(Read(object, children[i].lVal));
        VariantClear(&children[i]);
    }
    return out;
}

void Print(const Element& e) {
    printf("%ld\t%ld\t%lx\t%s\t%s\t%s\t%ld %ld %ld %ld\n", e.id, e.role, e.state, Utf8(e.name).c_str(),
           Utf8(e.value).c_str(), Utf8(e.action).c_str(), e.left, e.top, e.width, e.height);
}

const Element* Named(const std::vector<Element>& elements, const std::wstring& name) {
    for (const Element& e : elements)
        if (e.name == name) return &e;
    return nullptr;
}

DWORD g_process = 0;
struct Event {
    DWORD event;
    LONG child;
};
std::vector<Event> g_events;
// Only noted here: the names are read once the listening is over, as a tool would read them
// after the event (asking the window from inside the hook would run into its own event).
void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (window == g_window && object == OBJID_CLIENT) g_events.push_back({event, child});
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: msaa tree|do|focus|events CLASS [NAME|MILLISECONDS]\n");
        return 64;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const char* cmd = argv[1];
    IAccessible* object = ClientObject(argv[2]);
    if (!object) {
        printf("none\n");
        return 1;
    }
    int rc = 0;
    if (!strcmp(cmd, "tree")) {
        Print(Read(object, CHILDID_SELF));
        for (const Element& e : Children(object)) Print(e);
    } else if ((!strcmp(cmd, "do") || !strcmp(cmd, "focus")) && argc > 3) {
        std::vector<Element> children = Children(object);
        const Element* e = Named(children, Wide(argv[3]));
        VARIANT child;
        child.vt = VT_I4;
        child.lVal = e ? e->id : 0;
        HRESULT hr = !e                   ? E_INVALIDARG
                     : !strcmp(cmd, "do") ? object->accDoDefaultAction(child)
                                          : object->accSelect(SELFLAG_TAKEFOCUS, child);
        printf("%s %lx\n", SUCCEEDED(hr) ? "done" : "failed", static_cast<unsigned long>(hr));
        rc = SUCCEEDED(hr) ? 0 : 1;
    } else if (!strcmp(cmd, "events") && argc > 3) {
        GetWindowThreadProcessId(g_window, &g_process);
        HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_VALUECHANGE, nullptr, OnEvent, g_process,
                                             0, WINEVENT_OUTOFCONTEXT);
        printf("listening\n");
        fflush(stdout);
        const DWORD end = GetTickCount() + strtoul(argv[3], nullptr, 0);
        MSG msg;
        while (GetTickCount() < end) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
        if (hook) UnhookWinEvent(hook);
        for (const Event& e : g_events) {
            Element read = Read(object, e.child);
            printf("%lx\t%ld\t%s\n", e.event, e.child, Utf8(read.name).c_str());
        }
    } else {
        printf("unknown command\n");
        rc = 64;
    }
    object->Release();
    CoUninitialize();
    return rc;
}
