#include "skin/uSkinCheck.h"

std::vector<SkinProblem> CheckSkinLayout(const SkinModel& model) {
    std::vector<SkinProblem> problems;
    for (const SkinForm& form : model.forms) {
        for (const SkinElement& e : form.elements) {
            const SkinRect& r = e.rect;
            if (e.kind == TSkinElementKind::Root || (r.w == 0 && r.h == 0)) continue;
            if (r.x < 0 || r.y < 0 || r.x + r.w > form.width || r.y + r.h > form.height) {
                std::wstring name = e.name.empty() ? std::wstring(SkinKindName(e.kind)) : e.name;
                problems.push_back({e.line, name + L" (" + std::to_wstring(r.x) + L" " + std::to_wstring(r.y) + L" " +
                                                std::to_wstring(r.w) + L" " + std::to_wstring(r.h) +
                                                L") lies outside its form " + form.name + L" (" +
                                                std::to_wstring(form.width) + L" x " + std::to_wstring(form.height) +
                                                L")"});
            }
        }
    }
    return problems;
}
