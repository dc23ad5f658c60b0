// A modal dialog run from a dialog template resource.
#pragma once

#include "framework/CDataExchange.h"
#include "framework/CWnd.h"

class CDialog : public CWnd
{
public:
    // With no parent, the application's main window owns the dialog.
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    virtual INT_PTR DoModal();
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    void EndDialog(int nResult);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

protected:
    virtual void DoDataExchange(CDataExchange* pDX) {}
    // The window has moved to a screen of another DPI (WM_DPICHANGED): it
    // has its new size, and its controls theirs. Here a dialog scales
    // whatever it gave in pixels itself (list columns, icons).
    virtual void OnDpiChanged(UINT nOldDpi, UINT nNewDpi) {}

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    // The dialog and its controls are Unicode windows: they take every
    // character typed, also one that the ANSI code page cannot spell.
    bool m_bUnicode = false;
    // The DPI the window is drawn at: its screen's, from when it is created.
    UINT m_nDpi = 96;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT nMsg, WPARAM wParam, LPARAM lParam);
    void HandleDpiChanged(UINT nNewDpi, const RECT& suggested);
    // Where Windows does not lay the dialog out anew for another DPI: moves
    // and sizes the controls and gives them a font of the new size.
    void ScaleControls(UINT nOldDpi, UINT nNewDpi);

    HFONT m_hScaledFont = nullptr;  // the controls' font made by ScaleControls

    DECLARE_MESSAGE_MAP()
};
