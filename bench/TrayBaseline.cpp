// The footprint benchmark's baseline: the least a tray program can be. A hidden window, one
// icon in the notification area, a message loop, and nothing else until it is closed.
// Built like Korvix.exe (same compiler, options and static runtime), so the difference
// between the two is what Korvix does, not how it is built.
#include <windows.h>
#include <shellapi.h>

namespace {
constexpr UINT kIconId = 1;
constexpr wchar_t kTitle[] = L"Korvix Footprint Baseline";

void RemoveIcon(HWND window) {
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = kIconId;
    ::Shell_NotifyIconW(NIM_DELETE, &data);
}

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_DESTROY:
            RemoveIcon(window);
            ::PostQuitMessage(0);
            return 0;
        default: return ::DefWindowProcW(window, msg, wParam, lParam);
    }
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"KorvixFootprintBaseline";
    if (!::RegisterClassW(&windowClass)) return 1;
    HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, kTitle, WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                    instance, nullptr);
    if (!window) return 1;

    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = kIconId;
    data.uFlags = NIF_ICON | NIF_TIP;
    data.hIcon = static_cast<HICON>(::LoadImageW(instance, L"KORVIXICON", IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    lstrcpynW(data.szTip, kTitle, ARRAYSIZE(data.szTip));
    if (!::Shell_NotifyIconW(NIM_ADD, &data)) return 1;

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    return 0;
}
