// The borderless splash of a Free-and-Run launch: which program is being launched
// and how far the free-up before it has come. It has no behaviour of its own.
#pragma once
#include <windows.h>
#include <string>
#include "framework/uForm.h"
#include "framework/uHandles.h"

class TFreeAndRunItem;

class TfrmFARLaunch : public TForm {
public:
    static constexpr int ClientWidth = 322;
    static constexpr int ClientHeight = 83;

    // The entry being launched; owned by the Free-and-Run list, not by the splash.
    TFreeAndRunItem* Entry = nullptr;
    // Its program, kept here so the launch survives the entry being edited or removed meanwhile.
    std::wstring FileToRun;

    const std::wstring& LaunchingText() const noexcept { return launching_; }
    const std::wstring& StatusText() const noexcept { return status_; }
    void SetLaunchingText(const std::wstring& text);
    void SetStatusText(const std::wstring& text);
    // Paints pending changes now, before a call that blocks the message loop.
    void RepaintNow();

    // Draws the whole splash into a device context of the client size.
    void PaintTo(HDC dc) const;

protected:
    CreateParams FormParams() override;
    void FormCreate() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Invalidate();

    std::wstring launching_;
    std::wstring status_;
    UniqueFont boldFont_;
    UniqueFont plainFont_;
};
