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
!define PROCESS_TERMINATE 0x0001
!define WAIT_OBJECT_0 0
!define CLOSE_TIMEOUT_MS 15000
!define TOKEN_QUERY 0x0008
!define PROCESS_QUERY_LIMITED_INFORMATION 0x1000
!define TOKEN_ELEVATION 20
; The times of the skins setup put in the program folder, by file name (see KeepEditedSkins).
!define SKIN_TIMES_KEY "${UNINSTALL_KEY}\Skins"

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
Var Elevated        ; setup runs as administrator above the desktop: Korvix is not started from it
Var FinishText

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${SIDE_BITMAP}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "Setup will install ${PRODUCT} ${VERSION} for you alone; it needs no administrator rights.$\r$\n$\r$\nIf ${PRODUCT} is running, setup closes it and keeps your settings.$\r$\n$\r$\nClick Next to continue."
!define MUI_FINISHPAGE_RUN "$INSTDIR\Korvix.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT}"
!define MUI_FINISHPAGE_TEXT "$FinishText"

!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipDirectoryOnUpdate
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishShow
!insertmacro MUI_PAGE_FINISH

!define MUI_PAGE_CUSTOMFUNCTION_LEAVE un.AskAboutSettings
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; CloseRunningCopy: closes a running copy of Korvix with the engine's close message (what
; "Korvix.exe quit" sends; the program itself is not run, since a copy that cannot start
; shows a message box and would keep setup waiting) and waits until its process has ended,
; so its last save of the settings is over and its files are free. A copy that has not
; ended within CLOSE_TIMEOUT_MS (a message box of its own, a hung window): the user is asked
; to close it and retry, to let setup end it, or to stop; a silent run ends it.
; Returns 1 when a copy was running.
!macro DEFINE_CLOSE_RUNNING_COPY un
Function ${un}CloseRunningCopy
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
            System::Call "kernel32::OpenProcess(i ${SYNCHRONIZE}|${PROCESS_TERMINATE}, i 0, i R3) p .R5"
            ${Break}
        ${EndIf}
    ${Loop}
    StrCpy $R4 0
    ${If} $R2 <> 0
        StrCpy $R4 1
        System::Call "user32::PostMessageW(p R2, i ${WM_ENGINECLOSE}, p 0, p 0)"
    ${EndIf}
    ${If} $R5 <> 0
        ${Do}
            System::Call "kernel32::WaitForSingleObject(p R5, i ${CLOSE_TIMEOUT_MS}) i .R3"
            ${If} $R3 = ${WAIT_OBJECT_0}
                ${Break}
            ${EndIf}
            MessageBox MB_ABORTRETRYIGNORE|MB_ICONEXCLAMATION \
                "${PRODUCT} is still running and has not closed.$\r$\n$\r$\nClose it yourself (its tray menu, Exit) and click Retry, click Ignore to have setup end it (changes since its last save are lost), or Abort to stop." \
                /SD IDIGNORE IDRETRY close_retry IDIGNORE close_end
            System::Call "kernel32::CloseHandle(p R5)"
            Abort
            close_end:
            System::Call "kernel32::TerminateProcess(p R5, i 1)"
            System::Call "kernel32::WaitForSingleObject(p R5, i ${CLOSE_TIMEOUT_MS}) i"
            ${Break}
            close_retry:
        ${Loop}
        System::Call "kernel32::CloseHandle(p R5)"
    ${EndIf}
    StrCpy $R3 $R4
    Pop $R5
    Pop $R4
    Exch
    Pop $R2
    Exch $R3
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_RUNNING_COPY ""
!insertmacro DEFINE_CLOSE_RUNNING_COPY "un."

; KeepEditedSkins: a shipped skin that the user changed in place (its time differs from the
; one setup noted when it put the file there) is renamed aside, to "NAME (edited).skn", rather
; than replaced by an update or deleted by the uninstaller: it stays in the program folder
; under that name. $R0: the folder whose *.skn names are the
; shipped skins.
!macro DEFINE_KEEP_EDITED_SKINS un
Function ${un}KeepEditedSkins
    Push $R1
    Push $R2
    Push $R3
    Push $R4
    Push $R5
    FindFirst $R1 $R2 "$R0\*.skn"
    ${DoWhile} $R2 != ""
        ReadRegStr $R3 HKCU "${SKIN_TIMES_KEY}" $R2
        ${If} $R3 != ""
        ${AndIf} ${FileExists} "$INSTDIR\$R2"
            GetFileTime "$INSTDIR\$R2" $R4 $R5
            ${If} $R3 != "$R4 $R5"
                StrCpy $R3 $R2 -4
                StrCpy $R4 "$R3 (edited).skn"
                StrCpy $R5 1
                ${While} ${FileExists} "$INSTDIR\$R4"
                    IntOp $R5 $R5 + 1
                    StrCpy $R4 "$R3 (edited $R5).skn"
                ${EndWhile}
                Rename "$INSTDIR\$R2" "$INSTDIR\$R4"
            ${EndIf}
        ${EndIf}
        FindNext $R1 $R2
    ${Loop}
    FindClose $R1
    Pop $R5
    Pop $R4
    Pop $R3
    Pop $R2
    Pop $R1
FunctionEnd
!macroend
!insertmacro DEFINE_KEEP_EDITED_SKINS ""
!insertmacro DEFINE_KEEP_EDITED_SKINS "un."

