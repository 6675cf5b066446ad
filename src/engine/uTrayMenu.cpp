#include "uTrayMenu.h"
#include "framework/uText.h"
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"

namespace {

// A menu row: component name, run-time caption, parent ("" for the menu itself).
struct MenuRow {
    const wchar_t* name;
    const wchar_t* caption;
    const wchar_t* parent;
};

const MenuRow kMenuRows[] = {
    {L"ShowKorvix1", L"&Show Korvix Professional", L""},
    {L"N1", L"-", L""},
    {L"FreeandRun1", L"Free and Run", L""},
    {L"mnuEditEntries", L"Manage entries...", L"FreeandRun1"},
    {L"mnuNix1", L"-", L"FreeandRun1"},
    {L"N5", L"-", L""},
    {L"Backgroundactivity1", L"Background activity", L""},
    {L"N4", L"-", L""},
    {L"Status1", L"S&tatus", L""},
    {L"MemoryMonitor1", L"&Memory Monitor", L""},
    {L"Chart1", L"Chart", L"MemoryMonitor1"},
    {L"Numeric1", L"Number", L"MemoryMonitor1"},
    {L"Bar1", L"Bar", L"MemoryMonitor1"},
    {L"Off1", L"Off", L"MemoryMonitor1"},
    {L"CPUMonitor1", L"&CPU Monitor", L""},
    {L"Chart2", L"Chart", L"CPUMonitor1"},
    {L"Numeric2", L"Number", L"CPUMonitor1"},
    {L"Bar2", L"Bar", L"CPUMonitor1"},
    {L"Off2", L"Off", L"CPUMonitor1"},
    {L"N2", L"-", L""},
    {L"Freeup11", L"Free up %1", L""},
    {L"Freeup21", L"Free up %1", L""},
    {L"Freeup31", L"Free up %1", L""},
    {L"N3", L"-", L""},
    {L"Exit1", L"&Exit Korvix Professional", L""},
};

const wchar_t* const kMemoryStyles[] = {L"Chart1", L"Numeric1", L"Bar1"};
const wchar_t* const kCpuStyles[] = {L"Chart2", L"Numeric2", L"Bar2"};
const wchar_t* const kPresets[] = {L"Freeup11", L"Freeup21", L"Freeup31"};

TMenuItem& Item(TPopupMenu& menu, const wchar_t* name) { return *menu.Items.Find(name); }

void OnClick(TPopupMenu& menu, const wchar_t* name, std::function<void()> action) {
    Item(menu, name).OnClick = [action = std::move(action)](TMenuItem&) {
        if (action) action();
    };
}

void RebuildFreeAndRun(TPopupMenu& menu, TKorvixOptions& options, const TTrayMenuActions& actions) {
    TMenuItem& parent = Item(menu, L"FreeandRun1");
    // Newest first, keeping the two fixed items whose tags are -1.
    for (int i = parent.Count() - 1; i >= 0; --i) {
        if (parent.Items(i).Tag >= 0) parent.Delete(i);
    }
    const TFreeAndRunList& list = options.FreeAndRunList();
    Item(menu, L"mnuNix1").Visible = list.Count() > 0;
    for (int i = 0; i < list.Count(); ++i) {
        TMenuItem* entry = parent.Add(L"", list.Items(i).DisplayName());
        entry->Tag = list.Items(i).ID;
        entry->OnClick = [action = actions.FreeAndRun](TMenuItem& sender) {
            if (action) action(sender.Tag);
        };
    }
}

}  // namespace

void CreateIconMenu(TPopupMenu& menu, TKorvixOptions& options, const TTrayMenuActions& actions) {
    for (const MenuRow& row : kMenuRows) {
        TMenuItem* parent = *row.parent ? menu.Items.Find(row.parent) : &menu.Items;
        parent->Add(row.name, row.caption);
    }
    Item(menu, L"ShowKorvix1").Default = true;
    Item(menu, L"mnuEditEntries").Tag = -1;
    Item(menu, L"mnuNix1").Tag = -1;
    Item(menu, L"mnuNix1").Visible = false;

    OnClick(menu, L"ShowKorvix1", actions.ShowMainWindow);
    OnClick(menu, L"mnuEditEntries", actions.ManageEntries);
    OnClick(menu, L"Exit1", actions.Exit);
    TKorvixOptions* o = &options;
    OnClick(menu, L"Backgroundactivity1", [o] { o->SetBackgroundActivity(!o->BackgroundActivity()); });
    OnClick(menu, L"Status1", [o] { o->SetProgramIcon(!o->ProgramIcon()); });
    for (int style = 1; style <= 3; ++style) {
        OnClick(menu, kMemoryStyles[style - 1], [o, style] {
            o->SetMemoryIconStyle(style);
            o->SetMemoryIcon(true);
        });
        OnClick(menu, kCpuStyles[style - 1], [o, style] {
            o->SetCPUIconStyle(style);
            o->SetCPUMonitoring(true);
        });
    }
    OnClick(menu, L"Off1", [o] { o->SetMemoryIcon(false); });
    OnClick(menu, L"Off2", [o] { o->SetCPUMonitoring(false); });
    for (int preset = 1; preset <= 3; ++preset) {
        OnClick(menu, kPresets[preset - 1], [action = actions.FreeUpPreset, preset] {
            if (action) action(preset);
        });
    }
}

void RefreshIconMenu(TPopupMenu& menu, TKorvixOptions& options, uint32_t flags, const TTrayMenuActions& actions) {
    if (flags & ocDisplay) {
        const bool memory = options.MemoryIcon();
        const bool cpu = options.CPUMonitoring();
        for (int style = 1; style <= 3; ++style) {
            Item(menu, kMemoryStyles[style - 1]).Checked = memory && options.MemoryIconStyle() == style;
            Item(menu, kCpuStyles[style - 1]).Checked = cpu && options.CPUIconStyle() == style;
        }
        Item(menu, L"Off1").Checked = !memory;
        Item(menu, L"Off2").Checked = !cpu;
        Item(menu, L"Status1").Checked = options.ProgramIcon();
        Item(menu, L"Status1").Enabled = cpu || memory;
        Item(menu, L"Backgroundactivity1").Checked = options.BackgroundActivity();
    }
    for (int preset = 1; preset <= 3; ++preset) {
        TMenuItem& item = Item(menu, kPresets[preset - 1]);
        item.Caption = ReplaceAll(L"Free up %1", L"%1", FormatFreeAmount(static_cast<int32_t>(options.Amount(preset))));
        item.ShortCutText = ShortCutToText(options.Hotkey(preset));
    }
    if (flags & ocFreeAndRun) RebuildFreeAndRun(menu, options, actions);
}

void ShowLastResult(TPopupMenu& menu, const std::wstring& text) { Item(menu, L"Status1").ShortCutText = text; }
