#include "UiDriver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <thread>

namespace
{
const int kMessageBoxTextId = 0xFFFF;

std::string WindowText(HWND hWnd)
{
    char szText[4096] = "";
    ::GetWindowTextA(hWnd, szText, sizeof(szText));
    return szText;
}

// A message box shows its text in a static control with id 0xFFFF, but so do
// the labels of dialog templates (IDC_STATIC is -1). The program's boxes all
// carry its title, which only the main window shares, and that has a menu.
bool IsMessageBox(HWND hWnd)
{
    return ::GetDlgItem(hWnd, kMessageBoxTextId) != nullptr && !::GetMenu(hWnd) && WindowText(hWnd) == "Tarnwick";
}

std::string ClassName(HWND hWnd)
{
    char szClass[64] = "";
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    return szClass;
}

std::string IconKind(HWND hBox)
{
    struct Known
    {
        const char* pszId;
        const char* pszName;
    };
    const Known known[] = {{IDI_INFORMATION, "information"},
                           {IDI_QUESTION, "question"},
                           {IDI_ERROR, "error"},
                           {IDI_WARNING, "warning"}};
    for (HWND hChild = ::GetWindow(hBox, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
    {
        if ((::GetWindowLongA(hChild, GWL_STYLE) & SS_TYPEMASK) != SS_ICON || !::IsWindowVisible(hChild))
            continue;
        HICON hIcon = reinterpret_cast<HICON>(::SendMessageA(hChild, STM_GETICON, 0, 0));
        for (const Known& k : known)
            if (hIcon && hIcon == ::LoadIconA(nullptr, k.pszId))
                return k.pszName;
    }
    return "";
}

BOOL CALLBACK CollectDialog(HWND hWnd, LPARAM lParam)
{
    if (::IsWindowVisible(hWnd) && ClassName(hWnd) == "#32770")
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

template <typename Pred>
HWND WaitFor(int nTimeoutMs, Pred pred)
{
    for (int nWaited = 0; nWaited <= nTimeoutMs; nWaited += 10)
    {
        if (HWND hWnd = pred())
            return hWnd;
        ::Sleep(10);
    }
    return nullptr;
}
}

std::vector<HWND> UiDriver::Windows()
{
    std::vector<HWND> windows;
    ::EnumThreadWindows(m_dwUiThreadId, &CollectDialog, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HWND UiDriver::WaitForDialog(const char* pszCaption, int nTimeoutMs)
{
    return WaitFor(nTimeoutMs, [&]() -> HWND {
        for (HWND hWnd : Windows())
            if (!IsMessageBox(hWnd) && WindowText(hWnd) == pszCaption)
                return hWnd;
        return nullptr;
    });
}

MessageBoxSeen UiDriver::WaitForMessageBox(int nTimeoutMs)
{
    MessageBoxSeen box;
    box.hWnd = WaitFor(nTimeoutMs, [&]() -> HWND {
        for (HWND hWnd : Windows())
            if (IsMessageBox(hWnd))
                return hWnd;
        return nullptr;
    });
    if (!box.hWnd)
        return box;
    // Wait until the box has been laid out and shows its text.
    WaitFor(2000, [&]() -> HWND {
        return WindowText(::GetDlgItem(box.hWnd, kMessageBoxTextId)).empty() ? nullptr : box.hWnd;
    });
    box.caption = WindowText(box.hWnd);
    box.text = WindowText(::GetDlgItem(box.hWnd, kMessageBoxTextId));
    for (int nID : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO})
    {
        HWND hButton = ::GetDlgItem(box.hWnd, nID);
        if (hButton && ::IsWindowVisible(hButton))
            box.buttons.push_back(nID);
    }
    box.icon = IconKind(box.hWnd);
    return box;
}

bool UiDriver::NoMessageBox()
{
    for (HWND hWnd : Windows())
        if (IsMessageBox(hWnd))
            return false;
    return true;
}

void UiDriver::Command(HWND hDlg, int nID)
{
    HWND hControl = ::GetDlgItem(hDlg, nID);
    ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), reinterpret_cast<LPARAM>(hControl));
}

void UiDriver::Key(HWND hDlg, UINT vk)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    HWND hTarget = hDlg;
    if (::GetGUIThreadInfo(m_dwUiThreadId, &info) && info.hwndFocus &&
        (info.hwndFocus == hDlg || ::IsChild(hDlg, info.hwndFocus)))
        hTarget = info.hwndFocus;
    ::PostMessageA(hTarget, WM_KEYDOWN, vk, 1);
    ::PostMessageA(hTarget, WM_KEYUP, vk, 0xC0000001);
}

void UiDriver::KeyWith(HWND hDlg, UINT vkModifier, UINT vk)
{
    // A posted key leaves the keyboard state alone, and that is where the
    // UI thread (TranslateAccelerator) reads the modifiers: it belongs to the
    // thread's input, which this thread shares with the UI thread meanwhile.
    DWORD dwThis = ::GetCurrentThreadId();
    ASSERT_TRUE(::AttachThreadInput(dwThis, m_dwUiThreadId, TRUE));
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[vkModifier] |= 0x80;
    ::SetKeyboardState(keys);
    Key(hDlg, vk);
    Sync();
    keys[vkModifier] &= ~0x80;
    ::SetKeyboardState(keys);
    ::AttachThreadInput(dwThis, m_dwUiThreadId, FALSE);
}

void UiDriver::Type(HWND hControl, const char* pszText)
{
    for (const char* p = pszText; *p; ++p)
        ::PostMessageA(hControl, WM_CHAR, static_cast<unsigned char>(*p), 1);
}

void UiDriver::Type(HWND hControl, const wchar_t* pszText)
{
    for (const wchar_t* p = pszText; *p; ++p)
        ::PostMessageW(hControl, WM_CHAR, *p, 1);
}

void UiDriver::Answer(const MessageBoxSeen& box, int nButton)
{
    Command(box.hWnd, nButton);
    WaitFor(10000, [&]() -> HWND { return ::IsWindow(box.hWnd) ? nullptr : box.hWnd + 1; });
}

void UiDriver::Sync(HWND)
{
    // Posted messages of one thread are handled in the order they were
    // posted: when the marker posted now is handled, so is everything before
    // it. (A sent message would not do: it overtakes posted ones.)
    ASSERT_NE(nullptr, m_hSyncWnd) << "Sync works only in-process";
    HANDLE hDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ::PostMessageA(m_hSyncWnd, WM_APP, 0, reinterpret_cast<LPARAM>(hDone));
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(hDone, 10000)) << "the UI thread did not get to the marker";
    ::CloseHandle(hDone);
}

