#include "framework/CDialog.h"

#include "framework/AppName.h"
#include "framework/CWinApp.h"

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
        ::MessageBoxA(hWnd, "Not enough memory to complete the operation.", AfxGetAppName(), MB_OK | MB_ICONERROR);
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
        BOOL bSetFocus = OnInitDialog();
        // Templates place dialogs at 0, 0: centre them over their owner.
        CenterWindow();
        return bSetFocus;
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
