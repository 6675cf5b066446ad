#include "uPaths.h"
#include <windows.h>

namespace {
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }
bool StartsWithDrive(const std::wstring& path, size_t at) {
    return path.size() > at + 1 && IsDriveLetter(path[at]) && path[at + 1] == L':';
}
bool HasUncPrefix(const std::wstring& path) {
    return path.size() >= 8 && path.compare(4, 4, L"UNC") == 0 && IsSeparator(path[7]);
}
// "\\?\" and "\\.\": the system's own namespaces, which take a drive path or anything else.
bool IsDevicePrefix(const std::wstring& path) {
    return path.size() >= 4 && (path[2] == L'?' || path[2] == L'.') && IsSeparator(path[3]);
}
}  // namespace

TPathKind PathKindOf(const std::wstring& path) {
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        if (IsDevicePrefix(path) && path[2] == L'?' && !HasUncPrefix(path) && StartsWithDrive(path, 4) &&
            path.size() > 6 && IsSeparator(path[6]))
            return TPathKind::Absolute;
        return TPathKind::Network;
    }
    if (!path.empty() && IsSeparator(path[0])) return TPathKind::RootRelative;
    if (StartsWithDrive(path, 0)) {
        return path.size() > 2 && IsSeparator(path[2]) ? TPathKind::Absolute : TPathKind::DriveRelative;
    }
    return TPathKind::Relative;
}

bool IsFullPath(const std::wstring& path) {
    const TPathKind kind = PathKindOf(path);
    return kind == TPathKind::Absolute || kind == TPathKind::Network;
}

std::wstring ResolvePath(const std::wstring& path, const std::wstring& folder) {
    if (path.empty()) return {};
    switch (PathKindOf(path)) {
        case TPathKind::Absolute:
        case TPathKind::Network: return path;
        case TPathKind::DriveRelative: return {};
        case TPathKind::RootRelative:
            // The folder's drive: "C:" of "C:\Programs\Korvix\".
            return StartsWithDrive(folder, 0) ? folder.substr(0, 2) + path : std::wstring();
        case TPathKind::Relative: break;
    }
    if (!IsFullPath(folder)) return {};
    return IsSeparator(folder.back()) ? folder + path : folder + L'\\' + path;
}

bool IsLocalPath(const std::wstring& path) {
    if (PathKindOf(path) != TPathKind::Absolute) return false;
    const size_t drive = StartsWithDrive(path, 0) ? 0 : 4;
    const wchar_t root[] = {path[drive], L':', L'\\', 0};
    const UINT type = ::GetDriveTypeW(root);
    return type != DRIVE_REMOTE && type != DRIVE_NO_ROOT_DIR && type != DRIVE_UNKNOWN;
}
