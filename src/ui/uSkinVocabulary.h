// What Korvix needs from a skin, checked against a loaded skin for skin authors (skntool
// check): every element of the element table with the kind the program uses, every caption
// element, the branding sections, and the dialog style.
#pragma once
#include <vector>
#include "skin/uSkinCheck.h"

std::vector<SkinProblem> CheckKorvixVocabulary(const SkinModel& model);
