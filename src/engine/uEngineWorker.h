// The engine's free-up worker: the one TFreeThread that may exist, the status values its
// messages report, and the handling of those messages. The engine window forwards the
// worker messages here and hears back through the events.
//
// The end messages carry no identity of the worker that posted them. Every worker is
// waited for before its successor starts, and its messages still queued then are handled
// first (DispatchQueued), so a successor is never stopped or waited for because of its
// predecessor's end, and every worker message handled belongs to the newest worker started.
//
// Any process on the desktop can post the same numbers to "Memory Engine" (a broadcast
// reaches it too). The end, the finish and a failed release are therefore acted on only
// when a worker of ours has marked them itself (TFreeThread::PostedEnded and the others),
// the engine never waits for a worker that has not said it ended, and the progress reports
// count only while a worker runs.
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include "engine/uEngineSchedule.h"
#include "engine/uEngineStatus.h"
#include "engine/uFreeThread.h"
#include "framework/uWindow.h"

class TEngineWorker {
public:
    struct Events {
        std::function<void()> StatusChanged;                 // a value of the status changed
        std::function<void(uint32_t percent)> Progress;      // WM_FREEUPPROGRESS
        std::function<void()> Finished;                      // WM_FREEUPFINISHED, the worker freed
        std::function<void(DWORD errorCode)> ReleaseFailed;  // WM_FREEUPFATAL
    };

    // `window` receives the worker's messages; it may get its handle later.
    TEngineWorker(const TWindowBase& window, Events events);
    ~TEngineWorker();
    TEngineWorker(const TEngineWorker&) = delete;
    TEngineWorker& operator=(const TEngineWorker&) = delete;

    // Stops a running worker (its queued messages are handled), then starts one with the
    // parameters when `start` holds; the status shows the allowed percent against full load
    // either way. Answers whether a worker was started.
    bool Start(const TFreeUpParams& params, bool start);
    // Terminate, WaitFor and free the running worker, if any.
    void Stop();
    // Handles the worker messages still queued for the window.
    void DispatchQueued();
    // True when `msg` is a worker message (it has been handled then).
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    const TFreeThread* Current() const noexcept { return worker_.get(); }
    // Counts the workers started; the number of the newest one.
    uint64_t LastStarted() const noexcept { return started_; }
    const TStatusValues& Values() const noexcept { return values_; }
    // The newest worker ran to its end by itself (it was not stopped); read on Finished.
    bool EndedOnItsOwn() const noexcept { return endedOnItsOwn_; }

private:
    void Free();
    void Changed();
    void WMFreeUpPreWait(uint32_t elapsed, uint32_t total);
    void WMFreeUpCpuLoad(uint32_t load, uint32_t allowed);
    void WMFreeUpIdleWait(uint32_t secondsLeft);
    void WMFreeUpProgress(uint32_t percent);
    void WMFreeUpFatal();
    void WMFreeUpEnded();
    void WMFreeUpFinished();

    const TWindowBase& window_;
    Events events_;
    std::unique_ptr<TFreeThread> worker_;
    TStatusValues values_;
    uint64_t started_ = 0;
    // Finishes that workers of ours posted and that were freed before their message came.
    uint64_t finishesOwed_ = 0;
    // A failed release of a worker freed before its message came; told once at most.
    std::optional<DWORD> releaseFailureOwed_;
    bool releaseFailureTold_ = false;
    bool endedOnItsOwn_ = false;
};
