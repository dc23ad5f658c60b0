// Finding a line in the main window: the system's Find dialog (modeless,
// owned by the window), Find Next and Find Previous, and the keys of the
// Edit menu.
//
// The main window runs in the dialog manager's modal loop, which knows
// neither the Find dialog nor accelerators. A message filter hook on the
// window's thread gives the Find dialog its keys (IsDialogMessage: Tab,
// Enter, Escape) and the main window and its controls theirs
// (TranslateAccelerator: Ctrl+F, F3, Shift+F3, Ctrl+A). It takes no message
// meant for any other window, so the message boxes and dialogs the program
// opens behave as before.
#pragma once

#include "framework/CListCtrl.h"
#include "hosts/document/EntryList.h"

#include <windows.h>
#include <commdlg.h>

class CFindController
{
public:
    // owner: the main window, which gets the Find dialog's messages; the
    // rows are searched in entries and shown in list.
    CFindController(CWnd& owner, CListCtrl& list, const CEntryList& entries);
    ~CFindController();
    CFindController(const CFindController&) = delete;
    CFindController& operator=(const CFindController&) = delete;

    // When the window has been created and when it is being destroyed: the
    // keys and the hook; Stop also closes the Find dialog.
    void Start();
    void Stop();

    // Opens the Find dialog, or activates it when it is open already.
    void OnFind();
    // Searches down (or up) from the focused row for the last text searched,
    // with its "Match case"; opens the Find dialog when nothing was searched.
    // The text is looked for in the rows' encoding: UTF-8 in a file shown as
    // UTF-8, the ANSI code page otherwise, where a text with a character
    // that the code page cannot spell is in no row.
    void Search(bool bDown);
    // The Find dialog's message (s_nFindMessage) to its owner.
    LRESULT OnFindMessage(WPARAM wParam, LPARAM lParam);

    static const UINT s_nFindMessage;

private:
    static LRESULT CALLBACK FilterProc(int nCode, WPARAM wParam, LPARAM lParam);
    // True when the message has been handled as a key of either window.
    bool Filter(MSG& msg);

    CWnd& m_owner;
    CListCtrl& m_list;
    const CEntryList& m_entries;

    // The Find dialog is a Unicode window: it takes every character typed,
    // whatever the ANSI code page.
    FINDREPLACEW m_fr;
    wchar_t m_szFindWhat[256];  // the Find dialog's text, up to 255 characters
    wchar_t m_szLast[256];      // the last text searched
    DWORD m_dwLastFlags = FR_DOWN;  // and its direction and "Match case"
    bool m_bSearched = false;
    bool m_bShowingNotFound = false;
    HWND m_hFindDlg = nullptr;
    HACCEL m_hAccel = nullptr;
    HHOOK m_hHook = nullptr;

    // The program has one main window; its hook finds it here.
    static CFindController* s_pActive;
    // The message being filtered: IsDialogMessage calls the hook again with it.
    static const MSG* s_pFiltering;
};
