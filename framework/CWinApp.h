// The one application object: start-up, the application title, the
// registry-backed profile and the main window pointer.
#pragma once

#include "framework/CCmdTarget.h"
#include "framework/CString.h"

#include <windows.h>

class CWnd;

class CWinApp : public CCmdTarget
{
public:
    // With no name, the title is loaded from string resource 57344 at start-up.
    explicit CWinApp(const char* pszAppName = nullptr);
    ~CWinApp() override;

    // Start-up before InitInstance: instance handle and application title.
    void InitApplication(HINSTANCE hInstance);
    virtual BOOL InitInstance() { return TRUE; }

    // The profile lives under HKEY_CURRENT_USER\Software\<key>\<title>.
    void SetRegistryKey(const char* pszRegistryKey);
    CString GetProfileString(const char* pszSection, const char* pszEntry, const char* pszDefault = nullptr);
    UINT GetProfileInt(const char* pszSection, const char* pszEntry, int nDefault);
    BOOL WriteProfileString(const char* pszSection, const char* pszEntry, const char* pszValue);
    BOOL WriteProfileInt(const char* pszSection, const char* pszEntry, int nValue);

    // Icon group resource of this module.
    HICON LoadIcon(UINT nIDResource) const;

    // The classic look switches; the system draws its own controls now.
    BOOL Enable3dControls() { return TRUE; }

    void OnHelp();

    HINSTANCE m_hInstance;
    CString m_strAppName;
    CString m_strRegistryKey;
    CWnd* m_pMainWnd;

private:
    HKEY OpenSectionKey(const char* pszSection, bool bCreate);
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxFindResourceHandle(const char* pszName, const char* pszType);
void AfxEnableControlContainer();

// The framework's entry: start-up of the application object, InitInstance,
// and the exit code.
int AfxWinMain(CWinApp* pApp, HINSTANCE hInstance);
