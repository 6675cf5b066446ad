// Helpers of the skin tests: skins written to temporary files, a plain top-level window to
// skin, and a recorder of the engine's events.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "framework/uWindow.h"
#include "skin/uSkin.h"

// Writes `text` to a fresh temporary .skn file and returns its path; removed at exit.
std::wstring WriteSkin(const std::string& text);
std::wstring TestSkinPath();  // the assembled test skin (skins/test)
std::wstring FixturePath(const wchar_t* name);

// A small skin of vector sections only, form "Mini" (see SkinTestSupport.cpp).
extern const char* const MiniSkin;
// MiniSkin with a dialog style that also draws the default button, list selections and
// scroll bars.
std::string RichDialogSkin();

class HostWindow : public TWindowBase {
public:
    explicit HostWindow(DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE, int width = 320, int height = 240);
};

// Every event of a TSkin as a line of text, in order.
struct EventLog {
    explicit EventLog(TSkin& skin);
    std::vector<std::string> lines;
    std::vector<std::string> Take();
};

std::string Narrow8(const std::wstring& text);
// Sends a mouse message at client point (x, y) of `window`.
void Mouse(HWND window, UINT msg, int x, int y);
void Key(HWND window, UINT key);
// The colour of a client pixel as the screen shows it (after painting).
COLORREF ScreenPixel(HWND window, int x, int y);

// A PNG (8-bit RGBA) of `width` x `height` whose zlib stream inflates to `inflated` zero bytes
// (run-length coded, about 1:160): with `inflated` the picture's own size, a transparent
// picture; with more, a decompression bomb of that size behind a small declared picture.
std::vector<uint8_t> ZeroPng(int width, int height, size_t inflated);
// An `image NAME 1x W H crc32 ...` block of the skin format holding `png`.
std::string ImageBlock(const std::string& name, int width, int height, const std::vector<uint8_t>& png);
// Peak memory of this process in bytes: the most it committed so far (under Wine, which does
// not keep that figure, the most it had resident).
size_t PeakPrivateBytes();
