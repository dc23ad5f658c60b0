#include "hosts/ShellApi.h"

namespace
{
const char* s_pszLibraryOverride = nullptr;

template <typename T>
T LookUp(HMODULE hModule, const char* pszName)
{
    // Through a generic function pointer type: a direct cast from FARPROC
    // draws a cast-function-type warning.
    return reinterpret_cast<T>(reinterpret_cast<void (*)()>(::GetProcAddress(hModule, pszName)));
}
}

CShellApi::CShellApi()
    : m_hShell(nullptr),
      m_pfnDragQueryFileA(nullptr),
      m_pfnDragQueryFileW(nullptr),
      m_pfnSHGetSpecialFolderPathA(nullptr),
      m_pfnSHGetSpecialFolderPathW(nullptr)
{
    m_hShell = ::LoadLibraryA(s_pszLibraryOverride ? s_pszLibraryOverride : "shell32.dll");
    if (!m_hShell)
        return;
    m_pfnDragQueryFileA = LookUp<PFNDRAGQUERYFILEA>(m_hShell, "DragQueryFileA");
    m_pfnDragQueryFileW = LookUp<PFNDRAGQUERYFILEW>(m_hShell, "DragQueryFileW");
    m_pfnSHGetSpecialFolderPathA = LookUp<PFNSHGETSPECIALFOLDERPATHA>(m_hShell, "SHGetSpecialFolderPathA");
    m_pfnSHGetSpecialFolderPathW = LookUp<PFNSHGETSPECIALFOLDERPATHW>(m_hShell, "SHGetSpecialFolderPathW");
}

CShellApi::~CShellApi()
{
    if (m_hShell)
    {
        ::FreeLibrary(m_hShell);
        m_hShell = nullptr;
    }
}

BOOL CShellApi::SHGetSpecialFolderPath(HWND hwndOwner, LPSTR pszPath, int nFolder, BOOL bCreate)
{
    if (!m_pfnSHGetSpecialFolderPathA)
        return FALSE;
    return m_pfnSHGetSpecialFolderPathA(hwndOwner, pszPath, nFolder, bCreate);
}

BOOL CShellApi::SHGetSpecialFolderPathW(HWND hwndOwner, LPWSTR pszPath, int nFolder, BOOL bCreate)
{
    if (!m_pfnSHGetSpecialFolderPathW)
        return FALSE;
    return m_pfnSHGetSpecialFolderPathW(hwndOwner, pszPath, nFolder, bCreate);
}

void CShellApi::SetLibraryNameForTesting(const char* pszName)
{
    s_pszLibraryOverride = pszName;
}
