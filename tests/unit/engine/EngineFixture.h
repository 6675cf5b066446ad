// A real engine window on the test thread with the options of a 1024 MB machine, every
// free-up amount a few megabytes, the windows above the engine faked, and time left to the
// test: the heartbeat's period is too long to fire (tests call TimerTimer themselves), and
// a worker's one-second waits last until the test releases them or stops the worker.
#pragma once
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include "EngineFakes.h"
#include "engine/fEngineForm.h"
#include "framework/uApplication.h"
#include "framework/uText.h"
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"
#include "legacy/uMessages.h"
#include "settings/uFreeAndRunList.h"
#include "settings/uRegistry.h"
#include "support/TestSupport.h"

using Messages = std::vector<RecordedMessage>;

inline RecordedMessage Msg(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) { return {msg, wParam, lParam}; }

inline int Count(const Messages& messages, UINT msg, WPARAM wParam) {
    return static_cast<int>(
        std::count_if(messages.begin(), messages.end(), [&](auto& m) { return m.msg == msg && m.wParam == wParam; }));
}
inline int Count(const Messages& messages, UINT msg) {
    return static_cast<int>(std::count_if(messages.begin(), messages.end(), [&](auto& m) { return m.msg == msg; }));
}

// Records what the engine's window procedure receives, then handles it as usual.
class RecordingEngine : public TfrmEngine {
public:
    using TfrmEngine::TfrmEngine;
    Messages Handled;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg >= WM_USER && msg < 0x8000) Handled.push_back({msg, wParam, lParam});
        return TfrmEngine::WndProc(msg, wParam, lParam);
    }
};

// Stands in for the start-up form: the application's main form, created before the engine.
class StandInMainForm : public TForm {
protected:
    CreateParams FormParams() override { return {.className = L"KorvixTestMainForm"}; }
};

// Stands for the start-up form, which the engine closes to end the program.
class LaunchFormStandIn : public TWindowBase {
public:
    LaunchFormStandIn() { CreateHandle({.className = L"KorvixTestLaunchForm", .style = WS_POPUP}); }
    int Closes = 0;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg != WM_CLOSE) return DefaultProc(msg, wParam, lParam);
        ++Closes;
        return 0;
    }
};

// The engine as the application owns it: created and destroyed through the application.
class EngineOwner {
public:
    void create(TKorvixOptions& options, IEngineWindows& windows, UINT heartbeatMs) {
        engine_ = Application.CreateForm<RecordingEngine>(options, windows, heartbeatMs);
    }
    void reset() {
        if (engine_) Application.DestroyForm(engine_);
        engine_ = nullptr;
    }
    RecordingEngine* operator->() const { return engine_; }
    RecordingEngine& operator*() const { return *engine_; }
    RecordingEngine* get() const { return engine_; }
    explicit operator bool() const { return engine_ != nullptr; }

private:
    RecordingEngine* engine_ = nullptr;
};

class EngineTest : public testing::Test {
protected:
    static constexpr int32_t T = 1024;

    void SetUp() override {
        try {
            SetUpEngine();
        } catch (const Exception& e) {
            FAIL() << Narrow(std::wstring(e.ClassName()) + L": " + e.Message());
        }
    }

    void SetUpEngine() {
        DeleteRegKey(OptionsKey);
        InitializeGlobals();
        ASSERT_EQ(TotalPhysMB, T);
        InitializeOptions();
        Application.Initialize();
        Application.CreateForm<StandInMainForm>();
        Options->SetAmount1(T - 4);
        Options->SetAmount2(T - 8);
        Options->SetAmount3(T - 12);
        Options->SetRegularFreeUpMB(T - 4);
        Options->SetStartupFreeUpMB(T - 4);
        Options->SetCriticalFreeUpMB(T - 8);
        Options->SetCriticalTriggerMB(T - 8);
        fakes::Waits::Hold();
        CreateEngine();
    }

    void TearDown() override {
        engine.reset();
        Application.Shutdown();
        PumpMessages();
        FinalizeOptions();
        FinalizeGlobals();
    }

    void CreateEngine(UINT heartbeatMs = USER_TIMER_MAXIMUM) {
        engine.create(*Options, windows, heartbeatMs);
        // The options' first announcement schedules the regular free-up.
        ASSERT_TRUE(PumpUntil([&] { return engine->LastRegularInterval() != 0; }));
        PumpMessages();
        engine->Handled.clear();
    }

    bool PumpUntilIdle(DWORD timeoutMs = 20000) {
        return PumpUntil([&] { return engine->Worker() == nullptr; }, timeoutMs);
    }

    // A worker that waits for an idle processor that never comes.
    void StartWaitingWorker() {
        fakes::Cpu::Set({1.0});
        engine->StartFreeUp({.SizeMB = 4, .IdleWait = true, .IdleSeconds = 60, .AllowedPercent = 25, .Passes = 1});
        ASSERT_NE(engine->Worker(), nullptr);
        // Until the thread runs, a stop would end it before its first line, and it would post
        // nothing (not even its end); on a loaded machine that comes late. Its messages stay
        // queued: nothing is pumped here.
        for (int i = 0; i < 2000 && fakes::Waits::started == 0; ++i) ::Sleep(5);
        ASSERT_GT(fakes::Waits::started, 0) << "the worker never reached its idle wait";
    }

    // A file the launch can start; only its path reaches the (recorded) shell.
    TFreeAndRunItem& AddEntry(const std::wstring& file, int32_t position) {
        auto item = std::make_unique<TFreeAndRunItem>();
        item->FileToRun = file;
        item->MBToFree = position;
        TFreeAndRunItem& entry = *item;
        Options->AddFreeAndRun(std::move(item));
        PumpMessages();
        return entry;
    }

    fakes::Installed fakes_;
    fakes::Windows windows;
    EngineOwner engine;
};
