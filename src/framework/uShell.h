// Starting a program, or opening a document or shortcut, the way the shell does, with a
// replaceable implementation so tests can see what would be started; and the COM apartment
// the shell needs, set up only when something needs it.
#pragma once
#include <windows.h>
#include <string>

// ShellExecuteEx with the default verb and no parameters: the path is taken verbatim, so
// nothing in it can become an argument. `folder` is the working folder (empty: none).
// Answers 0 when the shell started something, otherwise the system error code. The shell
// shows no error box of its own: the caller tells the user.
DWORD ShellOpen(const std::wstring& file, const std::wstring& folder = {});
using ShellOpenFunc = DWORD (*)(const std::wstring& file, const std::wstring& folder);
// nullptr restores the shell; answers the previous implementation.
ShellOpenFunc SetShellOpenFunc(ShellOpenFunc func);

// The folder part of a path (without its last separator); empty when there is none.
std::wstring FolderOf(const std::wstring& path);

// Joins this thread to a single-threaded COM apartment the first time something needs the
// shell's COM objects (starting a shortcut, the file dialog); most runs never do, and an
// apartment costs private memory. LeaveComApartment at the end of the thread.
void EnterComApartment();
void LeaveComApartment();
