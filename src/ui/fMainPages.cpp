// The main window's option pages as the user reaches them: the skin's events, the clicks and
// slider movements that change options (uPageActions), the writes that show the options
// (uPageRefresh), help topics and context help.
#include "framework/uOwnMessages.h"
#include "framework/uText.h"
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"
#include "legacy/uMessages.h"
#include "ui/fAskDefaults.h"
#include "ui/fHotkey2.h"
#include "ui/fMainForm.h"
#include "ui/uKorvixSkinHelper.h"
#include "ui/uPageRefresh.h"
#include "ui/uPageRules.h"
#include "ui/uSkinNames.h"

namespace {
// The window's root carries the form's name; a click there is a click on no element.
int32_t SourceID(const TSkinObject& source) {
    if (!source || source.Kind() == TSkinElementKind::Root) return 0;
    return ElementID(source.Name());
}
}  // namespace

// ---- Skin events ----
void TfrmMain::SkinSkinEvent(const TSkinObject& source, const std::wstring& eventName) {
    int32_t id = SourceID(source);
    if (eventName == L"OnMouseDown") {
        // A new press: a click swallowed before that never came (the press was cancelled)
        // must not eat this one.
        swallowClick_ = false;
        // A click on the empty skin, or on the context help button again, leaves the mode.
        if (contextHelpMode_ && (id == 0 || id == idContextHelp)) SetContextHelpMode(false);
        return;
    }
    if (eventName != L"OnClick") return;
    if (swallowClick_) {
        swallowClick_ = false;
        return;
    }
    if (contextHelpMode_) {
        SetContextHelpMode(false);
        return;
    }
    switch (id) {
        case idManual: TogglePage(pgManual); break;
        case idRegular: TogglePage(pgRegular); break;
        case idCritical: TogglePage(pgCritical); break;
        case idStartup: TogglePage(pgStartup); break;
        case idMonitor: TogglePage(pgMonitor); break;
        case idAbout: TogglePage(pgAbout); break;
        case idMisc: TogglePage(pgMisc); break;
        case idTabClose:
        case idAboutClose: TogglePage(pgNone); break;
        case idHelp:
            if (help_.IsAvailable()) help_.ShowTopic(PageRow(currentPage_).HelpTopic);
            break;
        case idContextHelp: SetContextHelpMode(true); break;
        case idClose: Close(); break;
        case idSwitchSkin: ::PostMessageW(Handle(), WM_SWITCHSKIN, 0, OwnMessageKey()); break;
        default: OptionClick(id); break;
    }
}

void TfrmMain::OptionClick(int32_t id) {
    TClickResult result = PageClick(options_, id, currentPage_);
    switch (result.Effect) {
        case TClickEffect::FreeUpRequest: context_.Engine.RequestFreeUp(result.Value); break;
        case TClickEffect::HotkeyDialog: SetHotkeyClick(result.Value); break;
        case TClickEffect::AskDefaults: DefaultSettingsClick(); break;
        default: break;
    }
}

// The hotkey dialog, with the engine's hotkeys released while it records.
void TfrmMain::SetHotkeyClick(int preset) { RunHotkeyFlow(*this, context_, preset); }

// The ask-defaults dialog, and the defaults applied when the user says yes.
void TfrmMain::DefaultSettingsClick() { RunAskDefaultsFlow(*this, context_); }

void TfrmMain::SkinScrollTrack(const TSkinObject& source, int newPos) {
    tracking_.SkinScrollTrack(options_, SourceID(source), currentPage_, newPos);
}

void TfrmMain::SkinScroll(const TSkinObject& source, int newPos) {
    tracking_.SkinScroll(options_, SourceID(source), currentPage_, newPos);
}

// ---- Context help ----
void TfrmMain::SkinMouseDown(const TSkinObject& source) {
    if (!contextHelpMode_) return;
    int32_t id = SourceID(source);
    if (id != 0 && id != idContextHelp) ShowElementHelp(id);
    SetContextHelpMode(false);
}

void TfrmMain::SkinMouseUp(const TSkinObject& source) {
    if (contextHelpMode_) ShowElementHelp(SourceID(source));
}

void TfrmMain::SetContextHelpMode(bool on) {
    contextHelpMode_ = on;
    skin_.SetHelpMode(Handle(), on);
}

void TfrmMain::ShowElementHelp(int32_t id) {
    SetContextHelpMode(false);
    std::wstring name = ElementName(id);
    if (name.empty()) {
        help_.ShowPopupAtCursor(0);
        return;
    }
    TSkinObject element = root_ ? root_.Find(name) : TSkinObject{};
    if (!element) {
        help_.ShowPopupAtCursor(id);
        return;
    }
    // The button's own action must not run: the click that asked for help ends on it.
    if (element.Kind() == TSkinElementKind::Button) swallowClick_ = true;
    RECT r = element.Rectangle();
    POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
    ::MapWindowPoints(Handle(), nullptr, corners, 2);
    help_.ShowPopup(id, (corners[0].x + corners[1].x) / 2, corners[1].y + 10);
}

// ---- Showing the options ----
void TfrmMain::RefreshPages(uint32_t flags) {
    TPageRefresh refresh = ::RefreshPages(options_, currentPage_, flags);
    TPerformanceChart& chart = *chart_;
    if (refresh.Markers.AdjustValue) chart.SetAdjustValue(*refresh.Markers.AdjustValue);
    chart.SetShowAdjust(refresh.Markers.ShowAdjust);
    if (refresh.Markers.AdjustValue2) chart.SetAdjustValue2(*refresh.Markers.AdjustValue2);
    chart.SetShowAdjust2(refresh.Markers.ShowAdjust2);
    if (refresh.ShowFree) chart.SetShowFree(*refresh.ShowFree);
    chart.Invalidate();

    for (const TElementWrite& write : refresh.Writes) {
        switch (write.Kind) {
            case TWriteKind::SetPressed: SetPressed(root_, write.ID); continue;
            case TWriteKind::ClearPressed: ClearPressed(root_, write.ID); continue;
            case TWriteKind::SetChecked: SetChecked(root_, write.ID); continue;
            case TWriteKind::ClearChecked: ClearChecked(root_, write.ID); continue;
            default: break;
        }
        auto it = elements_.find(write.ID);
        if (it == elements_.end()) continue;
        const TSkinObject& element = it->second;
        switch (write.Kind) {
            case TWriteKind::Position: element.AsScrollBar().SetPosition(write.Position); break;
            case TWriteKind::Text:
                element.AsStatic().SetText(write.Text);
                element.Refresh();
                break;
            case TWriteKind::Caption:
                element.AsButton().SetCaption(write.Text);
                element.Refresh();
                break;
            default: break;
        }
    }
}
