#include "framework/CWinApp.h"

#include "framework/AppName.h"
#include "framework/CWnd.h"

namespace
{
CWinApp* g_pApp = nullptr;

// String resource 57344: the application title.
const UINT kAppTitleStringId = 57344;
}

CWinApp::CWinApp(const char* pszAppName)
    : m_hInstance(nullptr), m_strAppName(pszAppName), m_pMainWnd(nullptr)
{
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

void CWinApp::InitApplication(HINSTANCE hInstance)
{
    m_hInstance = hInstance;
    if (m_strAppName.IsEmpty())
    {
        char szTitle[256] = "";
        ::LoadStringA(hInstance, kAppTitleStringId, szTitle, sizeof(szTitle));
        m_strAppName = szTitle;
    }
    AfxSetAppName(m_strAppName);
}

void CWinApp::SetRegistryKey(const char* pszRegistryKey)
{
    m_strRegistryKey = pszRegistryKey;
}

HKEY CWinApp::OpenSectionKey(const char* pszSection, bool bCreate)
{
    if (m_strRegistryKey.IsEmpty())
        return nullptr;
    CString path;
    path.Format("Software\\%s\\%s\\%s", m_strRegistryKey.c_str(), m_strAppName.c_str(), pszSection);
    HKEY hKey = nullptr;
    LONG lResult = bCreate
        ? ::RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_READ | KEY_WRITE, nullptr, &hKey, nullptr)
        : ::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &hKey);
    return lResult == ERROR_SUCCESS ? hKey : nullptr;
}

CString CWinApp::GetProfileString(const char* pszSection, const char* pszEntry, const char* pszDefault)
{
    CString value(pszDefault);
    HKEY hKey = OpenSectionKey(pszSection, false);
    if (!hKey)
        return value;
    DWORD dwType = 0;
    DWORD cbData = 0;
    if (::RegQueryValueExA(hKey, pszEntry, nullptr, &dwType, nullptr, &cbData) == ERROR_SUCCESS &&
        (dwType == REG_SZ || dwType == REG_EXPAND_SZ))
    {
        CString text;
        char* pBuffer = text.GetBuffer(static_cast<int>(cbData) + 1);
        DWORD cbRead = cbData;
        if (::RegQueryValueExA(hKey, pszEntry, nullptr, &dwType, reinterpret_cast<BYTE*>(pBuffer), &cbRead) ==
            ERROR_SUCCESS)
        {
            pBuffer[cbRead < cbData + 1 ? cbRead : cbData] = '\0';
            text.ReleaseBuffer();
            value = text;
        }
    }
    ::RegCloseKey(hKey);
    return value;
}

UINT CWinApp::GetProfileInt(const char* pszSection, const char* pszEntry, int nDefault)
{
    UINT nValue = static_cast<UINT>(nDefault);
    HKEY hKey = OpenSectionKey(pszSection, false);
    if (!hKey)
        return nValue;
    DWORD dwType = 0;
    DWORD dwValue = 0;
    DWORD cbData = sizeof(dwValue);
    if (::RegQueryValueExA(hKey, pszEntry, nullptr, &dwType, reinterpret_cast<BYTE*>(&dwValue), &cbData) ==
            ERROR_SUCCESS &&
        dwType == REG_DWORD)
        nValue = dwValue;
    ::RegCloseKey(hKey);
    return nValue;
}

BOOL CWinApp::WriteProfileString(const char* pszSection, const char* pszEntry, const char* pszValue)
{
    HKEY hKey = OpenSectionKey(pszSection, true);
    if (!hKey)
        return FALSE;
    LONG lResult = ::RegSetValueExA(hKey, pszEntry, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszValue),
                                    static_cast<DWORD>(lstrlenA(pszValue) + 1));
    ::RegCloseKey(hKey);
    return lResult == ERROR_SUCCESS;
}

BOOL CWinApp::WriteProfileInt(const char* pszSection, const char* pszEntry, int nValue)
{
    HKEY hKey = OpenSectionKey(pszSection, true);
    if (!hKey)
        return FALSE;
    DWORD dwValue = static_cast<DWORD>(nValue);
    LONG lResult = ::RegSetValueExA(hKey, pszEntry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue),
                                    sizeof(dwValue));
    ::RegCloseKey(hKey);
    return lResult == ERROR_SUCCESS;
}

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    const char* pszName = MAKEINTRESOURCEA(nIDResource);
    return ::LoadIconA(AfxFindResourceHandle(pszName, RT_GROUP_ICON), pszName);
}

void CWinApp::OnHelp()
{
    // There is no help file; the help command opens nothing rather than an
    // error about a missing file.
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

HINSTANCE AfxGetInstanceHandle()
{
    return g_pApp && g_pApp->m_hInstance ? g_pApp->m_hInstance : ::GetModuleHandleA(nullptr);
}

HINSTANCE AfxFindResourceHandle(const char* pszName, const char* pszType)
{
    // One module holds every resource of the program.
    (void)pszName;
    (void)pszType;
    return AfxGetInstanceHandle();
}

void AfxEnableControlContainer()
{
    // No ActiveX controls are hosted; nothing to set up.
}

int AfxWinMain(CWinApp* pApp, HINSTANCE hInstance)
{
    pApp->InitApplication(hInstance);
    // The program's windows are modal and run their own loops inside
    // InitInstance; when it returns, the program ends.
    pApp->InitInstance();
    return 0;
}
