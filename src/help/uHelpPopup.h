// A popup window of our own for context help texts, for systems whose HTML Help
// library shows none: the text in the system's tooltip colours and font at the
// display's scale, its top centre at the requested point, kept on the monitor's
// work area, closed by any click, key or loss of focus.
#pragma once
#include <windows.h>
#include <string>
#include "framework/uHandles.h"
#include "framework/uWindow.h"

constexpr const wchar_t* HelpPopupClassName = L"KorvixHelpPopup";

class THelpPopup : public TWindowBase {
public:
    THelpPopup() = default;
    // Replaces a popup that is still open.
    void Show(const std::wstring& text, POINT at, HWND owner);
    void Close();
    const std::wstring& Text() const { return text_; }

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void WMPaint();
    std::wstring text_;
    UniqueFont font_;
    int dpi_ = 96;
    bool closing_ = false;  // destroying sends focus and activation messages that close again
};

// The window rectangle of a popup of `size` whose top centre is `at`, moved just as far as
// needed to lie inside `workArea`.
RECT PlaceHelpPopup(SIZE size, POINT at, const RECT& workArea);
// The dots per inch that a window of this thread is drawn with at `at`.
int HelpPopupDpi(POINT at);
