#include "uDialogs.h"
#include <vector>
#include "uException.h"
#include "uShell.h"
#include "uSystemLibrary.h"

std::wstring FilterToSystem(const std::wstring& filter) {
    std::wstring out = filter;
    for (wchar_t& c : out) {
        if (c == L'|') c = L'\0';
    }
    out.push_back(L'\0');
    out.push_back(L'\0');
    return out;
}

bool TOpenDialog::Execute(HWND owner) {
    // Long enough for any path the system can hand back.
    std::vector<wchar_t> file(32768, L'\0');
    FileName.copy(file.data(), file.size() - 1);
    const std::wstring filter = FilterToSystem(Filter);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = Filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(FilterIndex);
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
    ofn.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
    ofn.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
    // The program's current folder stays where it was: relative paths elsewhere depend on it.
    ofn.Flags = Options | OFN_EXPLORER | OFN_NOCHANGEDIR;
    // The dialog hosts the shell's folder views, which are COM objects.
    EnterComApartment();
    using GetOpenFileNameFn = BOOL(WINAPI*)(OPENFILENAMEW*);
    using ExtendedErrorFn = DWORD(WINAPI*)();
    const auto getOpenFileName = SystemLibraryFunction<GetOpenFileNameFn>(L"comdlg32.dll", "GetOpenFileNameW");
    const auto extendedError = SystemLibraryFunction<ExtendedErrorFn>(L"comdlg32.dll", "CommDlgExtendedError");
    if (!getOpenFileName || !extendedError) throw EOSError(::GetLastError(), L"Cannot open the open-file dialog");
    if (!getOpenFileName(&ofn)) {
        DWORD error = extendedError();
        if (error != 0) throw EOSError(L"The open-file dialog failed (error " + std::to_wstring(error) + L")");
        return false;  // cancelled
    }
    FileName = file.data();
    FilterIndex = static_cast<int>(ofn.nFilterIndex);
    return true;
}
