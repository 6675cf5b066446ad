// What each free-up achieved, and the word to the user: the reading before its block and
// the settled one after it, the balloon after a free-up the user asked for, the last
// result in the status tooltip and beside the tray menu's "Status", and the balloon that
// explains a free-up the 32-bit edition cannot start.
#include "engine/fEngineForm.h"
#include "framework/uTrace.h"
#include "legacy/uGlobals.h"
#include "legacy/uMessages.h"

void TfrmEngine::MeasureBlockStart(uint32_t percent) {
    // The worker posts 0 % right before it commits its first block.
    if (percent == 0 && meter_.AwaitsBlock()) meter_.BlockStarting(AvailPhysBytes());
}

// Runs for the newest worker's end: its number is the last one started.
void TfrmEngine::MeasureFinished() { meter_.Finished(worker_.LastStarted(), worker_.EndedOnItsOwn(), Now()); }

void TfrmEngine::CompleteMeasurement() {
    std::optional<TFreeUpResult> result = meter_.Complete(AvailPhysBytes(), Now());
    if (!result) return;
    lastResult_ = *result;
    lastResultText_ = ResultShortText(*result);
    DebugTrace(L"Free-up result: " + std::to_wstring(result->AvailBefore) + L" -> " +
               std::to_wstring(result->AvailAfter) + L" bytes available");
    ShowLastResult(IconMenu, lastResultText_);
    UpdateStatus();
    if (result->UserAsked) tray_.ShowBalloon(ProductName, ResultBalloonText(*result), NIIF_INFO);
}

// A free-up the user asked for is explained every time; an automatic one, due again on every
// tick while its condition holds, once per size.
void TfrmEngine::TellSizeLimit(const TFreeUpParams& params) {
    if (!params.UserAsked && !limitTold_.insert(params.SizeMB).second) return;
    tray_.ShowBalloon(ProductName, SizeLimitBalloonText(params.SizeMB), NIIF_WARNING);
}
