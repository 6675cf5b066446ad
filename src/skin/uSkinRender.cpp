#include "skin/uSkinRender.h"
#include <cstring>
#include "skin/uSkinAnimation.h"
#include "skin/uSkinPaint.h"
#include "skin/uSkinRaster.h"

SkinBitmap RenderSkinForm(const std::shared_ptr<const SkinModel>& model, const SkinForm& form, int dpi,
                          const std::vector<std::wstring>& animations) {
    auto tree = BuildFormTree(model, form);
    for (int i = 0; i < int(tree->nodes.size()); ++i) {
        const TSkinNode& n = tree->nodes[i];
        for (int a = 0; n.design && a < int(n.design->animations.size()); ++a)
            for (const std::wstring& wanted : animations)
                if (n.design->animations[a].name == wanted) FinishAnimation(*tree, i, a);
    }
    int w = ScaleDesign(form.width, dpi), h = ScaleDesign(form.height, dpi);
    TSkinPainter painter(model);
    UniqueBitmap dib = CreateSkinDib(w, h);
    UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
    {
        SelectGuard select(dc.get(), dib.get());
        RECT all{0, 0, w, h};
        UniqueBrush root(::CreateSolidBrush(SkinColorValue(form.color)));
        ::FillRect(dc.get(), &all, root.get());
        painter.PaintTree(dc.get(), *tree, dpi, all, TSkinPaintState{});
        ::GdiFlush();
    }
    SkinBitmap out;
    out.width = w;
    out.height = h;
    out.pixels.resize(size_t(w) * h);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(bi.bmiHeader), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    ::GetDIBits(dc.get(), dib.get(), 0, UINT(h), out.pixels.data(), &bi, DIB_RGB_COLORS);
    for (uint32_t& p : out.pixels) p |= 0xFF000000u;  // GDI text leaves alpha 0: the picture is opaque
    return out;
}
