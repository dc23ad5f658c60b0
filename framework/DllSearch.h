// Where the program's DLLs come from. The program runs elevated and is often
// started from a folder where anyone may leave a file named like a DLL (the
// Downloads folder); Windows looks in the program's own folder first for
// every DLL that it does not protect as a known DLL. So DLLs come from the
// system folder only.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

// Restricts the search for DLLs loaded by name to the system folder, for this
// process and for every library it loads later. Called first thing at
// start-up, before anything loads a library. Windows Vista and 7 without
// update KB2533623 lack SetDefaultDllDirectories: there only the current
// folder is taken out of the search, and the program's own folder stays in it.
void AfxRestrictDllSearch();

// InitCommonControlsEx of comctl32.dll from the system folder, bound at run
// time, so that the program imports no DLL that Windows does not protect.
// FALSE when the library or the function cannot be had. The library stays
// loaded: the window classes it registers live in it.
BOOL AfxInitCommonControlsEx(const INITCOMMONCONTROLSEX* pControls);

// FindTextW of comdlg32.dll from the system folder, bound at run time (the
// first call loads the library); nullptr when the library or the function
// cannot be had. comdlg32.dll is a known DLL, and Windows takes the libraries
// it imports from the system folder too; Wine does not, and a load-time
// import of it would load comctl32.dll from the program's folder before the
// program could restrict the search. Loaded later, it finds comctl32.dll
// already loaded from the system folder. The Unicode form, so that the Find
// dialog takes any character typed.
HWND AfxFindText(FINDREPLACEW* pfr);

// Loads a library by its full path in the system folder, whatever the
// search order of the moment; nullptr when it cannot be loaded.
HMODULE AfxLoadSystemLibrary(const char* pszFileName);

// A library's entry point as a function pointer of type T; nullptr when the
// library has none of that name.
template <typename T>
T AfxGetProcAddress(HMODULE hModule, const char* pszName)
{
    // Through a generic function pointer type: a direct cast from FARPROC
    // draws a cast-function-type warning.
    return reinterpret_cast<T>(reinterpret_cast<void (*)()>(::GetProcAddress(hModule, pszName)));
}
