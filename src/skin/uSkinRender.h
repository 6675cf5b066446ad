// A form drawn without a window, for tools and tests: the same painter as a skinned window,
// into a bitmap at any DPI, after playing the named animations to their end.
#pragma once
#include <memory>
#include <string>
#include <vector>
#include "skin/uSkinModel.h"

// Opaque pixels (0xAARRGGBB, alpha 255), rows top-down; the form's size at `dpi`.
SkinBitmap RenderSkinForm(const std::shared_ptr<const SkinModel>& model, const SkinForm& form, int dpi,
                          const std::vector<std::wstring>& animations = {});
// Reads and parses a skin file (ESkinError with the line on failure).
std::shared_ptr<const SkinModel> ReadSkin(const std::wstring& fileName);
