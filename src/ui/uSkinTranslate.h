// The English texts the program writes into a skin's caption elements after every
// skin load, replacing whatever the skin holds there. The table is data; the skin
// helper only applies the rows that SkinCaptions yields.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Which element interface a row writes: a static's text or a button's caption.
enum class TCaptionKind : uint8_t { Static, Button };
// What every "%1" of a row's text is replaced with before writing.
enum class TCaptionFill : uint8_t { None, Version, One, Two, Three };

struct TCaptionRow {
    const wchar_t* Name;
    TCaptionKind Kind;
    const wchar_t* Text;
    TCaptionFill Fill;
};

constexpr int CaptionCount = 55;
extern const std::array<TCaptionRow, CaptionCount> CaptionTable;

struct TCaption {
    std::wstring Name;
    TCaptionKind Kind;
    std::wstring Text;
    bool operator==(const TCaption&) const = default;
};

// The rows in table order with "%1" filled; `versionText` fills the version row.
// The idle texts keep their "%1" until the pages write their values.
std::vector<TCaption> SkinCaptions(const std::wstring& versionText);
// The same with the program's own version.
std::vector<TCaption> SkinCaptions();
