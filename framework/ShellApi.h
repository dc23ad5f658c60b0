// The shell entry points the program needs, bound at run time from
// "shell32.dll" for the lifetime of the object.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

// shlobj.h maps this name to its A or W form; the member below keeps the
// plain name (the header's include guard keeps the macro from coming back).
#ifdef SHGetSpecialFolderPath
#undef SHGetSpecialFolderPath
#endif

class CShellApi
{
public:
    // Loads the library and looks up the entry points; whatever cannot be
    // had stays null.
    CShellApi();
    virtual ~CShellApi();
    CShellApi(const CShellApi&) = delete;
    CShellApi& operator=(const CShellApi&) = delete;

    // SHGetSpecialFolderPathA with the same arguments, or FALSE when the
    // entry point is missing.
    BOOL SHGetSpecialFolderPath(HWND hwndOwner, LPSTR pszPath, int nFolder, BOOL bCreate);
    // SHGetSpecialFolderPathW, or FALSE when the entry point is missing: the
    // folder's own text, which the narrow form cannot always spell.
    BOOL SHGetSpecialFolderPathW(HWND hwndOwner, LPWSTR pszPath, int nFolder, BOOL bCreate);

    // Test hook: the library that later objects load instead of
    // "shell32.dll" (nullptr puts it back). A name that does not load, or a
    // library without the entry points, lets a test take the fallback paths.
    static void SetLibraryNameForTesting(const char* pszName);

private:
    typedef UINT(WINAPI* PFNDRAGQUERYFILEA)(HDROP, UINT, LPSTR, UINT);
    typedef UINT(WINAPI* PFNDRAGQUERYFILEW)(HDROP, UINT, LPWSTR, UINT);
    typedef BOOL(WINAPI* PFNSHGETSPECIALFOLDERPATHA)(HWND, LPSTR, int, BOOL);
    typedef BOOL(WINAPI* PFNSHGETSPECIALFOLDERPATHW)(HWND, LPWSTR, int, BOOL);

    HMODULE m_hShell;
    PFNDRAGQUERYFILEA m_pfnDragQueryFileA;
    PFNDRAGQUERYFILEW m_pfnDragQueryFileW;
    PFNSHGETSPECIALFOLDERPATHA m_pfnSHGetSpecialFolderPathA;
    PFNSHGETSPECIALFOLDERPATHW m_pfnSHGetSpecialFolderPathW;
};