; TokenElevated (process handle): 1 when the process's token is elevated; 0 when it is
; not, or when the system has no elevation (the query fails before Vista).
Function TokenElevated
    Exch $0 ; process
    Push $1
    Push $2
    StrCpy $2 0
    System::Call "advapi32::OpenProcessToken(p r0, i ${TOKEN_QUERY}, *p .r1) i .r0"
    ${If} $0 <> 0
        System::Call "advapi32::GetTokenInformation(p r1, i ${TOKEN_ELEVATION}, *i .r2, i 4, *i 0) i .r0"
        ${If} $0 = 0
            StrCpy $2 0
        ${EndIf}
        System::Call "kernel32::CloseHandle(p r1)"
    ${EndIf}
    ${If} $2 <> 0
        StrCpy $2 1
    ${EndIf}
    StrCpy $0 $2
    Pop $2
    Pop $1
    Exch $0
FunctionEnd

; ElevatedAboveDesktop: 1 when setup runs elevated (run as administrator) while the user's
; desktop shell does not. A Korvix started from it would be elevated too, and would trust a
; skin path and a Free-and-Run list that programs without those rights can write: it is not
; started then. Korvix runs as the desktop does; without a desktop shell to compare with
; (another shell, or Wine, whose processes all hold the same elevated token) setup counts as
; running as the user does.
Function ElevatedAboveDesktop
    Push $0
    Push $1
    Push $2
    System::Call "kernel32::GetCurrentProcess() p .r0"
    Push $0
    Call TokenElevated
    Pop $2
    ${If} $2 = 1
        StrCpy $2 0
        System::Call "user32::GetShellWindow() p .r0"
        ${If} $0 <> 0
            System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1)"
            System::Call "kernel32::OpenProcess(i ${PROCESS_QUERY_LIMITED_INFORMATION}, i 0, i r1) p .r0"
            ${If} $0 <> 0
                Push $0
                Call TokenElevated
                Pop $1
                System::Call "kernel32::CloseHandle(p r0)"
                ${If} $1 = 0
                    StrCpy $2 1
                ${EndIf}
            ${EndIf}
        ${EndIf}
    ${EndIf}
    StrCpy $0 $2
    Pop $2
    Pop $1
    Exch $0
FunctionEnd

Function .onInit
    Call ElevatedAboveDesktop
    Pop $Elevated
    StrCpy $FinishText "${PRODUCT} has been installed on your computer.$\r$\n$\r$\nClick Finish to close this wizard."
    ${If} $Elevated = 1
        StrCpy $FinishText "${PRODUCT} has been installed on your computer.$\r$\n$\r$\nSetup ran as administrator, so it does not start ${PRODUCT}: start it from the Start menu as yourself.$\r$\n$\r$\nClick Finish to close this wizard."
    ${EndIf}
    StrCpy $Updating 0
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
    ${AndIf} ${FileExists} "$0\Korvix.exe"
        StrCpy $Updating 1
        StrCpy $INSTDIR $0
    ${EndIf}
FunctionEnd

; Run as administrator, setup offers no start: Korvix would run elevated.
Function FinishShow
    ${If} $Elevated = 1
        SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
        ShowWindow $mui.FinishPage.Run ${SW_HIDE}
    ${EndIf}
FunctionEnd

Function SkipDirectoryOnUpdate
    ${If} $Updating = 1
        Abort
    ${EndIf}
FunctionEnd

Section "Korvix Professional"
    Call CloseRunningCopy
    Pop $WasRunning

    ; This setup's program folder, first unpacked aside: its skins are the shipped ones.
    InitPluginsDir
    SetOutPath "$PLUGINSDIR\shipped"
    Call InstallProgramFiles
    StrCpy $R0 "$PLUGINSDIR\shipped"
    Call KeepEditedSkins
    SetOutPath "$INSTDIR"
    Call InstallProgramFiles
    FindFirst $0 $1 "$PLUGINSDIR\shipped\*.skn"
    ${DoWhile} $1 != ""
        GetFileTime "$INSTDIR\$1" $2 $3
        WriteRegStr HKCU "${SKIN_TIMES_KEY}" $1 "$2 $3"
        FindNext $0 $1
    ${Loop}
    FindClose $0
    SetOutPath "$INSTDIR"
    RMDir /r "$PLUGINSDIR\shipped"
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

    ; A silent update must not leave the user without the copy that was running (unless
    ; setup runs as administrator: that copy would be elevated).
    ${If} ${Silent}
    ${AndIf} $WasRunning = 1
    ${AndIf} $Elevated = 0
        Exec '"$INSTDIR\Korvix.exe"'
    ${EndIf}
SectionEnd

; The program folder of this system: the 64-bit program on 64-bit Windows.
Function InstallProgramFiles
    ${If} ${RunningX64}
        !insertmacro KORVIX_FILES_WIN64
    ${Else}
        !insertmacro KORVIX_FILES_WIN32
    ${EndIf}
FunctionEnd

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
    ; The running copy's last save comes first: it may write the autostart entry.
    Call un.CloseRunningCopy
    Pop $0
    ; The autostart entry is shared by every copy: it goes only when it starts this one.
    ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${If} $0 != ""
        StrCpy $1 '"$INSTDIR\Korvix.exe"'
        StrLen $2 $1
        StrCpy $3 $0 $2
        StrCpy $4 $0 "" $2 ; its parameters: " autostart" as Korvix writes them
        StrCpy $5 $4 1
        ${If} $3 == $1
            ${If} $4 == ""
            ${OrIf} $5 == " "
                DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
            ${EndIf}
        ${EndIf}
    ${EndIf}

    StrCpy $R0 "$INSTDIR"
    Call un.KeepEditedSkins
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
