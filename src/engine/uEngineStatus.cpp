#include "uEngineStatus.h"
#include "framework/uText.h"

namespace {
const TStatusRow kStatusRows[] = {
    {TEngineState::Working, L"STATUSWORK", L"Korvix is working.", L"working (%4% done)"},
    {TEngineState::WaitingForIdle, L"STATUSIDLE", L"Korvix is waiting for idle time.",
     L"detecting idle (%1 sec, CPU %2%/%3%)"},
    {TEngineState::CountingDown, L"STATUSIDLE", L"Korvix is waiting.", L"waiting for %5 seconds (%6)."},
    {TEngineState::Monitoring, L"STATUSNORMAL", L"Korvix is monitoring your system.", L"monitoring"},
    {TEngineState::Off, L"STATUSOFF", L"Korvix", L"monitoring - no background activity"},
};
}  // namespace

TEngineState ChooseState(bool hasWorker, const TStatusValues& values, bool backgroundActivity) {
    if (hasWorker) {
        if (values.WaitingForIdle) return TEngineState::WaitingForIdle;
        if (values.PreWaiting) return TEngineState::CountingDown;
        return TEngineState::Working;
    }
    return backgroundActivity ? TEngineState::Monitoring : TEngineState::Off;
}

const TStatusRow& StatusRow(TEngineState state) {
    for (const TStatusRow& row : kStatusRows) {
        if (row.state == state) return row;
    }
    return kStatusRows[0];
}

bool StatusIconShown(TEngineState state, bool programIcon, bool cpuMonitoring, bool memoryIcon) {
    if (state != TEngineState::Monitoring && state != TEngineState::Off) return true;
    return programIcon || (!cpuMonitoring && !memoryIcon);
}

std::wstring ExpandDetailLine(const std::wstring& line, const TStatusValues& values) {
    // In this order, each at every occurrence: a value never contains a placeholder.
    const std::pair<const wchar_t*, uint32_t> placeholders[] = {
        {L"%1", values.IdleSecondsLeft}, {L"%2", values.CpuLoad},      {L"%3", values.AllowedCpu},
        {L"%4", values.PercentDone},     {L"%5", values.PreWaitTotal}, {L"%6", values.PreWaitElapsed},
    };
    std::wstring text = line;
    for (const auto& [placeholder, value] : placeholders) text = ReplaceAll(text, placeholder, std::to_wstring(value));
    return text;
}
