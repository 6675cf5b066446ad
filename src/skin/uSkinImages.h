// The image half of skin loading: base64 text, CRC-32 and PNG decoding (stb_image), all in
// memory and bounded. No Windows headers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include "skin/uSkinModel.h"

bool IsBase64Text(const std::string& text);
// False on a character outside the alphabet or misplaced padding.
bool DecodeBase64(const std::string& text, std::vector<uint8_t>& out);
std::string EncodeBase64(const uint8_t* data, size_t size);
uint32_t Crc32(const uint8_t* data, size_t size);
// Decodes a PNG that must be exactly `width` x `height` into premultiplied BGRA.
bool DecodePng(const std::vector<uint8_t>& png, int width, int height, SkinBitmap& out, std::string& error);
