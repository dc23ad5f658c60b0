#include "Layout.h"

#include <commctrl.h>

namespace
{
std::string Utf8(const std::wstring& text)
{
    int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
    if (n > 1)
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring TextOf(HWND hWnd)
{
    wchar_t szText[1024] = L"";
    ::GetWindowTextW(hWnd, szText, 1024);
    return szText;
}

std::string ClassOf(HWND hWnd)
{
    char szClass[64] = "";
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    return szClass;
}

// The size the text takes in the control's font: one line, or wrapped at
// nWrapWidth when that is given.
SIZE TextSize(HWND hWnd, const std::wstring& text, int nWrapWidth, UINT nFormat)
{
    HDC hdc = ::GetDC(hWnd);
    HGDIOBJ hOld = ::SelectObject(hdc, reinterpret_cast<HGDIOBJ>(::SendMessageW(hWnd, WM_GETFONT, 0, 0)));
    RECT rc = {0, 0, nWrapWidth > 0 ? nWrapWidth : 10000, 0};
    ::DrawTextW(hdc, text.c_str(), -1, &rc,
                DT_CALCRECT | nFormat | (nWrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
    ::SelectObject(hdc, hOld);
    ::ReleaseDC(hWnd, hdc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}
}

std::vector<std::string> CutTexts(HWND hDlg)
{
    std::vector<std::string> cut;
    RECT rcClient;
    ::GetClientRect(hDlg, &rcClient);
    for (HWND hChild = ::GetWindow(hDlg, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
    {
        if (!::IsWindowVisible(hChild))
            continue;
        const std::string name = ClassOf(hChild) + " '" + Utf8(TextOf(hChild)) + "'";
        RECT rc;
        ::GetWindowRect(hChild, &rc);
        ::MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rc), 2);
        if (rc.left < 0 || rc.top < 0 || rc.right > rcClient.right || rc.bottom > rcClient.bottom)
            cut.push_back(name + ": reaches out of the window");
        std::wstring text = TextOf(hChild);
        if (text.empty())
            continue;
        RECT rcInner;
        ::GetClientRect(hChild, &rcInner);
        LONG lStyle = ::GetWindowLongW(hChild, GWL_STYLE);
        if (ClassOf(hChild) == "Static" && (lStyle & SS_TYPEMASK) <= SS_RIGHT)
        {
            SIZE size = TextSize(hChild, text, rcInner.right, (lStyle & SS_NOPREFIX) ? DT_NOPREFIX : 0);
            if (size.cy > rcInner.bottom)
                cut.push_back(name + ": " + std::to_string(size.cy) + " pixels high in " +
                              std::to_string(rcInner.bottom));
        }
        else if (ClassOf(hChild) == "Button")
        {
            // The button's frame and focus rectangle take two edges a side.
            int nFrame = 4 * ::GetSystemMetrics(SM_CXEDGE);
            SIZE size = TextSize(hChild, text, 0, 0);
            if (size.cx > rcInner.right - nFrame)
                cut.push_back(name + ": " + std::to_string(size.cx) + " pixels wide in " +
                              std::to_string(rcInner.right - nFrame));
        }
    }
    return cut;
}

std::vector<int> ColumnWidths(HWND hList)
{
    std::vector<int> widths;
    HWND hHeader = reinterpret_cast<HWND>(::SendMessageW(hList, LVM_GETHEADER, 0, 0));
    int nColumns = static_cast<int>(::SendMessageW(hHeader, HDM_GETITEMCOUNT, 0, 0));
    for (int n = 0; n < nColumns; ++n)
        widths.push_back(static_cast<int>(::SendMessageW(hList, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(n), 0)));
    return widths;
}

std::vector<std::string> CutCells(HWND hList, int nRows, UINT nDpi)
{
    std::vector<std::string> cut;
    const int nMargins = static_cast<int>((12 * nDpi + 48) / 96);
    std::vector<int> widths = ColumnWidths(hList);
    auto check = [&](const std::wstring& text, int nColumn, const std::string& where) {
        int nWidth = static_cast<int>(
            ::SendMessageW(hList, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
        if (nWidth + nMargins > widths[static_cast<size_t>(nColumn)])
            cut.push_back(where + " '" + Utf8(text) + "': " + std::to_string(nWidth) + " + " +
                          std::to_string(nMargins) + " pixels in a column of " +
                          std::to_string(widths[static_cast<size_t>(nColumn)]));
    };
    for (int nColumn = 0; nColumn < static_cast<int>(widths.size()); ++nColumn)
    {
        wchar_t szHeader[256] = L"";
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT;
        column.pszText = szHeader;
        column.cchTextMax = 256;
        ::SendMessageW(hList, LVM_GETCOLUMNW, static_cast<WPARAM>(nColumn), reinterpret_cast<LPARAM>(&column));
        check(szHeader, nColumn, "header");
        for (int nRow = 0; nRow < nRows; ++nRow)
        {
            wchar_t szCell[1024] = L"";
            LVITEMW item = {};
            item.iSubItem = nColumn;
            item.pszText = szCell;
            item.cchTextMax = 1024;
            ::SendMessageW(hList, LVM_GETITEMTEXTW, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&item));
            check(szCell, nColumn, "row " + std::to_string(nRow + 1));
        }
    }
    return cut;
}
