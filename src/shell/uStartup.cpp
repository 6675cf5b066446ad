#include "uStartup.h"
#include "framework/uText.h"

std::wstring PdhPlacementMessage(DWORD majorVersion, const std::wstring& pdhPath) {
    if (majorVersion >= 5)
        return ReplaceAll(L"Please delete the file \"%1\" before you run Korvix Professional.", L"%1", pdhPath);
    return L"PDH.DLL not found. Please reinstall Korvix Professional.";
}
