// Operations every skinned window performs on skin elements by name: the pressed and checked
// looks of a button, animations by name, colours with a fallback, and native controls placed
// on elements. Over the skin engine's element operations only.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include "skin/uSkin.h"

// The rules on one state record; each answers whether it changed the record. A name counts
// as marked only when it is longer than the 8-character suffix and ends with it, so a section
// named exactly "_pressed" gets the suffix once more.
bool PressRecord(SkinButtonState& state);    // appends "_pressed", inverts the colour bytes
bool UnpressRecord(SkinButtonState& state);  // cuts "_pressed", inverts the colour bytes
bool CheckRecord(SkinButtonState& state);    // appends "_checked"
bool UncheckRecord(SkinButtonState& state);  // cuts "_checked"

// Applies one rule to each of the three state records of the button `name` beneath `root`,
// then refreshes it. An absent element (or root) is skipped; an element that is not a button,
// and every error of the skin engine, reach the caller.
void ChangeButtonLook(const TSkinObject& root, const std::wstring& name, bool (*rule)(SkinButtonState&));

// Starts every animation of that name on any element beneath and including `root` (depth
// first, each element before its children) and returns the longest total duration among
// them in milliseconds; 0 when none (or no root). Errors of the skin engine reach the caller.
int PlayAnimation(const TSkinObject& root, const std::wstring& name);

// The colour of a static element as a system colour ($00BBGGRR); `fallback` when the element
// is absent, not a static, or has no colour.
uint32_t SkinColor(const TSkinObject& element, uint32_t fallback);

// Moves a control onto the element's rectangle (the window's client coordinates); an absent
// element is an error.
void PlaceOnElement(HWND control, const TSkinObject& root, const std::wstring& name);
