#include "uEngineWorker.h"
#include <algorithm>
#include "framework/uTrace.h"
#include "legacy/uMessages.h"

namespace {
// In the order a worker posts them.
constexpr UINT kWorkerMessages[] = {WM_FREEUPPREWAIT, WM_FREEUPCPULOAD, WM_FREEUPIDLEWAIT, WM_FREEUPPROGRESS,
                                    WM_FREEUPFATAL,   WM_FREEUPENDED,   WM_FREEUPFINISHED, WM_FREEUPERROR};
}  // namespace

TEngineWorker::TEngineWorker(const TWindowBase& window, Events events) : window_(window), events_(std::move(events)) {}

TEngineWorker::~TEngineWorker() { Stop(); }

bool TEngineWorker::Start(const TFreeUpParams& params, bool start) {
    Stop();
    DispatchQueued();
    if (start) {
        values_.WaitingForIdle = false;
        values_.PreWaiting = false;
        auto worker = std::make_unique<TFreeThread>();
        worker->Window = window_.Handle();
        worker->WaitForIdle = params.IdleWait;
        worker->IdleSeconds = params.IdleSeconds;
        worker->AllowedCpu = params.AllowedPercent;
        worker->Enforce = params.Enforce;
        worker->BlockSize = static_cast<TBlockOffset>(params.SizeMB) * 1048576;
        worker->Passes = params.Passes;
        worker->PreWaitSeconds = params.CountdownSeconds;
        worker_ = std::move(worker);
        ++started_;
        endedOnItsOwn_ = false;
        worker_->Resume();
    }
    values_.AllowedCpu = static_cast<uint32_t>(params.AllowedPercent);
    values_.CpuLoad = 100;
    Changed();
    return start;
}

void TEngineWorker::Stop() {
    if (!worker_) return;
    worker_->Terminate();
    Free();
}

// Worker failures are not shown to the user; the debugger output keeps their text. What the
// worker posted and has not been handled yet is remembered, so its messages still count
// once it is gone.
void TEngineWorker::Free() {
    worker_->WaitFor();
    if (const auto& error = worker_->Error()) DebugTrace(error->ErrorClass + L": " + error->ErrorMessage);
    if (worker_->PostedFinished()) ++finishesOwed_;
    if (auto failure = worker_->ReleaseFailure(); failure && !releaseFailureOwed_) releaseFailureOwed_ = failure;
    worker_.reset();
}

void TEngineWorker::DispatchQueued() {
    MSG msg;
    for (UINT id : kWorkerMessages) {
        while (::PeekMessageW(&msg, window_.Handle(), id, id, PM_REMOVE))
            HandleMessage(msg.message, msg.wParam, msg.lParam);
    }
}

bool TEngineWorker::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Reports of a worker that no longer runs change nothing (a stopped worker's queued
    // ones, or another process's); a percentage is never above 100.
    if ((msg == WM_FREEUPPREWAIT || msg == WM_FREEUPCPULOAD || msg == WM_FREEUPIDLEWAIT || msg == WM_FREEUPPROGRESS) &&
        !worker_)
        return true;
    switch (msg) {
        case WM_FREEUPPREWAIT:
            WMFreeUpPreWait(static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam));
            return true;
        case WM_FREEUPCPULOAD:
            WMFreeUpCpuLoad(static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam));
            return true;
        case WM_FREEUPIDLEWAIT: WMFreeUpIdleWait(static_cast<uint32_t>(wParam)); return true;
        case WM_FREEUPPROGRESS: WMFreeUpProgress(static_cast<uint32_t>(std::min<WPARAM>(wParam, 100))); return true;
        case WM_FREEUPFATAL: WMFreeUpFatal(); return true;
        case WM_FREEUPENDED: WMFreeUpEnded(); return true;
        case WM_FREEUPFINISHED: WMFreeUpFinished(); return true;
        // The record stays with the worker, which traces it when it is freed; the message's
        // lParam is never followed.
        case WM_FREEUPERROR: return true;
    }
    return false;
}

void TEngineWorker::Changed() {
    if (events_.StatusChanged) events_.StatusChanged();
}

void TEngineWorker::WMFreeUpPreWait(uint32_t elapsed, uint32_t total) {
    values_.PreWaiting = true;
    values_.WaitingForIdle = false;
    values_.PreWaitTotal = total;
    values_.PreWaitElapsed = elapsed;
    Changed();
}

void TEngineWorker::WMFreeUpCpuLoad(uint32_t load, uint32_t allowed) {
    values_.CpuLoad = load;
    values_.AllowedCpu = allowed;
    Changed();
}

void TEngineWorker::WMFreeUpIdleWait(uint32_t secondsLeft) {
    values_.WaitingForIdle = true;
    values_.PreWaiting = false;
    values_.IdleSecondsLeft = secondsLeft;
    Changed();
}

void TEngineWorker::WMFreeUpProgress(uint32_t percent) {
    values_.WaitingForIdle = false;
    values_.PreWaiting = false;
    values_.PercentDone = percent;
    Changed();
    if (events_.Progress) events_.Progress(percent);
}

// The code is the one the worker recorded, not the message's.
void TEngineWorker::WMFreeUpFatal() {
    std::optional<DWORD> code = worker_ ? worker_->ReleaseFailure() : std::nullopt;
    if (!code) code = releaseFailureOwed_;
    if (!code || releaseFailureTold_) return;
    releaseFailureTold_ = true;
    releaseFailureOwed_.reset();
    if (events_.ReleaseFailed) events_.ReleaseFailed(*code);
}

// The worker has said it ends, so the wait is over in moments.
void TEngineWorker::WMFreeUpEnded() {
    if (!worker_ || !worker_->PostedEnded()) return;
    endedOnItsOwn_ = true;
    Free();
}

void TEngineWorker::WMFreeUpFinished() {
    if (worker_ && worker_->PostedFinished()) Free();
    if (finishesOwed_ == 0) return;
    --finishesOwed_;
    if (events_.Finished) events_.Finished();
}
