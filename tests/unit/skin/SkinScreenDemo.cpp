// Shows a skinned form or a plain dialog in the skin's dialog style, for the screenshots in
// docs/screens (tools/skin_screenshots.sh). Not a test: it runs until the given seconds pass.
//   skin_screen_demo form|dialog SKINFILE SECONDS
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include "framework/uWindow.h"
#include "skin/uSkin.h"
#include "skin/uSkinLabel.h"
#include "skin/uSkinPaint.h"

namespace {
class DemoWindow : public TWindowBase {
public:
    DemoWindow(DWORD style, int width, int height, const wchar_t* title) {
        CreateHandle({.className = L"KorvixSkinDemo",
                      .title = title,
                      .style = style,
                      .x = 60,
                      .y = 60,
                      .width = width,
                      .height = height,
                      .background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)});
    }
};

void Pump(DWORD ms) {
    DWORD end = ::GetTickCount() + ms;
    MSG msg;
    while (int(end - ::GetTickCount()) > 0) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PrintRect(const char* name, HWND wnd) {
    RECT r{};
    ::GetWindowRect(wnd, &r);
    std::printf("%s %ld %ld %ld %ld\n", name, r.left, r.top, r.right, r.bottom);
    std::fflush(stdout);
}

int ShowForm(TSkin& skin, int seconds) {
    DemoWindow window(WS_OVERLAPPEDWINDOW, 400, 300, L"Korvix Professional");
    skin.ApplyForm(window.Handle(), L"Korvix");
    TSkinObject root = skin.WindowObject(window.Handle());
    ::ShowWindow(window.Handle(), SW_SHOW);
    root.Find(L"StatusStatic").AsStatic().SetText(L"Monitoring: 1.24 GB of 4.00 GB in use");
    root.Find(L"manual_scroll").AsScrollBar().SetPosition(35);
    TSkinObject page = root.Find(L"manual_page");
    for (int i = 0; i < page.AnimationCount(); ++i)
        if (page.AnimationName(i) == L"manual_show") page.StartAnimation(i);
    // The page button looks pressed, as the program shows the open page.
    TSkinButton manual = root.Find(L"manual").AsButton();
    for (int i = 0; i < 3; ++i) {
        SkinButtonState s = manual.GetState(i);
        s.Section.Name += L"_pressed";
        s.Color = {255, 255, 255};
        manual.SetState(i, s);
    }
    ::SetFocus(window.Handle());
    ::SendMessageW(window.Handle(), WM_KEYDOWN, VK_TAB, 1);  // the focus mark on the first button
    Pump(600);
    PrintRect("window", window.Handle());
    std::printf("ready\n");
    std::fflush(stdout);
    Pump(DWORD(seconds) * 1000);
    return 0;
}

int ShowDialog(TSkin& skin, int seconds) {
    int dpi = static_cast<int>(WindowDpi(nullptr));
    auto s = [dpi](int v) { return ::MulDiv(v, dpi, 96); };
    RECT frame{0, 0, s(341), s(150)};
    ::AdjustWindowRectEx(&frame, WS_CAPTION | WS_SYSMENU, FALSE, 0);
    DemoWindow dialog(WS_CAPTION | WS_SYSMENU, frame.right - frame.left, frame.bottom - frame.top, L"Define Hotkey");
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    TSkinLabel label(dialog.Handle(), {s(16), s(8), s(329), s(49)});
    label.SetCaption(L"Here you can define the shortcut (hotkey) for the preset free-up.");
    auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id) {
        return ::CreateWindowExW(cls == std::wstring(L"EDIT") ? WS_EX_CLIENTEDGE : 0, cls, text,
                                 WS_CHILD | WS_VISIBLE | style, s(x), s(y), s(w), s(h), dialog.Handle(),
                                 reinterpret_cast<HMENU>(INT_PTR(id)), instance, nullptr);
    };
    child(L"EDIT", L"Ctrl + Alt + D", WS_TABSTOP, 16, 56, 313, 22, 3);
    child(L"STATIC", L"Used by: Preset 1", SS_LEFT, 16, 86, 200, 18, 4);
    HWND ok = child(L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 136, 112, 90, 28, IDOK);
    child(L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 239, 112, 90, 28, IDCANCEL);
    skin.SkinWindow(dialog.Handle());
    ::ShowWindow(dialog.Handle(), SW_SHOW);
    ::SetFocus(ok);
    ::SendMessageW(dialog.Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    Pump(500);
    PrintRect("window", dialog.Handle());
    std::printf("ready\n");
    std::fflush(stdout);
    Pump(DWORD(seconds) * 1000);
    return 0;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    TSkin skin;
    try {
        skin.Load(argv[2]);
        return std::wstring(argv[1]) == L"form" ? ShowForm(skin, _wtoi(argv[3])) : ShowDialog(skin, _wtoi(argv[3]));
    } catch (const Exception& e) {
        std::printf("error: %ls\n", e.Message().c_str());
        return 1;
    }
}
