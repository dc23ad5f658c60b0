#include "framework/ShellApi.h"

#include "framework/DllSearch.h"

namespace
{
const char* s_pszLibraryOverride = nullptr;
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
    m_pfnDragQueryFileA = AfxGetProcAddress<PFNDRAGQUERYFILEA>(m_hShell, "DragQueryFileA");
    m_pfnDragQueryFileW = AfxGetProcAddress<PFNDRAGQUERYFILEW>(m_hShell, "DragQueryFileW");
    m_pfnSHGetSpecialFolderPathA = AfxGetProcAddress<PFNSHGETSPECIALFOLDERPATHA>(m_hShell, "SHGetSpecialFolderPathA");
    m_pfnSHGetSpecialFolderPathW = AfxGetProcAddress<PFNSHGETSPECIALFOLDERPATHW>(m_hShell, "SHGetSpecialFolderPathW");
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
