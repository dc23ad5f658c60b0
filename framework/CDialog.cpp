#include "framework/CDialog.h"

#include "framework/AppName.h"
#include "framework/CWinApp.h"
#include "framework/Dpi.h"

#include <new>

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

INT_PTR CDialog::DoModal()
{
    HWND hOwner = nullptr;
    if (m_pParentWnd)
        hOwner = m_pParentWnd->m_hWnd;
    else if (CWinApp* pApp = AfxGetApp(); pApp && pApp->m_pMainWnd && pApp->m_pMainWnd != this)
        hOwner = pApp->m_pMainWnd->m_hWnd;
    INT_PTR nResult =
        m_bUnicode ? ::DialogBoxParamW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), hOwner,
                                       &CDialog::DialogProc, reinterpret_cast<LPARAM>(this))
                   : ::DialogBoxParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), hOwner,
                                       &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    if (m_hScaledFont)
        ::DeleteObject(m_hScaledFont);
    m_hScaledFont = nullptr;
    return nResult;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::EndDialog(int nResult)
{
    ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    CDialog* pThis = nullptr;
    if (nMsg == WM_INITDIALOG)
    {
        pThis = reinterpret_cast<CDialog*>(lParam);
        pThis->m_hWnd = hWnd;
        ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
    }
    else
    {
        pThis = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    }
    if (!pThis)
        return FALSE;

    // No exception may cross the window procedure into the system.
    try
    {
        return pThis->HandleMessage(nMsg, wParam, lParam);
    }
    catch (const std::bad_alloc&)
    {
        ::MessageBoxA(hWnd, kOutOfMemoryText, AfxGetAppName(), MB_OK | MB_ICONERROR);
    }
    catch (...)
    {
        ::MessageBoxA(hWnd, "An unexpected error stopped the operation.", AfxGetAppName(), MB_OK | MB_ICONERROR);
    }
    return TRUE;
}

INT_PTR CDialog::HandleMessage(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (nMsg == WM_INITDIALOG)
    {
        m_nDpi = AfxGetWindowDpi(m_hWnd);
        BOOL bSetFocus = OnInitDialog();
        // Templates place dialogs at 0, 0: centre them over their owner.
        CenterWindow();
        return bSetFocus;
    }

    if (nMsg == WM_DPICHANGED)
    {
        // Then the default processing: for a per-monitor v2 window that is
        // where the dialog manager lays the dialog out anew.
        HandleDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return FALSE;
    }

    LRESULT lResult = 0;
    BOOL bHandled = OnWndMsg(nMsg, wParam, lParam, &lResult);
    if (!bHandled && nMsg == WM_COMMAND && HIWORD(wParam) == 0)
    {
        // Commands nobody here takes go to the application's map.
        if (CWinApp* pApp = AfxGetApp())
            bHandled = pApp->OnCmdMsg(LOWORD(wParam));
    }
    if (!bHandled)
        return FALSE;
    switch (nMsg)
    {
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        return static_cast<INT_PTR>(lResult);  // these return their result directly
    default:
        ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, lResult);
        return TRUE;
    }
}

void CDialog::HandleDpiChanged(UINT nNewDpi, const RECT& suggested)
{
    const UINT nOldDpi = m_nDpi;
    if (nNewDpi == 0)
        return;
    m_nDpi = nNewDpi;
    if (!AfxSystemScalesDialogs(m_hWnd))
    {
        // The rectangle Windows suggests keeps the window where it was on
        // the screen it moved to, at the new size.
        ScaleControls(nOldDpi, nNewDpi);
        ::SetWindowPos(m_hWnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                       suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    OnDpiChanged(nOldDpi, nNewDpi);
}

void CDialog::ScaleControls(UINT nOldDpi, UINT nNewDpi)
{
    // The font the controls have, at the new size: the template's font at
    // first (which the dialog keeps and deletes), then the last one made here.
    HFONT hFont = m_hScaledFont ? m_hScaledFont : reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    HFONT hNewFont = nullptr;
    LOGFONTA font;
    if (hFont && ::GetObjectA(hFont, sizeof(font), &font) == sizeof(font))
    {
        font.lfHeight = AfxRescaleForDpi(font.lfHeight, nOldDpi, nNewDpi);
        font.lfWidth = AfxRescaleForDpi(font.lfWidth, nOldDpi, nNewDpi);
        hNewFont = ::CreateFontIndirectA(&font);
    }
    for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
    {
        RECT rc;
        ::GetWindowRect(hChild, &rc);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        // Sizes are rounded on their own, so that a control of one line's
        // height keeps room for the line.
        ::SetWindowPos(hChild, nullptr, AfxRescaleForDpi(rc.left, nOldDpi, nNewDpi),
                       AfxRescaleForDpi(rc.top, nOldDpi, nNewDpi),
                       AfxRescaleForDpi(rc.right - rc.left, nOldDpi, nNewDpi),
                       AfxRescaleForDpi(rc.bottom - rc.top, nOldDpi, nNewDpi), SWP_NOZORDER | SWP_NOACTIVATE);
        if (hNewFont)
            ::SendMessageA(hChild, WM_SETFONT, reinterpret_cast<WPARAM>(hNewFont), TRUE);
    }
    if (hNewFont)
    {
        if (m_hScaledFont)
            ::DeleteObject(m_hScaledFont);
        m_hScaledFont = hNewFont;
    }
}
