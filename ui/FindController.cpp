#include "ui/FindController.h"

#include "framework/AppName.h"
#include "framework/CWinApp.h"
#include "framework/DllSearch.h"
#include "framework/WideText.h"
#include "res/resource.h"

#include <cstring>
#include <dlgs.h>
#include <vector>

namespace
{
// "Cannot find "<text>"", the text as typed.
std::vector<wchar_t> NotFoundText(const wchar_t* pszText)
{
    const wchar_t kNotFound[] = L"Cannot find \"";
    std::vector<wchar_t> text(kNotFound, kNotFound + wcslen(kNotFound));
    text.insert(text.end(), pszText, pszText + wcslen(pszText));
    text.push_back(L'"');
    text.push_back(L'\0');
    return text;
}
}

const UINT CFindController::s_nFindMessage = ::RegisterWindowMessageA(FINDMSGSTRINGA);
CFindController* CFindController::s_pActive = nullptr;
const MSG* CFindController::s_pFiltering = nullptr;

CFindController::CFindController(CWnd& owner, CListCtrl& list, const CEntryList& entries)
    : m_owner(owner), m_list(list), m_entries(entries), m_fr(), m_szFindWhat(), m_szLast()
{
}

CFindController::~CFindController()
{
    Stop();
}

void CFindController::Start()
{
    m_hAccel = ::LoadAcceleratorsA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINMENU));
    s_pActive = this;
    m_hHook = ::SetWindowsHookExA(WH_MSGFILTER, &CFindController::FilterProc, nullptr, ::GetCurrentThreadId());
}

void CFindController::Stop()
{
    // Destroying the main window destroys the Find dialog it owns first; when
    // that has happened, this fails and does nothing.
    if (m_hFindDlg)
        ::DestroyWindow(m_hFindDlg);
    m_hFindDlg = nullptr;
    if (m_hHook)
        ::UnhookWindowsHookEx(m_hHook);
    m_hHook = nullptr;
    if (s_pActive == this)
        s_pActive = nullptr;
}

void CFindController::OnFind()
{
    if (m_hFindDlg)
    {
        ::SetActiveWindow(m_hFindDlg);
        return;
    }
    // The dialog shows the last text searched, with its direction and case
    // (down at first).
    std::memcpy(m_szFindWhat, m_szLast, sizeof(m_szFindWhat));
    m_fr = FINDREPLACEW();
    m_fr.lStructSize = sizeof(m_fr);
    m_fr.hwndOwner = m_owner.m_hWnd;
    m_fr.Flags = m_dwLastFlags | FR_HIDEWHOLEWORD;
    m_fr.lpstrFindWhat = m_szFindWhat;
    m_fr.wFindWhatLen = sizeof(m_szFindWhat) / sizeof(m_szFindWhat[0]);
    m_hFindDlg = AfxFindText(&m_fr);
    // Room for the text and its terminating zero: no character typed is
    // left out of the search. (Wine's dialog would take one more.)
    if (m_hFindDlg)
        ::SendMessageA(::GetDlgItem(m_hFindDlg, edt1), EM_LIMITTEXT, m_fr.wFindWhatLen - 1, 0);
}

LRESULT CFindController::OnFindMessage(WPARAM, LPARAM lParam)
{
    if (reinterpret_cast<const FINDREPLACEW*>(lParam) != &m_fr)
        return 0;
    if (m_fr.Flags & FR_DIALOGTERM)
    {
        m_hFindDlg = nullptr;
    }
    else if (m_fr.Flags & FR_FINDNEXT)
    {
        std::memcpy(m_szLast, m_szFindWhat, sizeof(m_szLast));
        m_szLast[sizeof(m_szLast) / sizeof(m_szLast[0]) - 1] = L'\0';
        m_dwLastFlags = m_fr.Flags & (FR_DOWN | FR_MATCHCASE);
        m_bSearched = true;
        Search((m_fr.Flags & FR_DOWN) != 0);
    }
    return 0;
}

void CFindController::Search(bool bDown)
{
    if (!m_bSearched)
    {
        OnFind();
        return;
    }
    // While the not-found box is open the main window still takes keys:
    // one box at a time.
    if (m_bShowingNotFound)
        return;
    bool bMatchCase = (m_dwLastFlags & FR_MATCHCASE) != 0;
    bool bLost = false;
    CString wanted = FromWide(m_szLast, -1, m_entries.IsUtf8() ? CP_UTF8 : CP_ACP, &bLost);
    int nRow = bLost ? -1 : m_entries.FindRowByText(wanted, bMatchCase, bDown, m_list.GetNextItem(-1, LVNI_FOCUSED));
    if (nRow >= 0)
    {
        // The keyboard focus stays where it is, in the Find dialog when it is open.
        m_list.SelectOnly(nRow);
        return;
    }
    m_bShowingNotFound = true;
    ::MessageBoxW(m_hFindDlg ? m_hFindDlg : m_owner.m_hWnd, NotFoundText(m_szLast).data(),
                  ToWide(AfxGetAppName(), -1, CP_ACP).data(), MB_OK | MB_ICONINFORMATION);
    m_bShowingNotFound = false;
}

LRESULT CALLBACK CFindController::FilterProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    MSG* pMsg = reinterpret_cast<MSG*>(lParam);
    if (nCode == MSGF_DIALOGBOX && s_pActive && pMsg != s_pFiltering)
    {
        // IsDialogMessage calls the hook again with the message it was
        // given: that call passes it on. A message box that a command opens
        // meanwhile runs a loop of its own, whose messages are filtered as
        // usual.
        const MSG* pOuter = s_pFiltering;
        s_pFiltering = pMsg;
        bool bHandled = s_pActive->Filter(*pMsg);
        s_pFiltering = pOuter;
        if (bHandled)
            return TRUE;
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

bool CFindController::Filter(MSG& msg)
{
    // The dialog manager's loop takes messages in their Unicode form (Wine's
    // PeekMessageW): they go on in that form, so that a typed character
    // arrives as it was typed, whichever form the Find dialog's window has
    // (Windows' FindTextW dialog is a Unicode window; Wine's is not, and
    // takes only what the ANSI code page can spell).
    if (m_hFindDlg && (msg.hwnd == m_hFindDlg || ::IsChild(m_hFindDlg, msg.hwnd)))
        return ::IsDialogMessageW(m_hFindDlg, &msg) != FALSE;
    HWND hMain = m_owner.m_hWnd;
    if (!m_hAccel || !hMain || (msg.hwnd != hMain && !::IsChild(hMain, msg.hwnd)))
        return false;
    return ::TranslateAcceleratorA(hMain, m_hAccel, &msg) != 0;
}
