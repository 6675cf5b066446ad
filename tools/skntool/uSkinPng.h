// PNG files of rendered forms (stb_image_write).
#pragma once
#include <string>
#include "skin/uSkinModel.h"

// Writes opaque 0xAARRGGBB pixels as a PNG file; throws ESkinError.
void WritePng(const std::wstring& fileName, const SkinBitmap& picture);
