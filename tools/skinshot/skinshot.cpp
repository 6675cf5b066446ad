// skinshot: screenshots of a skin as the running program shows it, for docs/screens.
//   skinshot form FILE OUT.png [--show ANIMATION]... [--press BUTTON]... [--check BUTTON]...
//                              [--tab N] [--hover ELEMENT]
//   skinshot dialog FILE OUT.png hotkey|defaults|freeandrun
// The form is applied to a real window, the named buttons get the pressed and checked looks
// the program gives them (section suffix, pressed text colour inverted), the animations play
// to their end, and the window is read back from the screen. Run it on a desktop large enough
// for the window; the display scale is the prefix's (LogPixels).
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <string>
#include <vector>
#include "framework/uException.h"
#include "skin/uSkin.h"
#include "skin/uSkinLabel.h"
#include "tools/skntool/uSkinPng.h"

namespace {
int dpi = 96;
int Px(int design) { return MulDiv(design, dpi, 96); }

LRESULT CALLBACK HostProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) return 0;
    return DefWindowProcW(w, msg, wp, lp);
}

HWND CreateHost(DWORD style, int clientW, int clientH, const wchar_t* title) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"KorvixSkinShot";
    RegisterClassW(&wc);
    RECT r{0, 0, clientW, clientH};
    AdjustWindowRect(&r, style, FALSE);
    return CreateWindowExW(0, wc.lpszClassName, title, style, Px(16), Px(16), r.right - r.left, r.bottom - r.top,
                           nullptr, nullptr, wc.hInstance, nullptr);
}

void Pump(int ms) {
    DWORD end = GetTickCount() + DWORD(ms);
    while (GetTickCount() < end) {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        Sleep(10);
    }
}

// The window as it is on the screen; what lies outside its region is white.
void Capture(HWND window, const std::wstring& file) {
    RECT wr{};
    GetWindowRect(window, &wr);
    int w = wr.right - wr.left, h = wr.bottom - wr.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(bi.bmiHeader), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, screen, wr.left, wr.top, SRCCOPY);
    GdiFlush();
    SkinBitmap picture;
    picture.width = w;
    picture.height = h;
    picture.pixels.assign(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + size_t(w) * h);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(window, region) != ERROR) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (!PtInRegion(region, x, y)) picture.pixels[size_t(y) * w + x] = 0xFFFFFF;
    }
    DeleteObject(region);
    for (uint32_t& p : picture.pixels) p |= 0xFF000000u;
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    WritePng(file, picture);
}

// The element state the program gives a page button or radio button (pressed) and a check box
// (checked).
TSkinButton ButtonOf(TSkin& skin, HWND window, const std::wstring& name) {
    TSkinObject e = skin.WindowObject(window).Find(name);
    if (!e) throw ESkinError(L"no element " + name);
    return e.AsButton();
}

void Start(const TSkinObject& e, const std::wstring& name) {
    for (int i = 0; i < e.AnimationCount(); ++i)
        if (e.AnimationName(i) == name) e.StartAnimation(i);
    for (int c = 0; c < e.ChildCount(); ++c) Start(e.Child(c), name);
}

int Form(const std::vector<std::wstring>& args) {
    TSkin skin;
    skin.Load(args[2]);
    HWND window = CreateHost(WS_POPUP, 100, 100, L"Korvix Professional");
    skin.ApplyForm(window, L"Korvix");
    ShowWindow(window, SW_SHOW);
    Pump(200);
    for (size_t i = 4; i + 1 < args.size(); i += 2) {
        if (args[i] == L"--press")
            ButtonOf(skin, window, args[i + 1]).SetPressed(true);
        else if (args[i] == L"--check")
            ButtonOf(skin, window, args[i + 1]).SetChecked(true);
        else if (args[i] == L"--show")
            Start(skin.WindowObject(window), args[i + 1]);
    }
    Pump(700);
    // Keyboard focus and the mouse come last, once the page stands where it ends.
    for (size_t i = 4; i + 1 < args.size(); i += 2) {
        if (args[i] == L"--tab") {
            SetForegroundWindow(window);
            SetFocus(window);
            for (int n = _wtoi(args[i + 1].c_str()); n > 0; --n) SendMessageW(window, WM_KEYDOWN, VK_TAB, 0);
        } else if (args[i] == L"--hover") {
            TSkinObject e = skin.WindowObject(window).Find(args[i + 1]);
            if (!e) throw ESkinError(L"no element " + args[i + 1]);
            RECT r = e.Rectangle();
            POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
            ClientToScreen(window, &at);
            SetCursorPos(at.x, at.y);
        }
    }
    Pump(400);
    Capture(window, args[3]);
    skin.UnskinWindow(window);
    DestroyWindow(window);
    return 0;
}

HWND Control(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id = 0,
             DWORD ex = 0) {
    return CreateWindowExW(ex, cls, text, WS_CHILD | WS_VISIBLE | style, Px(x), Px(y), Px(w), Px(h), parent,
                           reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr), nullptr);
}

