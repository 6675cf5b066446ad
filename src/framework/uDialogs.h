// The system's open-file dialog, set up like the framework's component: a filter in the
// form "Skins|*.skn|All files|*.*", an initial folder, options, and the chosen file.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <string>

class TOpenDialog {
public:
    std::wstring Title;       // empty: the system's "Open"
    std::wstring Filter;      // pairs of description and pattern, separated by '|'
    int FilterIndex = 1;      // 1-based; after Execute the pair the user chose
    std::wstring InitialDir;  // empty: the system's choice
    std::wstring DefaultExt;  // without the dot: added to a typed name that has no extension
    std::wstring FileName;    // proposed before, chosen after Execute
    DWORD Options = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;

    // Shows the dialog modally for `owner`; true when the user chose a file. Throws
    // EOSError when the dialog cannot be shown (an invalid proposed name, say).
    bool Execute(HWND owner);
};

// The dialog's own filter form: every '|' a zero, and two zeros at the end.
std::wstring FilterToSystem(const std::wstring& filter);
