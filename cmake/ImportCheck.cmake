cmake_minimum_required(VERSION 3.16)
# cmake -DOBJDUMP=... -DPROGRAM=... -P ImportCheck.cmake
# Fails the build when the program imports a DLL at load time that is not one of the
# system's known DLLs. Those alone always come from the system folder; any other static
# import is looked up in the program's folder first, so a copy planted beside the program
# (a downloads folder) would run inside it before our first line. Other system DLLs are
# loaded at run time with LoadSystemLibrary. The program file is removed on failure, so the
# next build checks again.
set(known
    # The KnownDLLs of the session manager (Windows 7 to 11).
    advapi32.dll clbcatq.dll combase.dll comdlg32.dll coml2.dll difxapi.dll gdi32.dll gdiplus.dll
    imagehlp.dll imm32.dll kernel32.dll msctf.dll msvcrt.dll normaliz.dll nsi.dll ole32.dll oleaut32.dll
    psapi.dll rpcrt4.dll sechost.dll setupapi.dll shcore.dll shell32.dll shlwapi.dll user32.dll
    wldap32.dll ws2_32.dll ntdll.dll
    # Not a known DLL, but the manifest binds version 6 through side-by-side assembly
    # redirection, which the search order does not reach.
    comctl32.dll)
# Known, but kept out of a program that sits in the tray: each brings more DLLs and their heaps
# with it (comdlg32 the printing stack, ole32 the COM runtime, comctl32 1.7 MB of its own under
# Wine). They are loaded at first use (SystemLibraryFunction; comctl32 through the import
# pointers of src/framework/uComctl32.cpp, which load it at the first call).
set(late comctl32.dll comdlg32.dll ole32.dll oleaut32.dll winspool.drv)
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
    file(REMOVE ${PROGRAM})
    message(FATAL_ERROR "import check: ${OBJDUMP} could not read ${PROGRAM}")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" names "${dump}")
set(foreign)
foreach(line IN LISTS names)
    string(REGEX REPLACE "DLL Name: " "" name "${line}")
    string(STRIP "${name}" name)
    string(TOLOWER "${name}" lower)
    if(NOT lower IN_LIST known)
        list(APPEND foreign ${name})
    elseif(lower IN_LIST late)
        list(APPEND early ${name})
    endif()
endforeach()
if(NOT names)
    file(REMOVE ${PROGRAM})
    message(FATAL_ERROR "import check: no imports found in ${PROGRAM}")
endif()
if(early)
    file(REMOVE ${PROGRAM})
    message(FATAL_ERROR "import check: ${PROGRAM} imports ${early} at load time; load it at first use (SystemLibraryFunction, or import pointers as in uComctl32.cpp)")
endif()
if(foreign)
    file(REMOVE ${PROGRAM})
    message(FATAL_ERROR "import check: ${PROGRAM} imports ${foreign} at load time; load it with LoadSystemLibrary instead")
endif()
