// What Korvix needs from a skin: every element name it uses, with the right kind.
#pragma once
#include <vector>
#include "skin/uSkinCheck.h"

std::vector<SkinProblem> CheckKorvixVocabulary(const SkinModel& model);
