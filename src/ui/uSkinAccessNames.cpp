#include "ui/uSkinAccessNames.h"
#include "ui/uSkinNames.h"

namespace {
// A slider's label (its own static, or none) and the static that shows its value.
struct TSliderTexts {
    int32_t Slider;
    const wchar_t* Label;
    int32_t Value;
};
constexpr TSliderTexts SliderTexts[] = {
    {idManualScroll, L"manual_amount_text", idManualAmount},
    {idIntervallScroll, L"intervall_amount_text", idIntervallAmount},
    {idRegularScroll, L"regular_amount_text", idRegularAmount},
    {idRegularAdjustScroll, L"regular_adjust_text", idRegularAdjust},
    {idCriticalScroll, L"critical_amount_text", idCriticalAmount},
    {idCriticalAdjustScroll, L"critical_adjust_text", idCriticalAdjust},
    {idStartupScroll, L"startup_amount_text", idStartupAmount},
    {idStartupAdjustScroll, L"startup_adjust_text", idStartupAdjust},
    // "Allowed CPU usage: 50%": the label and the value in one text.
    {idIdleCpuScroll, nullptr, idIdleCpuText},
    {idIdleTimeScroll, nullptr, idIdleTimeText},
};

// The static that labels a check box, or a group of radio-like buttons.
struct TLabel {
    int32_t First, Last;
    const wchar_t* Label;
};
constexpr TLabel Labels[] = {
    {idRegularOnCheck, idRegularOnCheck, L"regular_on_text"},
    {idCriticalOnCheck, idCriticalOnCheck, L"critical_on_text"},
    {idStartupOnCheck, idStartupOnCheck, L"startup_on_text"},
    {idEnforceTrayIconCheck, idEnforceTrayIconCheck, L"enforce_tray_icon_text"},
    {idBackgroundOnCheck, idBackgroundOnCheck, L"background_on_text"},
    {idIdleForceCheck, idIdleForceCheck, L"idleforce_text"},
    {idMemoryTrayIconOff, idMemoryTrayIconNumber, L"memory_tray_icon_text"},
    {idCpuTrayIconOff, idCpuTrayIconNumber, L"cpu_tray_icon_text"},
    {idShowUsedMemory, idShowFreeMemory, L"show_memory_text"},
};

std::wstring TextOf(const TSkinObject& element) {
    if (!element) return {};
    switch (element.Kind()) {
        case TSkinElementKind::Static: return element.AsStatic().Text();
        case TSkinElementKind::Button: return element.AsButton().Caption();
        default: return {};
    }
}

std::wstring TextOf(const TSkinObject& root, const wchar_t* name) { return name ? TextOf(root.Find(name)) : L""; }

std::wstring WithoutColon(std::wstring text) {
    while (!text.empty() && (text.back() == L':' || text.back() == L' ')) text.pop_back();
    return text;
}

std::wstring OneLine(const std::wstring& text) {
    std::wstring line;
    for (wchar_t c : text) {
        if (c == L'\r') continue;
        line += c == L'\n' ? L' ' : c;
    }
    return line;
}

const wchar_t* LabelOf(int32_t id) {
    for (const TLabel& l : Labels)
        if (id >= l.First && id <= l.Last) return l.Label;
    return nullptr;
}
}  // namespace

std::wstring FirstSentence(const std::wstring& text) {
    std::wstring line = OneLine(text);
    size_t start = line.find_first_not_of(L' ');
    if (start == std::wstring::npos) return {};
    for (size_t i = start; i < line.size(); ++i) {
        if ((line[i] == L'.' || line[i] == L'!' || line[i] == L'?') && (i + 1 == line.size() || line[i + 1] == L' '))
            return line.substr(start, i + 1 - start);
    }
    size_t end = line.find_last_not_of(L' ');
    return line.substr(start, end + 1 - start);
}

TSkinAccessInfo MainWindowAccessInfo(const TSkinObject& root, const TSkinObject& element, const THelpTexts& help) {
    TSkinAccessInfo info;
    const int32_t id = ElementID(element.Name());
    if (id == idChart || (id >= idChartBackColor && id <= idChartLine2Color)) return info;
    auto helpText = help.find(id);
    if (helpText != help.end()) info.Description = OneLine(helpText->second);
    const std::wstring helpSentence = helpText != help.end() ? FirstSentence(helpText->second) : L"";
    const std::wstring text = TextOf(element);

    switch (element.Kind()) {
        case TSkinElementKind::Button: {
            const TSkinKind kind = ElementKind(id);
            const wchar_t* label = LabelOf(id);
            if (kind == TSkinKind::CheckBox) {
                info.Role = TSkinAccessRole::CheckBox;
                info.Name = WithoutColon(TextOf(root, label));
            } else if (kind == TSkinKind::Radio) {
                info.Role = TSkinAccessRole::RadioButton;
                std::wstring group = TextOf(root, label);
                info.Name = group.empty() ? text : group + L" " + text;
            } else {
                info.Role = TSkinAccessRole::PushButton;
                info.Name = text;
            }
            if (info.Name.empty()) info.Name = helpSentence;
            // A button the program does not know and that says nothing is decoration.
            if (info.Name.empty()) info.Role = TSkinAccessRole::None;
            return info;
        }
        case TSkinElementKind::ScrollBar: {
            info.Role = TSkinAccessRole::Slider;
            for (const TSliderTexts& s : SliderTexts) {
                if (s.Slider != id) continue;
                info.Name = WithoutColon(TextOf(root, s.Label));
                info.Value = TextOf(root.Find(ElementName(s.Value)));
                size_t colon = info.Value.find(L": ");
                if (!s.Label && colon != std::wstring::npos) {
                    info.Name = info.Value.substr(0, colon);
                    info.Value = info.Value.substr(colon + 2);
                }
            }
            if (info.Name.empty()) info.Name = helpSentence;
            return info;
        }
        case TSkinElementKind::Static:
            if (id == idStatusStatic) {
                info.Role = TSkinAccessRole::StatusBar;
                info.Name = text.empty() ? helpSentence : text;
                return info;
            }
            if (text.empty()) return info;
            info.Role = TSkinAccessRole::StaticText;
            info.Name = OneLine(text);
            return info;
        default: return info;
    }
}
