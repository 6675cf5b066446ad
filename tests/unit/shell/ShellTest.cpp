// The program's entry rules: which first parameter uninstalls, and the uninstall mode's wait
// for a running copy, whose final save could otherwise write the autostart value back.
#include <windows.h>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include "framework/uText.h"
#include "framework/uWindow.h"
#include "legacy/uKorvixOptions.h"
#include "legacy/uMessages.h"
#include "settings/uRegistry.h"
#include "shell/uStartup.h"

namespace {

TEST(StartMode, OnlyTheExactUpperCaseParameterUninstalls) {
    EXPECT_EQ(StartModeOf(L"UNINSTALL"), TStartMode::Uninstall);
    for (const wchar_t* other : {L"uninstall", L"Uninstall", L"UNINSTALL ", L"quit", L"autostart", L""})
        EXPECT_EQ(StartModeOf(other), TStartMode::Normal) << Narrow(other);
}

// A running copy on a thread of its own: its window answers as the engine does, and when
// asked to close it takes `closingMs` to end, writing the autostart value on the way out as
// the real copy's final save does when its options say so.
class RunningCopy : public TWindowBase {
public:
    explicit RunningCopy(DWORD closingMs) : closingMs_(closingMs) {
        CreateHandle({.className = L"KorvixTestRunningCopy", .title = L"Memory Engine", .style = WS_POPUP});
    }

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
            case WM_ENGINEIDENTIFY: return EngineSignature;
            case WM_ENGINECLOSE:
                ::Sleep(closingMs_);
                WriteRegString(RunKey, RunValueName, L"\"C:\\\\Korvix.exe\" autostart");
                Destroy();
                return 0;
            case WM_DESTROY: ::PostQuitMessage(0); return 0;
        }
        return DefaultProc(msg, wParam, lParam);
    }

private:
    DWORD closingMs_;
};

std::thread StartRunningCopy(DWORD closingMs, HWND& window) {
    HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread copy([closingMs, &window, ready] {
        RunningCopy engine(closingMs);
        window = engine.Handle();
        ::SetEvent(ready);
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    });
    ::WaitForSingleObject(ready, INFINITE);
    ::CloseHandle(ready);
    return copy;
}

// The old uninstall gave the running copy a fixed second; one that takes longer wrote the
// value back after it had been removed.
TEST(Uninstall, WaitsUntilTheRunningCopyHasEndedThenRemovesTheAutostartValue) {
    HWND window = nullptr;
    std::thread copy = StartRunningCopy(1500, window);
    WriteRegString(RunKey, RunValueName, L"\"C:\\\\Korvix.exe\" autostart");
    Uninstall(15000);
    EXPECT_FALSE(::IsWindow(window));
    copy.join();
    EXPECT_EQ(ReadRegString(RunKey, RunValueName, L"(none)"), L"(none)");
}

TEST(Uninstall, WithoutARunningCopyRemovesTheValueAtOnce) {
    WriteRegString(RunKey, RunValueName, L"\"C:\\\\Korvix.exe\" autostart");
    Uninstall(15000);
    EXPECT_EQ(ReadRegString(RunKey, RunValueName, L"(none)"), L"(none)");
}

TEST(Uninstall, AWaitIsBoundedByItsLimit) {
    HWND window = nullptr;
    std::thread copy = StartRunningCopy(0, window);
    EXPECT_FALSE(WaitForInstanceEnd(window, 0)) << "the copy was never asked to close";
    ::PostMessageW(window, WM_ENGINECLOSE, 0, 0);
    EXPECT_TRUE(WaitForInstanceEnd(window, 15000));
    copy.join();
    DeleteRegValue(RunKey, RunValueName);
}

// Two copies that start at the same moment: one takes the lock, the other sees it taken and
// gets it only once the first has let go (or ended), e.g. a copy that was just closing.
TEST(InstanceLock, OneHolderAtATimeAndTheNextOneOnceItLetsGo) {
    auto first = std::make_unique<TInstanceLock>();
    ASSERT_TRUE(first->TryAcquire());
    bool secondAtOnce = true, secondWhileHeld = true, secondAfterwards = false;
    HANDLE released = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread secondCopy([&] {
        TInstanceLock second;
        secondAtOnce = second.TryAcquire();
        secondWhileHeld = second.WaitAcquire(50);
        ::WaitForSingleObject(released, 5000);
        secondAfterwards = second.WaitAcquire(5000);
    });
    ::Sleep(200);
    first.reset();
    ::SetEvent(released);
    secondCopy.join();
    ::CloseHandle(released);
    EXPECT_FALSE(secondAtOnce);
    EXPECT_FALSE(secondWhileHeld);
    EXPECT_TRUE(secondAfterwards);
}

}  // namespace
