// A display at 150 % (144 DPI), as most laptops have: this program runs in a
// Wine prefix whose LogPixels is 144 (run-wine-dpi144). Wine then lays out
// dialogs with a font of that size and stretches nothing, so what the
// program gives in pixels (list columns, icons) must follow the DPI itself.
#include "Layout.h"
#include "MainWindowSteps.h"
#include "res/resource.h"
#include "WindowTest.h"

#include <commctrl.h>

namespace
{
using Cut = std::vector<std::string>;

class Dpi144Test : public WindowTest
{
protected:
    void SetUp() override
    {
        HDC hdc = ::GetDC(nullptr);
        int nDpi = ::GetDeviceCaps(hdc, LOGPIXELSX);
        ::ReleaseDC(nullptr, hdc);
        ASSERT_EQ(144, nDpi) << "these tests must run in the prefix of 144 DPI (run-wine-dpi144)";
        WindowTest::SetUp();
    }
};

HICON WindowIcon(HWND hWnd, WPARAM nWhich)
{
    return reinterpret_cast<HICON>(::SendMessageA(hWnd, WM_GETICON, nWhich, 0));
}

HWND IconControl(HWND hDlg)
{
    for (HWND hChild = ::GetWindow(hDlg, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
        if ((::GetWindowLongA(hChild, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            return hChild;
    return nullptr;
}

// Lines that fit the "Data" column at 100 %, the longest 47 characters.
const char kHosts[] = "# Blocked sites\r\n"
                      "127.0.0.1 ads.example\r\n"
                      "# 0.0.0.0 webmail-who-int.000webhostapp.com\r\n"
                      "0.0.0.0 analytics.tracking-service.example.com\r\n";
}

TEST_F(Dpi144Test, ColumnsIconsAndTextsOfEveryWindowFollowTheScale)
{
    SetHosts(kHosts);
    ::CreateDirectoryA(BackupFolderPath().c_str(), nullptr);
    WriteBytes(BackupFolderPath() + "\\Hosts file backup on 12 7 2026 11 42 20 PM", kHosts);
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        // 70, 350 and 100 at 100 %.
        EXPECT_EQ((std::vector<int>{105, 525, 150}), ColumnWidths(hList));
        EXPECT_EQ(L"Commented", UiDriver::CellW(hList, 0, 2));
        EXPECT_EQ(Cut{}, CutCells(hList, 4, 144));
        EXPECT_EQ(Cut{}, CutTexts(hMain));
        EXPECT_EQ(48, IconSize(WindowIcon(hMain, ICON_BIG)));
        EXPECT_EQ(24, IconSize(WindowIcon(hMain, ICON_SMALL)));

        driver.Command(hMain, IDC_ADD_NEW_ENTRY);
        HWND hEntry = driver.WaitForDialog("Hosts File Entry");
        ASSERT_NE(nullptr, hEntry);
        EXPECT_EQ(Cut{}, CutTexts(hEntry));
        EXPECT_EQ(48, IconSize(WindowIcon(hEntry, ICON_BIG)));
        EXPECT_EQ(24, IconSize(WindowIcon(hEntry, ICON_SMALL)));
        driver.Command(hEntry, IDCANCEL);
        EXPECT_TRUE(UiDriver::WaitUntil([&] { return !::IsWindow(hEntry); }));

        ::PostMessageA(hMain, WM_SYSCOMMAND, 16, 0);
        HWND hAbout = driver.WaitForDialog("About Tarnwick");
        ASSERT_NE(nullptr, hAbout);
        EXPECT_EQ(Cut{}, CutTexts(hAbout));
        HWND hIcon = IconControl(hAbout);
        ASSERT_NE(nullptr, hIcon);
        EXPECT_EQ(48, IconSize(reinterpret_cast<HICON>(::SendMessageA(hIcon, STM_GETICON, 0, 0))));
        driver.Command(hAbout, IDOK);
        EXPECT_TRUE(UiDriver::WaitUntil([&] { return !::IsWindow(hAbout); }));

        driver.Command(hMain, ID_FILE_RESTORE);
        HWND hRestore = driver.WaitForDialog("Restore From Saved / Backed Up Hosts File");
        ASSERT_NE(nullptr, hRestore);
        HWND hBackups = ::GetDlgItem(hRestore, IDC_BACKUP_LIST);
        EXPECT_EQ((std::vector<int>{105, 600}), ColumnWidths(hBackups));  // 70 and 400 at 100 %
        ASSERT_EQ(1, UiDriver::RowCount(hBackups));
        EXPECT_EQ(Cut{}, CutCells(hBackups, 1, 144));
        EXPECT_EQ(Cut{}, CutTexts(hRestore));
        driver.Command(hRestore, IDCANCEL);
        EXPECT_TRUE(UiDriver::WaitUntil([&] { return !::IsWindow(hRestore); }));

        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}
