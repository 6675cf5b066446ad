#include "uSkinNames.h"

namespace {
constexpr TSkinKind F = TSkinKind::Form, P = TSkinKind::Place, S = TSkinKind::Static, B = TSkinKind::Button,
                    K = TSkinKind::CheckBox, R = TSkinKind::Radio, L = TSkinKind::ScrollBar, A = TSkinKind::Animation,
                    C = TSkinKind::ColorCarrier;
}  // namespace

const std::array<TSkinID, SkinIDCount> SkinIDs = {{
    {L"Korvix", 1, F},
    {L"chart", 101, P},
    {L"StatusStatic", 102, S},
    // Page and window buttons; `about` has no pressed look but is a button all the same.
    {L"manual", 103, B},
    {L"regular", 104, B},
    {L"critical", 105, B},
    {L"monitor", 106, B},
    {L"startup", 107, B},
    {L"misc", 113, B},
    {L"about", 108, B},
    {L"help", 109, B},
    {L"contexthelp", 110, B},
    {L"close", 111, B},
    {L"tab_close", 114, B},
    {L"header", 112, S},
    {L"manual_hide", 201, A},
    {L"critical_hide", 202, A},
    {L"regular_hide", 203, A},
    {L"startup_hide", 204, A},
    {L"monitor_hide", 205, A},
    {L"about_hide", 206, A},
    {L"manual_show", 207, A},
    {L"critical_show", 208, A},
    {L"regular_show", 209, A},
    {L"startup_show", 210, A},
    {L"monitor_show", 211, A},
    {L"about_show", 212, A},
    {L"misc_show", 213, A},
    {L"misc_hide", 214, A},
    {L"idle_show", 215, A},
    {L"idle_hide", 216, A},
    {L"manual_scroll", 301, L},
    {L"manual_amount", 302, S},
    {L"manual_activate", 303, B},
    {L"chart_backcolor", 401, C},
    {L"chart_forecolor", 402, C},
    {L"chart_cpucolor", 403, C},
    {L"chart_linecolor", 404, C},
    {L"chart_fontcolor", 405, C},
    {L"chart_line2color", 406, C},
    {L"switch_skin", 501, B},
    {L"preset1", 601, S},
    {L"preset2", 602, S},
    {L"preset3", 603, S},
    {L"set_preset1", 604, B},
    {L"set_preset2", 605, B},
    {L"set_preset3", 606, B},
    {L"set_hotkey1", 607, B},
    {L"set_hotkey2", 608, B},
    {L"set_hotkey3", 609, B},
    {L"set_value1", 610, B},
    {L"set_value2", 611, B},
    {L"set_value3", 612, B},
    {L"preset1_text", 613, S},
    {L"preset2_text", 614, S},
    {L"preset3_text", 615, S},
    {L"intervall_scroll", 701, L},
    {L"intervall_amount", 702, S},
    {L"regular_scroll", 801, L},
    {L"regular_adjust_scroll", 802, L},
    {L"regular_amount", 803, S},
    {L"regular_adjust", 804, S},
    {L"regular_on_check", 805, K},
    {L"next_regular_text", 806, S},
    {L"critical_scroll", 901, L},
    {L"critical_amount", 902, S},
    {L"critical_adjust_scroll", 903, L},
    {L"critical_adjust", 904, S},
    {L"critical_on_check", 905, K},
    {L"startup_scroll", 1001, L},
    {L"startup_amount", 1002, S},
    {L"startup_adjust_scroll", 1003, L},
    {L"startup_adjust", 1004, S},
    {L"startup_on_check", 1005, K},
    {L"memory_tray_icon_off", 1101, R},
    {L"memory_tray_icon_bar", 1102, R},
    {L"memory_tray_icon_chart", 1103, R},
    {L"memory_tray_icon_number", 1104, R},
    {L"cpu_tray_icon_off", 1105, R},
    {L"cpu_tray_icon_bar", 1106, R},
    {L"cpu_tray_icon_chart", 1107, R},
    {L"cpu_tray_icon_number", 1108, R},
    {L"enforce_tray_icon_check", 1109, K},
    {L"show_used_memory", 1110, R},
    {L"show_free_memory", 1111, R},
    {L"about_image", 1201, S},
    {L"about_program_name", 1202, S},
    {L"about_program_version", 1203, S},
    {L"about_close", 1204, B},
    {L"background_on_check", 1301, K},
    {L"default_settings", 1302, B},
    {L"idlecpu_scroll", 1401, L},
    {L"idletime_scroll", 1402, L},
    {L"idlecpu_text", 1403, S},
    {L"idletime_text", 1404, S},
    {L"idleforce_check", 1405, K},
    {L"", 0, TSkinKind::None},
}};

std::wstring ElementName(int32_t id) {
    for (const TSkinID& row : SkinIDs) {
        if (row.ID == id) return row.Name;
    }
    return {};
}

int32_t ElementID(const std::wstring& name) {
    for (const TSkinID& row : SkinIDs) {
        if (name == row.Name) return row.ID;
    }
    return 0;
}

TSkinKind ElementKind(int32_t id) {
    for (const TSkinID& row : SkinIDs) {
        if (row.ID == id) return row.Kind;
    }
    return TSkinKind::None;
}

TSkinInterface SkinInterfaceOf(TSkinKind kind) {
    switch (kind) {
        case TSkinKind::Form: return TSkinInterface::Form;
        case TSkinKind::Place: return TSkinInterface::Any;
        case TSkinKind::Static:
        case TSkinKind::ColorCarrier: return TSkinInterface::Static;
        case TSkinKind::Button:
        case TSkinKind::CheckBox:
        case TSkinKind::Radio: return TSkinInterface::Button;
        case TSkinKind::ScrollBar: return TSkinInterface::ScrollBar;
        case TSkinKind::Animation: return TSkinInterface::Animation;
        case TSkinKind::None: break;
    }
    return TSkinInterface::None;
}

wchar_t KindLetter(TSkinKind kind) {
    constexpr wchar_t letters[] = L"-FPSBKRLAC";
    return letters[static_cast<int>(kind)];
}
