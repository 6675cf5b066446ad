// A machine of a chosen memory size for the duration of a test: the global state
// is initialized from an injected memory reading, and the settings keys are cleared.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"
#include "settings/uFreeAndRunList.h"
#include "settings/uRegistry.h"

inline uint64_t g_fakeTotalBytes = 0;

inline bool FakeMemoryStatus(MemoryStatus& status) {
    status = {g_fakeTotalBytes, g_fakeTotalBytes / 2, 2 * g_fakeTotalBytes, g_fakeTotalBytes, 0x7FFE0000, 0x7FFE0000};
    return true;
}

inline void ClearSettings() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tarvendel");
    DeleteRegValue(RunKey, RunValueName);
}

class MachineTest : public testing::Test {
protected:
    void UseMachine(uint32_t totalMB) {
        FinalizeGlobals();
        g_fakeTotalBytes = uint64_t(totalMB) * 1048576;
        InitializeGlobals();
    }
    void SetUp() override {
        previous_ = SetMemoryStatusSource(&FakeMemoryStatus);
        ClearSettings();
        UseMachine(512);
    }
    void TearDown() override {
        FinalizeGlobals();
        SetMemoryStatusSource(previous_);
        ClearSettings();
    }

private:
    MemoryStatusFunc previous_ = nullptr;
};