bool UiDriver::WaitUntil(const std::function<bool()>& condition, int nTimeoutMs)
{
    for (int nWaited = 0; nWaited <= nTimeoutMs; nWaited += 10)
    {
        if (condition())
            return true;
        ::Sleep(10);
    }
    return false;
}

int UiDriver::RowCount(HWND hList)
{
    return static_cast<int>(::SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));
}

std::string UiDriver::Cell(HWND hList, int nRow, int nColumn)
{
    // Most cells are short; a long line's cell is read again with room for it.
    for (size_t nSize = 4096;; nSize *= 8)
    {
        std::vector<char> buffer(nSize);
        LVITEMA item = {};
        item.iSubItem = nColumn;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        int nLength = static_cast<int>(
            ::SendMessageA(hList, LVM_GETITEMTEXTA, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&item)));
        if (static_cast<size_t>(nLength) + 1 < nSize || nSize >= (1u << 24))
            return item.pszText;
    }
}

std::wstring UiDriver::CellW(HWND hList, int nRow, int nColumn)
{
    std::vector<wchar_t> buffer(4096);
    LVITEMW item = {};
    item.iSubItem = nColumn;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    ::SendMessageW(hList, LVM_GETITEMTEXTW, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&item));
    return item.pszText;
}

void UiDriver::Select(HWND hList, const std::vector<int>& rows)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = 0;
    ::SendMessageA(hList, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    for (int nRow : rows)
    {
        item.state = LVIS_SELECTED;
        ::SendMessageA(hList, LVM_SETITEMSTATE, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&item));
    }
}

std::vector<int> UiDriver::SelectedRows(HWND hList)
{
    std::vector<int> rows;
    for (int n = -1; (n = static_cast<int>(::SendMessageA(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(n),
                                                            LVNI_SELECTED))) != -1;)
        rows.push_back(n);
    return rows;
}

namespace
{
LRESULT CALLBACK SyncWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (nMsg == WM_APP)
    {
        ::SetEvent(reinterpret_cast<HANDLE>(lParam));
        return 0;
    }
    return ::DefWindowProcA(hWnd, nMsg, wParam, lParam);
}

HWND CreateSyncWindow()
{
    static ATOM s_atom = 0;
    if (!s_atom)
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &SyncWndProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "TarnwickTestSync";
        s_atom = ::RegisterClassA(&wc);
    }
    return ::CreateWindowExA(0, "TarnwickTestSync", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             ::GetModuleHandleA(nullptr), nullptr);
}
}

void RunModal(const std::function<void()>& modal, const std::function<void(UiDriver&)>& script)
{
    HANDLE hModalDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND hSyncWnd = CreateSyncWindow();
    UiDriver driver(::GetCurrentThreadId(), hSyncWnd);
    HANDLE hWorkerDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread worker([&]() {
        struct SetOnExit
        {
            HANDLE h;
            ~SetOnExit() { ::SetEvent(h); }
        } done{hWorkerDone};
        script(driver);
        // Whatever the script left open is closed, so that a failing test
        // ends instead of waiting for a user.
        if (::WaitForSingleObject(hModalDone, 5000) == WAIT_OBJECT_0)
            return;
        ADD_FAILURE() << "dialogs were still open after the script ended";
        for (int nTry = 0; nTry < 200 && ::WaitForSingleObject(hModalDone, 50) != WAIT_OBJECT_0; ++nTry)
        {
            std::vector<HWND> windows = driver.Windows();
            for (HWND hWnd : windows)
            {
                if (IsMessageBox(hWnd))
                {
                    ::PostMessageA(hWnd, WM_COMMAND, IDNO, 0);
                    ::PostMessageA(hWnd, WM_COMMAND, IDOK, 0);
                }
                else
                {
                    ::PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
                }
            }
        }
    });
    modal();
    ::SetEvent(hModalDone);
    // Markers posted after the dialogs closed still need a loop to reach them.
    while (::WaitForSingleObject(hWorkerDone, 0) == WAIT_TIMEOUT)
    {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
        ::Sleep(5);
    }
    worker.join();
    ::DestroyWindow(hSyncWnd);
    ::CloseHandle(hWorkerDone);
    ::CloseHandle(hModalDone);
}
