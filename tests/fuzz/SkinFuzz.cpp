// libFuzzer target of the skin loader: any bytes, parsed as a skin, must either load or be
// refused with ESkinError, never crash, read out of bounds or allocate without bound. What
// loads is also pushed through the pure drawing arithmetic.
#include <cstddef>
#include <cstdint>
#include <string>
#include "skin/uSkinModel.h"
#include "skin/uSkinRaster.h"
#include "skin/uSkinScrollBar.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SkinModel model;
    try {
        model = ParseSkin(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const ESkinError&) {
        return 0;
    }
    int budget = 64;
    for (const SkinSection& s : model.sections) {
        if (--budget < 0) break;
        SkinGridPart parts[9];
        GridParts(s, 2, 37, 11, 1.5, parts);
        if (!s.isImage) RasterizeFill(s, 9, 7, 2.0);
    }
    for (const SkinForm& f : model.forms) {
        for (const SkinElement& e : f.elements) {
            model.ResolveSection(e.section + L"_checked_pressed");
            if (e.kind != TSkinElementKind::ScrollBar) continue;
            SkinScrollValues v{e.min, e.max, e.page, e.step, e.position};
            SkinScrollParts p = ScrollParts({0, 0, e.rect.w, e.rect.h}, e.vertical, true, v, 8);
            ScrollPositionAt(p, e.vertical, v, e.rect.w / 2);
        }
    }
    return 0;
}
