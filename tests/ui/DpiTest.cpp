// The main window at 96 DPI, and moved to a screen of another scale
// (WM_DPICHANGED, which Windows sends and Wine, with one DPI for every
// screen, never does). Wine says the windows are per-monitor aware of the
// first kind, where the program itself moves and sizes the controls; on a
// per-monitor v2 window Windows' dialog manager does that part.
#include "Layout.h"
#include "MainWindowSteps.h"
#include "res/resource.h"
#include "WindowTest.h"

#include <commctrl.h>

#include <algorithm>

namespace
{
using Cut = std::vector<std::string>;

RECT RectIn(HWND hParent, HWND hChild)
{
    RECT rc;
    ::GetWindowRect(hChild, &rc);
    ::MapWindowPoints(nullptr, hParent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

RECT WindowRect(HWND hWnd)
{
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    return rc;
}

LONG FontHeight(HWND hWnd)
{
    LOGFONTA font = {};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(hWnd, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font.lfHeight;
}

HICON WindowIcon(HWND hWnd, WPARAM nWhich)
{
    return reinterpret_cast<HICON>(::SendMessageA(hWnd, WM_GETICON, nWhich, 0));
}

void ExpectNear(const RECT& expected, const RECT& seen, const char* pszWhat)
{
    EXPECT_NEAR(expected.left, seen.left, 1) << pszWhat;
    EXPECT_NEAR(expected.top, seen.top, 1) << pszWhat;
    EXPECT_NEAR(expected.right, seen.right, 1) << pszWhat;
    EXPECT_NEAR(expected.bottom, seen.bottom, 1) << pszWhat;
}
}

class DpiTest : public WindowTest
{
};

TEST_F(DpiTest, MovingToAScreenOfAnotherScaleScalesTheWindowItsControlsColumnsAndIcons)
{
    SetHosts("# Blocked sites\r\n127.0.0.1 ads.example\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        EXPECT_EQ((std::vector<int>{70, 350, 100}), ColumnWidths(hList));
        EXPECT_EQ(Cut{}, CutCells(hList, 2, 96));
        EXPECT_EQ(Cut{}, CutTexts(hMain));
        // A column the user made wider keeps its share.
        ::SendMessageA(hList, LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(400, 0));

        const RECT rc96 = WindowRect(hMain);
        HWND hButton = ::GetDlgItem(hMain, IDC_SAVE_CHANGES);
        const RECT button96 = RectIn(hMain, hButton);
        const LONG nFont96 = FontHeight(hButton);
        ASSERT_NE(0, nFont96);

        // To 150 %: Windows suggests the window's rectangle there.
        RECT suggested = {rc96.left, rc96.top, rc96.left + (rc96.right - rc96.left) * 3 / 2,
                          rc96.top + (rc96.bottom - rc96.top) * 3 / 2};
        ::SendMessageA(hMain, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
        ExpectNear(suggested, WindowRect(hMain), "the window at the suggested rectangle");
        EXPECT_EQ((std::vector<int>{105, 600, 150}), ColumnWidths(hList));
        ExpectNear(RECT{button96.left * 3 / 2, button96.top * 3 / 2, button96.right * 3 / 2, button96.bottom * 3 / 2},
                   RectIn(hMain, hButton), "Save Changes at 150 %");
        EXPECT_EQ((nFont96 * 3 - (nFont96 < 0 ? 1 : -1)) / 2, FontHeight(hButton));
        EXPECT_EQ(FontHeight(hButton), FontHeight(hList));
        EXPECT_EQ(48, IconSize(WindowIcon(hMain, ICON_BIG)));
        EXPECT_EQ(24, IconSize(WindowIcon(hMain, ICON_SMALL)));
        EXPECT_EQ(Cut{}, CutTexts(hMain));

        // And back.
        RECT back = rc96;
        ::SendMessageA(hMain, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&back));
        ExpectNear(rc96, WindowRect(hMain), "the window back at 100 %");
        EXPECT_EQ((std::vector<int>{70, 400, 100}), ColumnWidths(hList));
        ExpectNear(button96, RectIn(hMain, hButton), "Save Changes back at 100 %");
        EXPECT_EQ(nFont96, FontHeight(hButton));
        EXPECT_EQ(32, IconSize(WindowIcon(hMain, ICON_BIG)));
        EXPECT_EQ(16, IconSize(WindowIcon(hMain, ICON_SMALL)));

        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

// The icon's sizes come from the icon file, one image each, so that none is
// stretched: the small icon at 100 %, 125 %, 150 % and 200 % (16, 20, 24,
// 32), the big one and the About box's (32, 40, 48, 64), and 256 for the
// largest views.
TEST(ProgramIcon, HoldsAnImageForEverySizeFrom100To200Percent)
{
#pragma pack(push, 2)
    struct GroupEntry
    {
        BYTE bWidth, bHeight, bColorCount, bReserved;
        WORD wPlanes, wBitCount;
        DWORD dwBytesInRes;
        WORD nId;
    };
    struct GroupHeader
    {
        WORD idReserved, idType, idCount;
    };
#pragma pack(pop)
    HMODULE hModule = ::GetModuleHandleA(nullptr);
    HRSRC hGroup = ::FindResourceA(hModule, MAKEINTRESOURCEA(128), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    ASSERT_NE(nullptr, hGroup);
    const BYTE* pGroup = static_cast<const BYTE*>(::LockResource(::LoadResource(hModule, hGroup)));
    ASSERT_NE(nullptr, pGroup);
    const GroupHeader* pHeader = reinterpret_cast<const GroupHeader*>(pGroup);
    const GroupEntry* pEntries = reinterpret_cast<const GroupEntry*>(pHeader + 1);
    std::vector<int> sizes;
    for (int n = 0; n < pHeader->idCount; ++n)
    {
        EXPECT_EQ(pEntries[n].bWidth, pEntries[n].bHeight);
        sizes.push_back(pEntries[n].bWidth ? pEntries[n].bWidth : 256);
    }
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ((std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256}), sizes);
    // And Windows picks each of them for its size.
    for (int nSize : {16, 20, 24, 32, 40, 48, 64})
    {
        HICON hIcon = static_cast<HICON>(::LoadImageA(hModule, MAKEINTRESOURCEA(128), IMAGE_ICON, nSize, nSize, 0));
        EXPECT_EQ(nSize, IconSize(hIcon));
        int nId = ::LookupIconIdFromDirectoryEx(const_cast<BYTE*>(pGroup), TRUE, nSize, nSize, 0);
        bool bExact = false;
        for (int n = 0; n < pHeader->idCount; ++n)
            bExact = bExact || (pEntries[n].nId == nId && pEntries[n].bWidth == nSize);
        EXPECT_TRUE(bExact) << nSize;
        ::DestroyIcon(hIcon);
    }
}
