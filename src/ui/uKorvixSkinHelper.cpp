#include "ui/uKorvixSkinHelper.h"
#include "ui/uSkinHelper.h"
#include "ui/uSkinNames.h"
#include "ui/uSkinTranslate.h"

namespace {
void CheckIgnoringFailure(const TSkinObject& root, int32_t id, bool checked) {
    try {
        SetButtonChecked(root, ElementName(id), checked);
    } catch (const Exception&) {}
}

void Brand(const TSkinObject& root, int32_t id, const wchar_t* sectionName) {
    try {
        TSkinStatic element = root.Find(ElementName(id)).AsStatic();
        SkinImageSection section = element.GetImageSection();
        section.Name = sectionName;
        element.SetImageSection(section);
        element.Refresh();
    } catch (const Exception&) {}
}
}  // namespace

void SetPressed(const TSkinObject& root, int32_t id) { SetButtonPressed(root, ElementName(id), true); }
void ClearPressed(const TSkinObject& root, int32_t id) { SetButtonPressed(root, ElementName(id), false); }
void SetChecked(const TSkinObject& root, int32_t id) { CheckIgnoringFailure(root, id, true); }
void ClearChecked(const TSkinObject& root, int32_t id) { CheckIgnoringFailure(root, id, false); }

void TranslateSkin(const TSkinObject& root) {
    try {
        for (const TCaption& row : SkinCaptions()) {
            try {
                TSkinObject element = root.Find(row.Name);
                if (row.Kind == TCaptionKind::Static)
                    element.AsStatic().SetText(row.Text);
                else
                    element.AsButton().SetCaption(row.Text);
                element.Refresh();
            } catch (const Exception&) {}
        }
    } catch (const Exception&) {}
}

void SetBranding(const TSkinObject& root) {
    Brand(root, idHeader, L"header_korvix");
    Brand(root, idAboutImage, L"LogoVantor");
}
