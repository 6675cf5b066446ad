#include "tools/skntool/uVocabularyCheck.h"

// The program's vocabulary arrives with the element table of src/ui; until then only the
// form and the chart place, without which the main window cannot open, are checked.
std::vector<SkinProblem> CheckKorvixVocabulary(const SkinModel& model) {
    std::vector<SkinProblem> problems;
    const SkinForm* form = model.FindForm(L"Korvix");
    if (!form) {
        problems.push_back({1, L"the skin has no form Korvix"});
        return problems;
    }
    bool chart = false;
    for (const SkinElement& e : form->elements) chart = chart || e.name == L"chart";
    if (!chart) problems.push_back({form->line, L"form Korvix has no element chart"});
    return problems;
}