// The program's plain dialogs, laid out as the program lays them out.
int Dialog(const std::vector<std::wstring>& args) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_HOTKEY_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    TSkin skin;
    skin.Load(args[2]);
    const std::wstring& kind = args[4];
    const DWORD dialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    std::vector<std::unique_ptr<TSkinLabel>> labels;
    auto label = [&](HWND parent, const wchar_t* text, int x, int y, int w, int h) {
        labels.push_back(std::make_unique<TSkinLabel>(parent, RECT{Px(x), Px(y), Px(x + w), Px(y + h)}));
        labels.back()->SetCaption(text);
    };
    HWND window = nullptr, focus = nullptr;
    if (kind == L"hotkey") {
        window = CreateHost(dialogStyle, Px(259), Px(121), L"Define Hotkey");
        label(window, L"Here you can define the shortcut (hotkey) for the preset free-up.", 8, 8, 233, 41);
        HWND hotkey = Control(window, HOTKEY_CLASSW, L"", WS_TABSTOP | WS_BORDER, 8, 56, 233, 19, 10);
        SendMessageW(hotkey, HKM_SETHOTKEY, MAKEWORD('F', HOTKEYF_CONTROL | HOTKEYF_ALT), 0);
        focus = Control(window, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 80, 88, 75, 25, IDOK);
        Control(window, L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, 168, 88, 75, 25, IDCANCEL);
    } else if (kind == L"defaults") {
        window = CreateHost(dialogStyle, Px(341), Px(98), L"Korvix Professional");
        label(window,
              L"Do you like Korvix Professional to automatically adjust all values to good settings for your computer?",
              16, 8, 313, 41);
        focus = Control(window, L"BUTTON", L"Yes", WS_TABSTOP | BS_DEFPUSHBUTTON, 72, 64, 75, 25, IDYES);
        Control(window, L"BUTTON", L"No", WS_TABSTOP | BS_PUSHBUTTON, 200, 64, 75, 25, IDNO);
    } else if (kind == L"freeandrun") {
        window =
            CreateHost(WS_OVERLAPPEDWINDOW & ~WS_MINIMIZEBOX, Px(612), Px(388), L"Free and run menu - manage entries");
        Control(window, L"BUTTON", L"Add", WS_TABSTOP, 8, 8, 81, 25, 1);
        Control(window, L"BUTTON", L"Remove", WS_TABSTOP, 96, 8, 81, 25, 2);
        HWND list = Control(window, WC_LISTVIEWW, L"", WS_TABSTOP | LVS_SMALLICON | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                            8, 40, 185, 340, 3, WS_EX_CLIENTEDGE);
        const wchar_t* names[] = {L"Photo editor", L"Game launcher", L"Video encoder"};
        for (int i = 0; i < 3; ++i) {
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = i;
            item.pszText = const_cast<wchar_t*>(names[i]);
            ListView_InsertItem(list, &item);
        }
        ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
        label(window, L"Program file", 208, 8, 369, 16);
        Control(window, L"EDIT", L"C:\\Program Files\\Photo Editor\\editor.exe",
                WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL, 208, 26, 369, 22, 4, WS_EX_CLIENTEDGE);
        Control(window, L"BUTTON", L"...", WS_TABSTOP, 579, 26, 30, 22, 5);
        label(window, L"Name", 208, 56, 401, 16);
        focus = Control(window, L"EDIT", L"Photo editor", WS_TABSTOP | ES_AUTOHSCROLL, 208, 74, 401, 22, 6,
                        WS_EX_CLIENTEDGE);
        label(window, L"Amount of memory to free-up:", 208, 104, 401, 16);
        Control(window, L"STATIC", L"1.95 GB", SS_LEFT, 208, 124, 48, 17, 7);
        HWND bar = Control(window, L"SCROLLBAR", L"", WS_TABSTOP | SBS_HORZ, 256, 122, 353, 17, 8);
        SCROLLINFO si{sizeof(si), SIF_ALL, 1, 8601, 409, 4000, 0};
        SetScrollInfo(bar, SB_CTL, &si, FALSE);
        Control(window, L"STATIC", L"", SS_SUNKEN, 208, 148, 401, 200, 9);
        Control(window, L"BUTTON", L"Close", WS_TABSTOP, 534, 356, 75, 25, IDCANCEL);
    } else {
        std::printf("unknown dialog %ls\n", kind.c_str());
        return 2;
    }
    skin.SkinWindow(window);
    ShowWindow(window, SW_SHOW);
    if (focus) SetFocus(focus);
    // Keyboard cues on, so the focus mark shows as it does after a Tab.
    SendMessageW(window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
    Pump(600);
    Capture(window, args[3]);
    skin.UnskinWindow(window);
    labels.clear();
    DestroyWindow(window);
    return 0;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    SetProcessDPIAware();
    HDC screen = GetDC(nullptr);
    dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    std::vector<std::wstring> args(argv, argv + argc);
    try {
        if (args.size() >= 4 && args[1] == L"form") return Form(args);
        if (args.size() == 5 && args[1] == L"dialog") return Dialog(args);
    } catch (const Exception& e) {
        std::printf("%ls\n", e.Message().c_str());
        return 1;
    }
    std::printf(
        "usage: skinshot form FILE OUT.png [--show A] [--press B] [--check B]... [--tab N] [--hover E]\n"
        "       skinshot dialog FILE OUT.png hotkey|defaults|freeandrun\n");
    return 2;
}
