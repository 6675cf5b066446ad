// Small text helpers shared by all units.
#pragma once
#include <initializer_list>
#include <string>

std::wstring Widen(const std::string& text);   // from the ANSI code page
std::string Narrow(const std::wstring& text);  // to the ANSI code page
std::wstring UpperCase(std::wstring text);     // locale-independent for ASCII, system rules otherwise
// Replaces every occurrence of `placeholder` in `text`.
std::wstring ReplaceAll(std::wstring text, const std::wstring& placeholder, const std::wstring& value);
// Fills %1..%9 of `pattern` with `values` in one pass: a value is never searched for
// placeholders, so a path holding "%2" stays as it is. A placeholder without a value, and
// any other %, is kept.
std::wstring FormatText(const std::wstring& pattern, std::initializer_list<std::wstring> values);
// Path of the running program file and its folder with exactly one trailing backslash.
std::wstring ProgramPath();
std::wstring ProgramFolder();
bool FileExists(const std::wstring& path);
