// The Edit menu: the system's Find dialog, Find Next and Find Previous by
// their keys, Select All, driven through the real windows.
#include "res/resource.h"
#include "WindowTest.h"

#include <commctrl.h>
#include <dlgs.h>

namespace
{
struct MenuItem
{
    UINT nID;
    std::string text;
    bool operator==(const MenuItem& o) const { return nID == o.nID && text == o.text; }
};

void PrintTo(const MenuItem& item, std::ostream* os)
{
    *os << "{" << item.nID << ", '" << item.text << "'}";
}

std::string MenuText(HMENU hMenu, int nPosition)
{
    char szText[128] = "";
    ::GetMenuStringA(hMenu, static_cast<UINT>(nPosition), szText, sizeof(szText), MF_BYPOSITION);
    return szText;
}

std::vector<MenuItem> MenuItems(HMENU hMenu)
{
    std::vector<MenuItem> items;
    for (int n = 0; n < ::GetMenuItemCount(hMenu); ++n)
        items.push_back({::GetMenuItemID(hMenu, n), MenuText(hMenu, n)});
    return items;
}

int FocusedRow(HWND hList)
{
    return static_cast<int>(::SendMessageA(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

bool InView(HWND hList, int nRow)
{
    int nTop = static_cast<int>(::SendMessageA(hList, LVM_GETTOPINDEX, 0, 0));
    int nPerPage = static_cast<int>(::SendMessageA(hList, LVM_GETCOUNTPERPAGE, 0, 0));
    return nTop <= nRow && nRow < nTop + nPerPage;
}

HWND FocusOf(HWND hWnd)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(hWnd, nullptr), &info);
    return info.hwndFocus;
}

std::vector<HWND> FindDialogs(UiDriver& driver)
{
    std::vector<HWND> found;
    for (HWND hWnd : driver.Windows())
    {
        char szText[64] = "";
        ::GetWindowTextA(hWnd, szText, sizeof(szText));
        if (std::string(szText) == "Find")
            found.push_back(hWnd);
    }
    return found;
}
}

class FindTest : public WindowTest
{
};

TEST_F(FindTest, FindsThroughTheDialogAndTheKeysAndSelectsAllWithoutChangingARow)
{
    // 203 rows: "ads.ex" in rows 1 ("Ads.Example"), 200 and 202 ("ADS.EXAMPLE.NET").
    std::string hosts = "# blocklist\r\n127.0.0.1 Ads.Example\r\n";
    for (int n = 2; n < 200; ++n)
        hosts += "0.0.0.0 tracker-" + std::to_string(n) + ".test\r\n";
    hosts += "0.0.0.0 ads.example.org\r\n127.0.0.1 localhost\r\n0.0.0.0 ADS.EXAMPLE.NET\r\n";
    SetHosts(hosts);
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        ASSERT_EQ(203, UiDriver::RowCount(hList));
        HMENU hMenu = ::GetMenu(hMain);
        EXPECT_EQ("&File", MenuText(hMenu, 0));
        EXPECT_EQ("&Edit", MenuText(hMenu, 1));
        EXPECT_EQ("&View", MenuText(hMenu, 2));
        EXPECT_EQ((std::vector<MenuItem>{{32789, "&Undo\tCtrl+Z"},
                                         {32790, "&Redo\tCtrl+Y"},
                                         {0, ""},
                                         {32787, "&Edit Line...\tF2"},
                                         {32788, "&Delete Lines\tCtrl+D"},
                                         {0, ""},
                                         {32781, "&Find...\tCtrl+F"},
                                         {32782, "Find &Next\tF3"},
                                         {32783, "Find &Previous\tShift+F3"},
                                         {0, ""},
                                         {32784, "Select &All\tCtrl+A"},
                                         {0, ""},
                                         {32785, "S&ections...\tCtrl+E"},
                                         {32786, "&Check Entries...\tCtrl+K"},
                                         {32791, "Com&pact Entries..."}}),
                  MenuItems(::GetSubMenu(hMenu, 1)));

        // With nothing searched yet, Shift+F3 opens the Find dialog; Escape
        // closes it and only it.
        driver.KeyWith(hMain, VK_SHIFT, VK_F3);
        HWND hFind = driver.WaitForDialog("Find");
        ASSERT_NE(nullptr, hFind);
        driver.Key(hFind, VK_ESCAPE);
        EXPECT_TRUE(UiDriver::WaitUntil([&] { return !::IsWindow(hFind); }));
        driver.Sync(hMain);
        EXPECT_TRUE(::IsWindowVisible(hMain));
        EXPECT_TRUE(driver.NoMessageBox());

        // Edit > Find: owned by the main window, no "whole word", Down; a
        // second Find activates the open dialog.
        driver.Command(hMain, ID_EDIT_FIND);
        hFind = driver.WaitForDialog("Find");
        ASSERT_NE(nullptr, hFind);
        EXPECT_EQ(hMain, ::GetWindow(hFind, GW_OWNER));
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(hFind, chx1)));
        EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(hFind, rad2));
        EXPECT_EQ(BST_UNCHECKED, ::IsDlgButtonChecked(hFind, chx2));
        EXPECT_EQ(255, ::SendMessageA(::GetDlgItem(hFind, edt1), EM_GETLIMITTEXT, 0, 0));
        driver.Command(hMain, ID_EDIT_FIND);
        driver.Sync(hMain);
        EXPECT_EQ(1u, FindDialogs(driver).size());

        HWND hText = ::GetDlgItem(hFind, edt1);
        auto findNext = [&](const char* pszText) {
            ::SendMessageA(hText, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pszText));
            driver.Command(hFind, IDOK);
            driver.Sync(hMain);
        };
        auto expectFound = [&](int nRow, const char* pszWhen) {
            EXPECT_EQ((std::vector<int>{nRow}), UiDriver::SelectedRows(hList)) << pszWhen;
            EXPECT_EQ(nRow, FocusedRow(hList)) << pszWhen;
            EXPECT_TRUE(InView(hList, nRow)) << pszWhen;
        };

        // Down without a focused row starts at the first row; Enter is Find
        // Next; each search starts after the focused row and wraps.
        ::SendMessageA(hText, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("ads.ex"));
        driver.Key(hFind, VK_RETURN);
        driver.Sync(hMain);
        expectFound(1, "Enter");
        EXPECT_TRUE(::IsChild(hFind, FocusOf(hMain))) << "the keyboard focus stays in the Find dialog";
        findNext("ads.ex");
        expectFound(200, "down");
        findNext("ads.ex");
        expectFound(202, "down");
        findNext("ads.ex");
        expectFound(1, "down, round to the top");

        ::CheckRadioButton(hFind, rad1, rad2, rad1);
        findNext("ads.ex");
        expectFound(202, "up, round to the bottom");

        ::CheckRadioButton(hFind, rad1, rad2, rad2);
        ::CheckDlgButton(hFind, chx2, BST_CHECKED);
        findNext("ads.ex");
        expectFound(200, "match case passes over Ads and ADS");

        // Not found: a box owned by the Find dialog; nothing moves.
        findNext("nowhere");
        MessageBoxSeen box = driver.WaitForMessageBox();
        EXPECT_EQ("Tarnwick", box.caption);
        EXPECT_EQ("Cannot find \"nowhere\"", box.text);
        EXPECT_EQ((std::vector<int>{IDOK}), box.buttons);
        EXPECT_EQ("information", box.icon);
        EXPECT_EQ(hFind, ::GetWindow(box.hWnd, GW_OWNER));
        driver.Answer(box, IDOK);
        expectFound(200, "after not found");

        ::CheckDlgButton(hFind, chx2, BST_UNCHECKED);
        findNext("ADS.EX");
        expectFound(202, "either case");

        // F3 and Shift+F3 in the main window: the last text, down and up.
        driver.Key(hFind, VK_ESCAPE);
        EXPECT_TRUE(UiDriver::WaitUntil([&] { return !::IsWindow(hFind); }));
        driver.Key(hMain, VK_F3);
        driver.Sync(hMain);
        expectFound(1, "F3");
        driver.KeyWith(hMain, VK_SHIFT, VK_F3);
        expectFound(202, "Shift+F3");

        // Ctrl+F opens the dialog with the last text; a text not found with
        // the dialog closed gives the box to the main window.
        driver.KeyWith(hMain, VK_CONTROL, 'F');
        hFind = driver.WaitForDialog("Find");
        ASSERT_NE(nullptr, hFind);
        hText = ::GetDlgItem(hFind, edt1);
        char szText[300] = "";
        ::GetWindowTextA(hText, szText, sizeof(szText));
        EXPECT_STREQ("ADS.EX", szText);
        findNext("nowhere");
        box = driver.WaitForMessageBox();
        EXPECT_EQ(hFind, ::GetWindow(box.hWnd, GW_OWNER));
        driver.Answer(box, IDOK);
        driver.Key(hFind, VK_ESCAPE);
        EXPECT_TRUE(UiDriver::WaitUntil([&] { return !::IsWindow(hFind); }));
        driver.Key(hMain, VK_F3);
        box = driver.WaitForMessageBox();
        EXPECT_EQ("Cannot find \"nowhere\"", box.text);
        EXPECT_EQ(hMain, ::GetWindow(box.hWnd, GW_OWNER));
        driver.Answer(box, IDOK);
        expectFound(202, "after not found, dialog closed");

        // Ctrl+A selects every row and keeps the focused one; Comment
        // Selected then comments them all. Only that marks the rows modified.
        driver.KeyWith(hMain, VK_CONTROL, 'A');
        EXPECT_EQ(203, ::SendMessageA(hList, LVM_GETSELECTEDCOUNT, 0, 0));
        EXPECT_EQ(202, FocusedRow(hList));
        EXPECT_EQ(0, m_pDlg->m_bModified);
        driver.Command(hMain, IDC_COMMENT_SELECTED);
        driver.Sync(hMain);
        int nCommented = 0;
        for (int nRow = 0; nRow < 203; ++nRow)
            nCommented += UiDriver::Cell(hList, nRow, 2) == "Commented";
        EXPECT_EQ(203, nCommented);
        EXPECT_EQ("# 0.0.0.0 ADS.EXAMPLE.NET", UiDriver::Cell(hList, 202, 1));
        EXPECT_EQ(1, m_pDlg->m_bModified);

        // Closing the main window closes the Find dialog with it.
        driver.Command(hMain, ID_EDIT_FIND);
        hFind = driver.WaitForDialog("Find");
        ASSERT_NE(nullptr, hFind);
        driver.Command(hMain, IDCANCEL);
        box = driver.WaitForMessageBox();
        EXPECT_EQ("Would you like to save the changes?", box.text);
        driver.Answer(box, IDNO);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
        EXPECT_FALSE(::IsWindow(hFind));
    });
}
