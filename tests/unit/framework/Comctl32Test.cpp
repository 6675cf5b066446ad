// The common-controls functions the program calls, each reached through the pointer that loads
// comctl32 at its first call: every one works from that first call on (32-bit and 64-bit).
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

namespace {
LRESULT CALLBACK CountingProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (msg == WM_USER + 1) ++*reinterpret_cast<int*>(data);
    return ::DefSubclassProc(window, msg, wParam, lParam);
}
}  // namespace

TEST(Comctl32, EveryFunctionWorksFromItsFirstCall) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_HOTKEY_CLASS};
    EXPECT_TRUE(::InitCommonControlsEx(&icc));
    EXPECT_NE(::GetModuleHandleW(L"comctl32.dll"), nullptr);

    HIMAGELIST list = ::ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(::ImageList_ReplaceIcon(list, -1, ::LoadIconW(nullptr, IDI_APPLICATION)), 0);
    EXPECT_EQ(::ImageList_GetImageCount(list), 1);
    EXPECT_TRUE(::ImageList_Remove(list, 0));
    EXPECT_EQ(::ImageList_GetImageCount(list), 0);
    EXPECT_TRUE(::ImageList_Destroy(list));

    HWND window =
        ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    int seen = 0;
    ASSERT_TRUE(::SetWindowSubclass(window, &CountingProc, 1, reinterpret_cast<DWORD_PTR>(&seen)));
    ::SendMessageW(window, WM_USER + 1, 0, 0);
    // The default procedure went on to the window's own: its text is still answered.
    EXPECT_EQ(::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0), 0);
    EXPECT_TRUE(::RemoveWindowSubclass(window, &CountingProc, 1));
    ::SendMessageW(window, WM_USER + 1, 0, 0);
    EXPECT_EQ(seen, 1);
    ::DestroyWindow(window);
}
