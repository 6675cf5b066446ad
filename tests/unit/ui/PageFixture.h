// A machine of 512 MB with a freshly loaded options object (first-run defaults), and
// a snapshot of every option value so a test can state exactly what an action changed.
#pragma once
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include "foundation/Fixtures.h"
#include "probes/jovCPUUsage.h"

using OptionValues = std::map<std::string, int64_t>;

inline OptionValues Snapshot(const TKorvixOptions& o) {
    return {
        {"CPUMonitoring", o.CPUMonitoring()},
        {"ChartInterval", o.ChartInterval()},
        {"Manual", o.Manual()},
        {"MemoryIcon", o.MemoryIcon()},
        {"MemoryIconStyle", o.MemoryIconStyle()},
        {"CPUIconStyle", o.CPUIconStyle()},
        {"ProgramIcon", o.ProgramIcon()},
        {"CriticalIdlePercent", o.CriticalIdlePercent()},
        {"CriticalIdleEnforce", o.CriticalIdleEnforce()},
        {"CriticalIdleSeconds", o.CriticalIdleSeconds()},
        {"CriticalFreeUpMB", o.CriticalFreeUpMB()},
        {"CriticalTriggerMB", o.CriticalTriggerMB()},
        {"Critical", o.Critical()},
        {"RegularInterval", o.RegularInterval()},
        {"RegularIdlePercent", o.RegularIdlePercent()},
        {"RegularIdleEnforce", o.RegularIdleEnforce()},
        {"RegularIdleSeconds", o.RegularIdleSeconds()},
        {"RegularFreeUpMB", o.RegularFreeUpMB()},
        {"Regular", o.Regular()},
        {"StartupIdlePercent", o.StartupIdlePercent()},
        {"StartupIdleEnforce", o.StartupIdleEnforce()},
        {"StartupIdleSeconds", o.StartupIdleSeconds()},
        {"StartupFreeUpMB", o.StartupFreeUpMB()},
        {"StartupWait", o.StartupWait()},
        {"Startup", o.Startup()},
        {"BackgroundActivity", o.BackgroundActivity()},
        {"Amount1", o.Amount1()},
        {"Amount2", o.Amount2()},
        {"Amount3", o.Amount3()},
        {"ShowUsedMemory", o.ShowUsedMemory()},
    };
}

// The values that differ between two snapshots, with their new values.
inline OptionValues Changes(const OptionValues& before, const OptionValues& after) {
    OptionValues changed;
    for (const auto& [name, value] : after) {
        if (before.at(name) != value) changed[name] = value;
    }
    return changed;
}

class PageTest : public MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        InitializeCPUUsage();
        options_ = std::make_unique<TKorvixOptions>();
    }
    void TearDown() override {
        options_.reset();
        FinalizeCPUUsage();
        MachineTest::TearDown();
    }
    TKorvixOptions& O() { return *options_; }

private:
    std::unique_ptr<TKorvixOptions> options_;
};
