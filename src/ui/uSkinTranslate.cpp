#include "uSkinTranslate.h"
#include "framework/uText.h"
#include "legacy/uGlobals.h"

namespace {
constexpr TCaptionKind S = TCaptionKind::Static, B = TCaptionKind::Button;
constexpr TCaptionFill None = TCaptionFill::None;
constexpr const wchar_t* AmountText = L"Amount of memory to free-up:";
}  // namespace

const std::array<TCaptionRow, CaptionCount> CaptionTable = {{
    {L"help", B, L"Help", None},
    {L"text_manual", S, L"Manual Free-Up", None},
    {L"text_regular", S, L"Regular Activity", None},
    {L"text_critical", S, L"Critical Activity", None},
    {L"about", B, L"About", None},
    {L"text_monitor", S, L"Monitor Options", None},
    {L"text_startup", S, L"Startup Activity", None},
    {L"text_misc", S, L"Other Options", None},
    {L"manual_amount_text", S, AmountText, None},
    {L"manual_activate", B, L"Free-Up", None},
    {L"set_preset1", B, L"set", None},
    {L"set_preset2", B, L"set", None},
    {L"set_preset3", B, L"set", None},
    {L"presets_text", S, L"Presets", None},
    {L"set_hotkey1", B, L"hotkey...", None},
    {L"set_hotkey2", B, L"hotkey...", None},
    {L"set_hotkey3", B, L"hotkey...", None},
    {L"regular_amount_text", S, AmountText, None},
    {L"regular_adjust_text", S, L"Interval for regular free up:", None},
    {L"critical_amount_text", S, AmountText, None},
    {L"critical_adjust_text", S, L"Memory usage that triggers the critical free up:", None},
    {L"startup_amount_text", S, AmountText, None},
    {L"startup_adjust_text", S, L"Waiting time adjustment:", None},
    {L"startup_on_text", S, L"Start Korvix Professional automatically with Windows", None},
    {L"regular_on_text", S, L"Do regular free-ups", None},
    {L"critical_on_text", S, L"Do critical free-ups", None},
    {L"enforce_tray_icon_text", S, L"Always show program icon", None},
    {L"intervall_amount_text", S, L"Monitor refresh time:", None},
    {L"memory_tray_icon_text", S, L"Memory tray-icon:", None},
    {L"cpu_tray_icon_text", S, L"CPU tray-icon:", None},
    {L"memory_tray_icon_off", B, L"Off", None},
    {L"memory_tray_icon_chart", B, L"Chart", None},
    {L"memory_tray_icon_bar", B, L"Bar", None},
    {L"memory_tray_icon_number", B, L"Number", None},
    {L"cpu_tray_icon_off", B, L"Off", None},
    {L"cpu_tray_icon_chart", B, L"Chart", None},
    {L"cpu_tray_icon_bar", B, L"Bar", None},
    {L"cpu_tray_icon_number", B, L"Number", None},
    {L"about_program_name", S, L"Korvix Professional", None},
    {L"about_program_version", S, L"Version %1", TCaptionFill::Version},
    {L"preset1_text", S, L"Preset %1:", TCaptionFill::One},
    {L"preset2_text", S, L"Preset %1:", TCaptionFill::Two},
    {L"preset3_text", S, L"Preset %1:", TCaptionFill::Three},
    {L"idle_text", S, L"Idle Options", None},
    {L"idlecpu_text", S, L"Allowed CPU usage: %1%", None},
    {L"idleforce_text", S, L"Enforce free-up", None},
    {L"idletime_text", S, L"Idle search time: %1 s", None},
    {L"background_on_text", S, L"Allow background activity", None},
    {L"default_settings_text", S, L"Click here to adjust all settings automatically to your computer.", None},
    {L"default_settings", B, L"Restore default settings", None},
    {L"switch_skin_text", S, L"Click here if you want to switch the used Skin.", None},
    {L"switch_skin", B, L"Switch skin", None},
    {L"show_memory_text", S, L"Display mode:", None},
    {L"show_used_memory", B, L"Used memory", None},
    {L"show_free_memory", B, L"Free memory", None},
}};

std::vector<TCaption> SkinCaptions(const std::wstring& versionText) {
    std::vector<TCaption> rows;
    rows.reserve(CaptionTable.size());
    for (const TCaptionRow& row : CaptionTable) {
        std::wstring text = row.Text;
        switch (row.Fill) {
            case TCaptionFill::None: break;
            case TCaptionFill::Version: text = ReplaceAll(text, L"%1", versionText); break;
            case TCaptionFill::One: text = ReplaceAll(text, L"%1", L"1"); break;
            case TCaptionFill::Two: text = ReplaceAll(text, L"%1", L"2"); break;
            case TCaptionFill::Three: text = ReplaceAll(text, L"%1", L"3"); break;
        }
        rows.push_back({row.Name, row.Kind, std::move(text)});
    }
    return rows;
}

std::vector<TCaption> SkinCaptions() { return SkinCaptions(VersionText()); }
