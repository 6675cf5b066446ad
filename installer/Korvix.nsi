; Korvix Professional setup: installs for the current user without administrator rights,
; the 64-bit program on 64-bit Windows and the 32-bit program elsewhere.
;
; Built by scripts/dist.sh (make dist) from the repository's root with makensis -NOCD, which
; defines VERSION (x.y.z), OUTFILE, ICON, SIDE_BITMAP and FILES, the generated include that lists what the
; program folders dist/win32 and dist/win64 hold (macros KORVIX_FILES_WIN32,
; KORVIX_FILES_WIN64 and KORVIX_REMOVE_FILES). Silent: /S.

Unicode true
ManifestDPIAware true
ManifestSupportedOS all
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include ${FILES}

!define PRODUCT "Korvix Professional"
!define PUBLISHER "Tarvendel"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvix Professional"
!define OPTIONS_KEY "Software\Tarvendel\Korvix Professional 5"
!define VENDOR_KEY "Software\Tarvendel"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Korvix Pro"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define UNINSTALLER "Uninstall.exe"
; The running copy's address: its engine window, told from foreign windows of the same
; title by its answer to the identify message.
!define ENGINE_TITLE "Memory Engine"
!define WM_ENGINEIDENTIFY 1044
!define WM_ENGINECLOSE 1052
!define ENGINE_SIGNATURE 140971
!define SYNCHRONIZE 0x00100000
!define CLOSE_TIMEOUT_MS 15000

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; The per-user programs folder (FOLDERID_UserProgramFiles); an update goes where the last
; installation went.
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) ${PUBLISHER}"

Var Updating        ; an installation exists already: its folder is kept
Var WasRunning      ; a copy of Korvix was running when setup began to replace files
Var RemoveSettings  ; the user chose to remove the settings as well (never in silent mode)

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${SIDE_BITMAP}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "Setup will install ${PRODUCT} ${VERSION} for you alone; it needs no administrator rights.$\r$\n$\r$\nIf ${PRODUCT} is running, setup closes it and keeps your settings.$\r$\n$\r$\nClick Next to continue."
!define MUI_FINISHPAGE_RUN "$INSTDIR\Korvix.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT}"

!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipDirectoryOnUpdate
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!define MUI_PAGE_CUSTOMFUNCTION_LEAVE un.AskAboutSettings
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; CloseRunningCopy (program, parameter): closes a running copy of Korvix and waits until its
; process has ended, so its last save of the settings is over and its files are free.
; The program is asked with its own command line ("quit", "UNINSTALL"); when the folder holds
; no program, the engine window gets the close message that command would send.
; Returns 1 when a copy was running.
!macro DEFINE_CLOSE_RUNNING_COPY un
Function ${un}CloseRunningCopy
    Exch $R1 ; parameter
    Exch
    Exch $R0 ; program
    Push $R2
    Push $R3
    Push $R4
    Push $R5
    StrCpy $R2 0 ; engine window
    StrCpy $R5 0 ; its process
    ${Do}
        System::Call "user32::FindWindowExW(p 0, p R2, p 0, w '${ENGINE_TITLE}') p .R2"
        ${If} $R2 = 0
            ${Break}
        ${EndIf}
        SendMessage $R2 ${WM_ENGINEIDENTIFY} 0 0 $R3 /TIMEOUT=2000
        ${If} $R3 = ${ENGINE_SIGNATURE}
            System::Call "user32::GetWindowThreadProcessId(p R2, *i .R3)"
            System::Call "kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i R3) p .R5"
            ${Break}
        ${EndIf}
    ${Loop}
    ${If} ${FileExists} "$R0"
        ExecWait '"$R0" $R1'
    ${ElseIf} $R2 <> 0
        System::Call "user32::PostMessageW(p R2, i ${WM_ENGINECLOSE}, p 0, p 0)"
    ${EndIf}
    StrCpy $R4 0
    ${If} $R2 <> 0
        StrCpy $R4 1
        ${If} $R5 <> 0
            System::Call "kernel32::WaitForSingleObject(p R5, i ${CLOSE_TIMEOUT_MS}) i"
            System::Call "kernel32::CloseHandle(p R5)"
        ${EndIf}
    ${EndIf}
    StrCpy $R0 $R4
    Pop $R5
    Pop $R4
    Pop $R3
    Pop $R2
    Pop $R1
    Exch $R0
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_RUNNING_COPY ""
!insertmacro DEFINE_CLOSE_RUNNING_COPY "un."

Function .onInit
    StrCpy $Updating 0
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
    ${AndIf} ${FileExists} "$0\Korvix.exe"
        StrCpy $Updating 1
        StrCpy $INSTDIR $0
    ${EndIf}
FunctionEnd

Function SkipDirectoryOnUpdate
    ${If} $Updating = 1
        Abort
    ${EndIf}
FunctionEnd

Section "Korvix Professional"
    Push "$INSTDIR\Korvix.exe"
    Push "quit"
    Call CloseRunningCopy
    Pop $WasRunning

    SetOutPath "$INSTDIR"
    ${If} ${RunningX64}
        !insertmacro KORVIX_FILES_WIN64
    ${Else}
        !insertmacro KORVIX_FILES_WIN32
    ${EndIf}
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    CreateShortcut "${SHORTCUT}" "$INSTDIR\Korvix.exe" "" "$INSTDIR\Korvix.exe" 0 SW_SHOWNORMAL "" \
        "Frees physical memory; shows memory and processor load in the notification area"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Korvix.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1

    ; A silent update must not leave the user without the copy that was running.
    ${If} ${Silent}
    ${AndIf} $WasRunning = 1
        Exec '"$INSTDIR\Korvix.exe"'
    ${EndIf}
SectionEnd

Function un.onInit
    StrCpy $RemoveSettings 0
FunctionEnd

; Asked when the user has confirmed, on the window's own thread (the question is not part of the
; silent uninstallation, which keeps the settings).
Function un.AskAboutSettings
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
        "Do you want to remove your ${PRODUCT} settings as well?$\r$\n$\r$\nKeep them if you are going to install ${PRODUCT} again." \
        IDNO +2
    StrCpy $RemoveSettings 1
FunctionEnd

Section "Uninstall"
    ; UNINSTALL closes the running copy and removes the autostart entry.
    Push "$INSTDIR\Korvix.exe"
    Push "UNINSTALL"
    Call un.CloseRunningCopy
    Pop $0
    ${IfNot} ${FileExists} "$INSTDIR\Korvix.exe"
        DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${EndIf}

    !insertmacro KORVIX_REMOVE_FILES
    Delete "$INSTDIR\${UNINSTALLER}"
    ; Only an empty folder goes: files the user put there stay.
    RMDir "$INSTDIR"
    Delete "${SHORTCUT}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"

    ${If} $RemoveSettings = 1
        DeleteRegKey HKCU "${OPTIONS_KEY}"
        DeleteRegKey /ifempty HKCU "${VENDOR_KEY}"
    ${EndIf}
SectionEnd
