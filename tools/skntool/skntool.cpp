// skntool: the skin author's tool.
//   skntool check FILE                      loads the skin and checks it; exit 1 on any problem
//   skntool render FILE FORM OUT.png [--dpi N] [--page ANIMATION]...
#include <windows.h>
#include <cstdio>
#include <string>
#include <vector>
#include "framework/uException.h"
#include "framework/uHandles.h"
#include "skin/uSkinCheck.h"
#include "skin/uSkinRender.h"
#include "tools/skntool/uSkinPng.h"
#include "ui/uSkinVocabulary.h"

namespace {
void Print(const std::wstring& text) { std::printf("%s\n", WideToUtf8(text).c_str()); }

int Usage() {
    Print(
        L"usage: skntool check FILE\n"
        L"       skntool render FILE FORM OUT.png [--dpi N] [--page ANIMATION]");
    return 2;
}

int Check(const std::wstring& file) {
    std::shared_ptr<const SkinModel> model;
    try {
        model = ReadSkin(file);
    } catch (const Exception& e) {
        Print(e.Message());
        return 1;
    }
    std::vector<SkinProblem> problems = CheckSkinLayout(*model);
    for (SkinProblem& p : CheckKorvixVocabulary(*model)) problems.push_back(std::move(p));
    for (const SkinProblem& p : problems) Print(file + L":" + std::to_wstring(p.line) + L": " + p.message);
    if (problems.empty()) Print(file + L": ok");
    return problems.empty() ? 0 : 1;
}

int Render(const std::vector<std::wstring>& args) {
    if (args.size() < 5) return Usage();
    int dpi = 96;
    std::vector<std::wstring> pages;
    for (size_t i = 5; i < args.size(); ++i) {
        if (args[i] == L"--dpi" && i + 1 < args.size())
            dpi = _wtoi(args[++i].c_str());
        else if (args[i] == L"--page" && i + 1 < args.size())
            pages.push_back(args[++i]);
        else
            return Usage();
    }
    if (dpi < 48 || dpi > 960) {
        Print(L"--dpi must be between 48 and 960");
        return 2;
    }
    try {
        auto model = ReadSkin(args[2]);
        const SkinForm* form = model->FindForm(args[3]);
        if (!form) throw ESkinError(L"The skin has no form named " + args[3]);
        SkinBitmap picture = RenderSkinForm(model, *form, dpi, pages);
        WritePng(args[4], picture);
        Print(args[4] + L": " + std::to_wstring(picture.width) + L" x " + std::to_wstring(picture.height));
    } catch (const Exception& e) {
        Print(e.Message());
        return 1;
    }
    return 0;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv, argv + argc);
    if (args.size() == 3 && args[1] == L"check") return Check(args[2]);
    if (args.size() >= 2 && args[1] == L"render") return Render(args);
    return Usage();
}
