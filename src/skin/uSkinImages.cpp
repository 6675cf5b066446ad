#include "skin/uSkinImages.h"
#include <array>
#include <cstdlib>

namespace {
// stb_image's memory, bounded per decode by what the declared picture needs: its inflate
// buffer otherwise doubles up to 2 GB for a stream that expands beyond the picture (a
// decompression bomb). An allocation beyond the budget fails, and stb reports "outofmem".
struct TDecodeBudget {
    size_t allowed = 0, held = 0;
};
thread_local TDecodeBudget t_budget;

struct alignas(16) TBlockHeader {
    size_t size;
};

void* BoundedMalloc(size_t size) {
    if (size > t_budget.allowed - t_budget.held) return nullptr;
    auto* block = static_cast<TBlockHeader*>(std::malloc(sizeof(TBlockHeader) + size));
    if (!block) return nullptr;
    block->size = size;
    t_budget.held += size;
    return block + 1;
}

void BoundedFree(void* p) {
    if (!p) return;
    TBlockHeader* block = static_cast<TBlockHeader*>(p) - 1;
    t_budget.held -= block->size;
    std::free(block);
}

void* BoundedRealloc(void* p, size_t size) {
    if (!p) return BoundedMalloc(size);
    TBlockHeader* block = static_cast<TBlockHeader*>(p) - 1;
    size_t old = block->size;
    if (size > old && size - old > t_budget.allowed - t_budget.held) return nullptr;
    auto* moved = static_cast<TBlockHeader*>(std::realloc(block, sizeof(TBlockHeader) + size));
    if (!moved) return nullptr;
    t_budget.held = t_budget.held - old + size;
    moved->size = size;
    return moved + 1;
}
}  // namespace

#define STBI_MALLOC(size) BoundedMalloc(size)
#define STBI_REALLOC(p, size) BoundedRealloc(p, size)
#define STBI_FREE(p) BoundedFree(p)
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 4096
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wshadow"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#pragma GCC diagnostic ignored "-Wextra"
#endif
#include <stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace {
int Base64Value(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}
}  // namespace

bool IsBase64Text(const std::string& text) {
    for (unsigned char c : text)
        if (Base64Value(c) < 0 && c != '=') return false;
    return true;
}

bool DecodeBase64(const std::string& text, std::vector<uint8_t>& out) {
    out.clear();
    if (text.size() % 4 != 0) return false;
    out.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        int v[4];
        int pad = 0;
        for (int k = 0; k < 4; ++k) {
            unsigned char c = text[i + k];
            if (c == '=') {
                // Padding only at the very end, in the last one or two places.
                if (i + 4 != text.size() || k < 2) return false;
                v[k] = 0;
                ++pad;
            } else {
                if (pad) return false;
                v[k] = Base64Value(c);
                if (v[k] < 0) return false;
            }
        }
        uint32_t n = uint32_t(v[0]) << 18 | uint32_t(v[1]) << 12 | uint32_t(v[2]) << 6 | uint32_t(v[3]);
        out.push_back(uint8_t(n >> 16));
        if (pad < 2) out.push_back(uint8_t(n >> 8));
        if (pad < 1) out.push_back(uint8_t(n));
    }
    return true;
}

std::string EncodeBase64(const uint8_t* data, size_t size) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((size + 2) / 3 * 4);
    for (size_t i = 0; i < size; i += 3) {
        uint32_t n = uint32_t(data[i]) << 16;
        if (i + 1 < size) n |= uint32_t(data[i + 1]) << 8;
        if (i + 2 < size) n |= data[i + 2];
        out += alphabet[n >> 18 & 63];
        out += alphabet[n >> 12 & 63];
        out += i + 1 < size ? alphabet[n >> 6 & 63] : '=';
        out += i + 2 < size ? alphabet[n & 63] : '=';
    }
    return out;
}

uint32_t Crc32(const uint8_t* data, size_t size) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

bool DecodePng(const std::vector<uint8_t>& png, int width, int height, SkinBitmap& out, std::string& error) {
    if (png.size() > size_t(1) << 30) {
        error = "image data is too large";
        return false;
    }
    int w = 0, h = 0, channels = 0;
    const auto* bytes = png.data();
    int size = int(png.size());
    // Check the header before decoding, so a false size never allocates.
    t_budget = {size_t(64) << 10, 0};
    if (!stbi_info_from_memory(bytes, size, &w, &h, &channels)) {
        error = "image data is not a PNG picture";
        return false;
    }
    if (w != width || h != height) {
        error = "the PNG picture is " + std::to_string(w) + "x" + std::to_string(h) + ", not the declared " +
                std::to_string(width) + "x" + std::to_string(height);
        return false;
    }
    // What stb holds at most for a true picture of this size: the compressed data (its
    // buffer doubles), the inflated rows of up to 16-bit RGBA with their filter bytes (one
    // doubling of that buffer), the decoded and the converted picture, and a little more.
    size_t pixels = size_t(w) * size_t(h);
    t_budget = {2 * png.size() + 2 * (8 * pixels + size_t(h)) + 16 * pixels + (size_t(64) << 10), 0};
    unsigned char* rgba = stbi_load_from_memory(bytes, size, &w, &h, &channels, 4);
    if (!rgba) {
        std::string reason = stbi_failure_reason();
        error = reason == "outofmem" ? "image data expands beyond its declared size"
                                     : "image data is damaged (" + reason + ")";
        return false;
    }
    out.width = w;
    out.height = h;
    out.pixels.resize(size_t(w) * h);
    for (size_t i = 0; i < out.pixels.size(); ++i) {
        const unsigned char* p = rgba + i * 4;
        uint32_t a = p[3];
        auto mul = [a](uint32_t c) { return (c * a + 127) / 255; };
        out.pixels[i] = a << 24 | mul(p[0]) << 16 | mul(p[1]) << 8 | mul(p[2]);
    }
    stbi_image_free(rgba);
    t_budget = {};
    return true;
}
