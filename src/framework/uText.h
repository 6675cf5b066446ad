// Small text helpers shared by all units.
#pragma once
#include <string>

std::wstring Widen(const std::string& text);   // from the ANSI code page
std::string Narrow(const std::wstring& text);  // to the ANSI code page
std::wstring UpperCase(std::wstring text);     // locale-independent for ASCII, system rules otherwise
// Replaces every occurrence of `placeholder` in `text`.
std::wstring ReplaceAll(std::wstring text, const std::wstring& placeholder, const std::wstring& value);
// Path of the running program file and its folder with exactly one trailing backslash.
std::wstring ProgramPath();
std::wstring ProgramFolder();
bool FileExists(const std::wstring& path);
