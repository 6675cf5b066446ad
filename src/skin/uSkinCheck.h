// Checks of a loaded skin beyond what loading refuses: things a skin author wants to hear
// about although the engine can draw the skin. No Windows headers.
#pragma once
#include <string>
#include <vector>
#include "skin/uSkinModel.h"

struct SkinProblem {
    int line;
    std::wstring message;
};

// Every element rectangle inside its form (zero-sized carriers of colours excepted).
std::vector<SkinProblem> CheckSkinLayout(const SkinModel& model);
