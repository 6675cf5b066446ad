// What a .skn file says, after parsing and checking: fonts, sections, decoded images, forms
// with their element trees and animations, the dialog style. Immutable once loaded; each
// skinned window keeps its own changeable copy of the element values. No Windows headers.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>
#include "skin/uSkinTypes.h"

// Design units: 1 unit is one pixel at 96 DPI.
struct SkinRect {
    int x = 0, y = 0, w = 0, h = 0;
};

struct SkinFont {
    std::wstring name;
    std::wstring face;
    int points = 9;
    bool bold = false;
    bool italic = false;
    int line = 0;
};

enum class SkinFill { None, Solid, VGrad, HGrad };

// A named look: a rectangle of an image (9-grid optional), or a vector fill.
struct SkinSection {
    std::wstring name;
    int line = 0;
    bool isImage = false;
    std::wstring imageName;
    int image = -1;
    SkinRect source;             // in the 1x variant's pixels
    int grid[4] = {0, 0, 0, 0};  // left, top, right, bottom margins that do not stretch
    bool tile = false;
    SkinFill fill = SkinFill::None;
    TSkinColor color1, color2;
    int radius = 0;
    int borderWidth = 0;
    TSkinColor borderColor;
};

// Premultiplied BGRA pixels, rows top-down.
struct SkinBitmap {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
};

struct SkinImage {
    std::wstring name;
    int line = 0;
    SkinBitmap x1;
    SkinBitmap x2;  // empty when the skin carries no 2x variant
};

struct SkinAnimation {
    std::wstring name;
    int line = 0;
    std::vector<SkinFrameRecord> frames;
};

enum class SkinAlign { Near, Center, Far };

struct SkinElement {
    TSkinElementKind kind = TSkinElementKind::Static;
    std::wstring name;  // empty for anonymous decoration
    int line = 0;
    int parent = -1;
    std::vector<int> children;
    SkinRect rect;  // relative to the form
    bool hidden = false;
    bool drag = false;  // a caption area: dragging it moves the window
    std::vector<SkinAnimation> animations;
    // static, image, group, root
    std::wstring section;
    // static and button
    std::wstring text;
    int font = -1;
    SkinAlign align = SkinAlign::Near;
    SkinAlign valign = SkinAlign::Center;
    bool wrap = false;
    bool hasColor = false;
    TSkinColor color;
    // button: normal, hot, pushed
    SkinButtonState states[3];
    // scroll bar
    bool vertical = false;
    std::wstring track, thumb, arrowPrev, arrowNext;
    int min = 0, max = 100, page = 10, step = 1, position = 0;
};

struct SkinForm {
    std::wstring name;
    int line = 0;
    int width = 0, height = 0;
    TSkinColor color;
    bool ownFrame = false;
    int corners = 0;
    TSkinColor focus = SkinColorFromRGB(0, 120, 215);
    std::vector<SkinElement> elements;  // [0] is the root; parents come before children
};

// The looks of a dialog's push buttons; "default" is the button Enter presses when no other one has the focus.
enum SkinDialogLook { sdNormal, sdHot, sdPushed, sdDisabled, sdFocused, sdDefault, sdLookCount };

struct SkinDialogStyle {
    bool present = false;
    int line = 0;
    TSkinColor color = SkinColorFromRGB(240, 240, 240);
    std::wstring background;
    int font = -1;
    TSkinColor text;
    TSkinColor focus = SkinColorFromRGB(0, 120, 215);
    SkinButtonState button[sdLookCount];
    bool hasEdit = false, hasList = false, hasEditBorder = false, hasListSelection = false;
    TSkinColor editText, editBack, editBorder, listText, listBack, listSelText, listSelBack;
    // Native scroll bar controls: the track (arrows included) and the thumb, plain and lit.
    bool hasScrollBar = false;
    std::wstring scrollTrack, scrollThumb, scrollThumbHot;
};

struct SkinModel {
    std::wstring name;
    std::vector<SkinFont> fonts;
    std::vector<SkinSection> sections;
    std::unordered_map<std::wstring, int> sectionIndex;
    std::vector<SkinImage> images;
    std::vector<SkinForm> forms;
    SkinDialogStyle dialog;

    const SkinForm* FindForm(const std::wstring& name) const;
    // The section of that name; a missing name ending in "_pressed" or "_checked" drops that
    // suffix and tries again. Null when nothing matches.
    const SkinSection* ResolveSection(const std::wstring& name) const;
};

// Limits every loaded file stays within; a file beyond one is refused with its line.
namespace SkinLimits {
constexpr size_t FileBytes = 16u << 20;
constexpr int NameChars = 64;
constexpr int TextChars = 4096;
constexpr int Depth = 16;
constexpr int Elements = 16384;
constexpr int Sections = 4096;
constexpr int Fonts = 256;
constexpr int Colors = 256;
constexpr int Forms = 64;
constexpr int Images = 256;
constexpr int ImageSide = 4096;
constexpr int64_t ImagePixels = 16 << 20;  // all images together, both variants
constexpr int Animations = 64;             // per element
constexpr int Frames = 256;                // per animation
constexpr int AllFrames = 65536;           // in the whole skin
constexpr int Coordinate = 16384;
constexpr int FormSide = 4096;
constexpr int Duration = 60000;
// What one paint may cost, decided at load: the back buffer of a form (1920 x 1200 design
// pixels, a full HD screen at 100 %: 35 MB at 200 %), the pixels all elements of a form cover together (a full repaint
// draws each of them: the shipped skins cover 2 million), and fades inside fades (each
// composes a layer of the repainted area).
constexpr int64_t FormArea = int64_t(1920) * 1200;
constexpr int64_t ElementArea = int64_t(8) << 20;
constexpr int NestedFades = 2;
}  // namespace SkinLimits

// Parses and checks a whole skin file (UTF-8). Throws ESkinError naming the line.
SkinModel ParseSkin(const std::string& text);

// UTF-8 to the platform's wide string; false on malformed input.
bool Utf8ToWide(const std::string& in, std::wstring& out);
std::string WideToUtf8(const std::wstring& in);
