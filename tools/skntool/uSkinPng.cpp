#include "tools/skntool/uSkinPng.h"
#include <windows.h>
#include <vector>
#include "framework/uHandles.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

void WritePng(const std::wstring& fileName, const SkinBitmap& picture) {
    std::vector<unsigned char> rgba(picture.pixels.size() * 4);
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        uint32_t p = picture.pixels[i];
        rgba[i * 4] = uint8_t(p >> 16);
        rgba[i * 4 + 1] = uint8_t(p >> 8);
        rgba[i * 4 + 2] = uint8_t(p);
        rgba[i * 4 + 3] = 255;
    }
    std::vector<unsigned char> png;
    auto collect = [](void* context, void* data, int size) {
        auto* out = static_cast<std::vector<unsigned char>*>(context);
        out->insert(out->end(), static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
    };
    if (!stbi_write_png_to_func(collect, &png, picture.width, picture.height, 4, rgba.data(), picture.width * 4))
        throw ESkinError(L"Cannot encode the picture as PNG");
    UniqueKernelHandle file(
        ::CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !::WriteFile(file.get(), png.data(), DWORD(png.size()), &written, nullptr) || written != png.size())
        throw ESkinError(L"Cannot write " + fileName);
}
