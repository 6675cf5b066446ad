// What a screen reader is told of the main window's elements: the skin engine shows them to
// accessibility tools, this gives them their names, roles and values in the program's words.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include "skin/uSkin.h"

// The popup help texts by element ID (the help file's "cshelp.txt").
using THelpTexts = std::map<int32_t, std::wstring>;

// An element's role, name (its caption or label; without one, the first sentence of its help),
// a slider's value (the text that shows it) and its help as the description. Elements the
// program does not present (decoration, colour carriers, empty texts) get no role.
TSkinAccessInfo MainWindowAccessInfo(const TSkinObject& root, const TSkinObject& element, const THelpTexts& help);

// The text up to the end of its first sentence, its line breaks turned into spaces.
std::wstring FirstSentence(const std::wstring& text);
