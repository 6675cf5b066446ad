// Operations every skinned window performs on skin elements by name: the pressed and checked
// state of a button, animations by name, colours with a fallback, and native controls placed
// on elements. Over the skin engine's element operations only.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include "skin/uSkin.h"

// The button `name` beneath `root` gets (or loses) the pressed or checked element state. An
// absent element (or root) is skipped; an element that is not a button, and every error of
// the skin engine, reach the caller.
void SetButtonPressed(const TSkinObject& root, const std::wstring& name, bool pressed);
void SetButtonChecked(const TSkinObject& root, const std::wstring& name, bool checked);

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
