// The program's first command-line parameter (case preserved), with a replaceable
// source so tests can start the engine "as if" launched with a given parameter.
#pragma once
#include <string>

std::wstring FirstParameter();
using FirstParameterFunc = std::wstring (*)();
// nullptr restores the real command line; answers the previous source.
FirstParameterFunc SetFirstParameterSource(FirstParameterFunc source);
