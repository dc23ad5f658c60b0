// Drives the program's real dialogs from a second thread, as a user would:
// finds its windows, sends commands and keys, reads list cells and message
// boxes, and answers them. The dialogs run their modal loops on the test's
// own thread (RunModal).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct MessageBoxSeen
{
    HWND hWnd = nullptr;
    std::string caption;
    std::string text;
    std::vector<int> buttons;  // visible button ids, for example {IDYES, IDNO}
    std::string icon;          // "information", "question", "error", "warning" or ""
};

class UiDriver
{
public:
    // hSyncWnd: a window of the UI thread that Sync posts to; nullptr when
    // the UI runs in another process.
    explicit UiDriver(DWORD dwUiThreadId, HWND hSyncWnd = nullptr)
        : m_dwUiThreadId(dwUiThreadId), m_hSyncWnd(hSyncWnd) {}

    // The newest visible dialog of the UI thread with this caption that is
    // not a message box; nullptr after the timeout.
    HWND WaitForDialog(const char* pszCaption, int nTimeoutMs = 10000);
    // The newest visible message box of the UI thread.
    MessageBoxSeen WaitForMessageBox(int nTimeoutMs = 10000);
    // True when no message box is open now.
    bool NoMessageBox();
    // Every visible top-level window of the UI thread.
    std::vector<HWND> Windows();

    void Command(HWND hDlg, int nID);  // a menu command or a button click
    void Key(HWND hDlg, UINT vk);      // a key pressed in the dialog's focused control
    // The same with Ctrl or Shift (VK_CONTROL, VK_SHIFT) held down until the
    // key's messages have been handled; in-process only.
    void KeyWith(HWND hDlg, UINT vkModifier, UINT vk);
    // Characters typed into a control, as the keyboard's WM_CHAR messages:
    // bytes of the ANSI code page, or UTF-16 units, as the keyboard (or an
    // input method) gives them whatever the code page.
    static void Type(HWND hControl, const char* pszText);
    static void Type(HWND hControl, const wchar_t* pszText);
    void Answer(const MessageBoxSeen& box, int nButton);

    // Rows of a report list, read through the control itself.
    static int RowCount(HWND hList);
    static std::string Cell(HWND hList, int nRow, int nColumn);
    // The same in UTF-16, as the list draws it.
    static std::wstring CellW(HWND hList, int nRow, int nColumn);
    static void Select(HWND hList, const std::vector<int>& rows);
    static std::vector<int> SelectedRows(HWND hList);

    // Waits until the UI thread has handled everything posted so far (or has
    // started a nested modal loop for it). In-process only.
    void Sync(HWND hWnd = nullptr);

    // Polls until the condition holds; false after the timeout.
    static bool WaitUntil(const std::function<bool()>& condition, int nTimeoutMs = 10000);

private:
    DWORD m_dwUiThreadId;
    HWND m_hSyncWnd;
};

// Runs pfnModal on this thread (it shows a modal dialog) while the script
// drives it from another thread. If the script ends and the dialogs are still
// open after a grace period, they are closed, so a failing test cannot hang.
void RunModal(const std::function<void()>& modal, const std::function<void(UiDriver&)>& script);
