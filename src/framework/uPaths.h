// How a path is rooted, with either separator, and what may be done with it without
// depending on the current folder or reaching another machine.
#pragma once
#include <string>

enum class TPathKind {
    Relative,       // "x.skn", "skins\x.skn", "skins/x.skn": against whatever folder is current
    RootRelative,   // "\x.skn": against the current drive
    DriveRelative,  // "C:x.skn": against that drive's current folder
    Absolute,       // "C:\x.skn", "C:/x.skn", "\\?\C:\x.skn"
    Network,        // "\\host\share\x", "//host/share/x", "\\?\UNC\host\share\x", "\\.\device"
};

TPathKind PathKindOf(const std::wstring& path);
// Absolute or network: the path names the same file whatever folder is current.
bool IsFullPath(const std::wstring& path);
// `path` as a full path, relative ones taken from `folder` (a full folder, with or without
// its trailing separator) and root-relative ones from its drive. Empty for an empty or a
// drive-relative path, which would depend on a drive's current folder.
std::wstring ResolvePath(const std::wstring& path, const std::wstring& folder);
// A full path on a drive of this machine: looking at it reaches no other machine (a
// network path, or a drive letter mapped to a share, may send the user's credentials to
// whoever names the host).
bool IsLocalPath(const std::wstring& path);
