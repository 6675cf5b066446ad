// Shows the context help popup of our own for the screenshots in docs/screens
// (tools/help_screenshots.sh). Not a test: it runs until the given number of seconds
// has passed or the popup closes.
//   help_popup_demo HELPFILE CONTEXT X Y SECONDS
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include "framework/uText.h"
#include "help/uHTMLHelp.h"
#include "help/uHelpPopup.h"

int main(int argc, char** argv) {
    if (argc < 6) return 2;
    // Drawn at the display's scale, as the program is.
    using TSetContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
    auto setContext = reinterpret_cast<TSetContext>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext"));
    if (!setContext || !setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) ::SetProcessDPIAware();
    THTMLHelp help;
    help.SetHelpFile(Widen(argv[1]));
    help.ShowPopup(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    HWND popup = ::FindWindowW(HelpPopupClassName, nullptr);
    if (!popup) {
        std::printf("no popup\n");
        return 1;
    }
    RECT r{};
    ::GetWindowRect(popup, &r);
    std::printf("ready %ld %ld %ld %ld dpi %d\n", r.left, r.top, r.right, r.bottom,
                HelpPopupDpi(POINT{std::atoi(argv[3]), std::atoi(argv[4])}));
    std::fflush(stdout);
    DWORD end = ::GetTickCount() + 1000 * std::atoi(argv[5]);
    while (::GetTickCount() < end && ::IsWindow(popup)) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    FinalizeHTMLHelp();
    return 0;
}
