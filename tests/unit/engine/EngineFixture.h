// A real engine window on the test thread with the options of a 1024 MB machine,
// every free-up amount a few megabytes, and the heartbeat left to the test: the
// timer stays enabled (the engine only follows options while it is) but its period
// is too long to fire, and tests call TimerTimer themselves.
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

// The engine as the application owns it: created and destroyed through the application.
class EngineOwner {
public:
    void create() { engine_ = Application.CreateForm<RecordingEngine>(); }
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
        CreateEngine();
    }

    void TearDown() override {
        engine.reset();
        Application.Shutdown();
        PumpMessages();
        FinalizeOptions();
        FinalizeGlobals();
    }

    void CreateEngine() {
        engine.create();
        engine->Timer.SetInterval(USER_TIMER_MAXIMUM);
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
    }

    fakes::Installed fakes_;
    EngineOwner engine;
};
