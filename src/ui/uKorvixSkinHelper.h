// The element operations of Korvix's own windows, by element number: the pressed and checked
// state of its buttons (drawn in the skin's looks for them), the captions after every skin load, and the branding
// images.
#pragma once
#include <cstdint>
#include "skin/uSkin.h"

// The button of that element number gets (Set) or loses (Clear) its pressed look. An
// element the skin lacks is skipped; one that is not a button, and skin engine errors, throw.
void SetPressed(const TSkinObject& root, int32_t id);
void ClearPressed(const TSkinObject& root, int32_t id);
// The same for the checked look; every failure is ignored.
void SetChecked(const TSkinObject& root, int32_t id);
void ClearChecked(const TSkinObject& root, int32_t id);

// Writes the caption table into the elements beneath `root`, row by row; a row that fails
// (missing element, another kind, an engine error) is skipped, and so is a failed walk.
void TranslateSkin(const TSkinObject& root);

// `header` shows the section "header_korvix" and `about_image` "LogoVantor" (the name of the
// section read, changed and written back); each of the two steps may fail on its own.
void SetBranding(const TSkinObject& root);
