// Thin wrappers of the native child controls a form shows: each creates its control with
// an ID, subclasses it, and turns the notifications the form routes to it (WM_COMMAND,
// WM_NOTIFY, WM_HSCROLL, WM_VSCROLL) into events. The wrapper owns its control window.
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>
#include "uSubclass.h"

class TControl : public TWindowSubclass {
public:
    ~TControl() override;

    int ID() const;
    // In the parent's client coordinates.
    RECT Bounds() const;
    void SetBounds(const RECT& bounds);
    bool Visible() const;
    void SetVisible(bool value);
    bool Enabled() const;
    void SetEnabled(bool value);
    void SetFocus();
    bool Focused() const;
    std::wstring Text() const;
    void SetText(const std::wstring& text);
    // The font is not owned: it must outlive the control. New controls take the parent's
    // font (WM_GETFONT), or the default GUI font.
    void SetFont(HFONT font);

    // The wrapper of one of our controls, or null for any other window.
    static TControl* FromHandle(HWND window);

protected:
    struct ControlParams {
        HWND parent;
        int id;
        const wchar_t* className;
        DWORD style;  // WS_CHILD and WS_VISIBLE are added
        DWORD exStyle = 0;
        RECT bounds{};
        const wchar_t* text = L"";
    };
    // Creates the control and subclasses it; throws EOSError when the window cannot be made.
    explicit TControl(const ControlParams& params);

    virtual void WMCommand(WORD /*code*/) {}
    virtual LRESULT WMNotify(const NMHDR& /*header*/) { return 0; }
    virtual void WMScroll(WORD /*code*/, WORD /*position*/) {}

private:
    friend class TForm;
};

class TButton : public TControl {
public:
    TButton(HWND parent, int id, const RECT& bounds, const std::wstring& caption);
    // What a click, the space bar, or (as default or cancel button) Enter or Escape does.
    std::function<void(TButton& sender)> OnClick;
    void Click();

protected:
    void WMCommand(WORD code) override;
};

class TLabel : public TControl {
public:
    // `align`: SS_LEFT, SS_CENTER or SS_RIGHT. Ampersands are shown as they are.
    TLabel(HWND parent, int id, const RECT& bounds, const std::wstring& text, DWORD align = SS_LEFT);
};

class TEdit : public TControl {
public:
    TEdit(HWND parent, int id, const RECT& bounds, const std::wstring& text = L"");
    // After every change of the text, by the user or by SetText.
    std::function<void(TEdit& sender)> OnChange;
    // When the edit loses the focus.
    std::function<void(TEdit& sender)> OnExit;
    bool ReadOnly() const;
    void SetReadOnly(bool value);

protected:
    void WMCommand(WORD code) override;
};

// A horizontal or vertical scroll bar control with a position in Min..Max. The arrows move
// by SmallChange, the track beside the thumb by the page size.
class TScrollBar : public TControl {
public:
    TScrollBar(HWND parent, int id, const RECT& bounds, bool horizontal = true);
    // When the user moves the position (not by SetPosition).
    std::function<void(TScrollBar& sender)> OnChange;
    int Min() const;
    int Max() const;
    int PageSize() const;
    void SetRange(int min, int max);
    void SetPageSize(int page);
    int Position() const;
    // Kept inside the range the thumb can reach.
    void SetPosition(int position);
    int SmallChange = 1;

protected:
    void WMScroll(WORD code, WORD position) override;

private:
    int LastPosition() const;
};

// The common controls (hotkey, list view) register their classes once comctl32 is loaded,
// which waits for the first window that has one: a program in the tray never loads it. The
// class name, after making sure it is registered.
const wchar_t* CommonControlClass(const wchar_t* className);

// The system's hotkey input control. Its value is a shortcut as the options keep it: the
// virtual key in the low byte, 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt.
class THotKey : public TControl {
public:
    THotKey(HWND parent, int id, const RECT& bounds);
    std::function<void(THotKey& sender)> OnChange;
    int32_t Value() const;
    void SetValue(int32_t shortcut);

protected:
    void WMCommand(WORD code) override;
};

// Between the shortcut format of the options and the hotkey control's word (virtual key in
// the low byte, HOTKEYF_SHIFT, HOTKEYF_CONTROL, HOTKEYF_ALT in the high byte).
WORD ShortcutToHotKeyWord(int32_t shortcut);
int32_t HotKeyWordToShortcut(WORD value);
