// Starting a program, or opening a document or shortcut, the way the shell does, with a
// replaceable implementation so tests can see what would be started.
#pragma once
#include <string>

// ShellExecute with the default verb, no parameters and no working folder: the path is taken
// verbatim, so nothing in it can become an argument. True when the shell started something.
bool ShellOpen(const std::wstring& file);
using ShellOpenFunc = bool (*)(const std::wstring& file);
// nullptr restores the shell; answers the previous implementation.
ShellOpenFunc SetShellOpenFunc(ShellOpenFunc func);
