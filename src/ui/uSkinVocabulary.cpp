#include "ui/uSkinVocabulary.h"
#include <map>
#include "ui/uSkinNames.h"
#include "ui/uSkinTranslate.h"

namespace {
const wchar_t* KindWord(TSkinKind kind) {
    switch (kind) {
        case TSkinKind::Static: return L"a static";
        case TSkinKind::ColorCarrier: return L"a static with a colour";
        case TSkinKind::Button: return L"a button";
        case TSkinKind::CheckBox: return L"a button (check box)";
        case TSkinKind::Radio: return L"a button (radio button)";
        case TSkinKind::ScrollBar: return L"a scroll bar";
        case TSkinKind::Place: return L"the place of a control";
        default: return L"an element";
    }
}

TSkinElementKind EngineKind(TSkinKind kind) {
    switch (SkinInterfaceOf(kind)) {
        case TSkinInterface::Static: return TSkinElementKind::Static;
        case TSkinInterface::Button: return TSkinElementKind::Button;
        case TSkinInterface::ScrollBar: return TSkinElementKind::ScrollBar;
        default: return TSkinElementKind::Root;  // any kind will do
    }
}

class Checker {
public:
    Checker(const SkinModel& model, const SkinForm& form) : model_(model), form_(form) {
        for (const SkinElement& e : form.elements) {
            if (!e.name.empty()) elements_[e.name] = &e;
            for (const SkinAnimation& a : e.animations) animations_[a.name] = true;
        }
    }

    void Element(const std::wstring& name, TSkinKind kind) {
        if (kind == TSkinKind::Animation) {
            if (!animations_.count(name))
                Problem(form_.line, L"no element of form Korvix carries the animation " + name);
            return;
        }
        auto it = elements_.find(name);
        if (it == elements_.end()) {
            Problem(form_.line,
                    L"form Korvix has no element " + name + L" (Korvix uses it as " + KindWord(kind) + L")");
            return;
        }
        const SkinElement& e = *it->second;
        TSkinElementKind wanted = EngineKind(kind);
        if (wanted != TSkinElementKind::Root && e.kind != wanted)
            Problem(e.line, name + L" is a " + SkinKindName(e.kind) + L"; Korvix uses it as " + KindWord(kind));
        else if (kind == TSkinKind::ColorCarrier && !e.hasColor)
            Problem(e.line, name + L" has no colour; Korvix reads its colour");
    }

    void Section(const wchar_t* name, const wchar_t* use) {
        if (!model_.ResolveSection(name))
            Problem(1, std::wstring(L"the skin has no section ") + name + L" (" + use + L")");
    }

    void Problem(int line, std::wstring message) { problems.push_back({line, std::move(message)}); }
    std::vector<SkinProblem> problems;

private:
    const SkinModel& model_;
    const SkinForm& form_;
    std::map<std::wstring, const SkinElement*> elements_;
    std::map<std::wstring, bool> animations_;
};
}  // namespace

std::vector<SkinProblem> CheckKorvixVocabulary(const SkinModel& model) {
    const std::wstring formName = ElementName(idKorvix);
    const SkinForm* form = model.FindForm(formName);
    if (!form) return {{1, L"the skin has no form " + formName}};
    Checker check(model, *form);
    for (const TSkinID& row : SkinIDs)
        if (row.Kind != TSkinKind::None && row.Kind != TSkinKind::Form) check.Element(row.Name, row.Kind);
    for (const TCaptionRow& row : CaptionTable)
        check.Element(row.Name, row.Kind == TCaptionKind::Static ? TSkinKind::Static : TSkinKind::Button);
    check.Section(L"header_korvix", L"the header image");
    check.Section(L"LogoVantor", L"the about image");
    if (!model.dialog.present) check.Problem(1, L"the skin has no dialog style (Korvix's dialogs use it)");
    return check.problems;
}
