// Edit > Sections: the file's headings as groups of entries, switched off
// and on in the main window's rows, saved, and gone to.
#include "MainWindowSteps.h"
#include "res/resource.h"
#include "WindowTest.h"

namespace
{
const char kNoSections[] =
    "This hosts file has no sections.\n"
    "A section is a comment line naming the entries that follow it, up to the next such line or a blank line.";

// Each row of the dialog's list as "<section>|<entries>|<status>".
std::vector<std::string> Sections(HWND hSections)
{
    std::vector<std::string> rows;
    for (int n = 0; n < UiDriver::RowCount(hSections); ++n)
        rows.push_back(UiDriver::Cell(hSections, n, 0) + "|" + UiDriver::Cell(hSections, n, 1) + "|" +
                       UiDriver::Cell(hSections, n, 2));
    return rows;
}

HWND OpenSections(UiDriver& driver, HWND hMain)
{
    driver.Command(hMain, ID_EDIT_SECTIONS);
    HWND hDlg = driver.WaitForDialog("Sections");
    EXPECT_NE(nullptr, hDlg);
    EXPECT_EQ(hMain, ::GetWindow(hDlg, GW_OWNER));
    return hDlg;
}

void SaveExpecting(UiDriver& driver, HWND hMain, const std::string& bytes)
{
    EmptyFolder(BackupFolderPath());  // a backup in the same second as the last
    SaveAndConfirm(driver, hMain, IDYES);
    ExpectBox(driver, kSaved, "information");
    EXPECT_EQ(bytes, ReadBytes(SystemHostsPath()));
}
}

class SectionsTest : public WindowTest
{
};

TEST_F(SectionsTest, SwitchesASectionOffAndOnChangingOnlyItsEntryLinesAndGoesToOne)
{
    SetHosts("127.0.0.1 localhost\r\n# 10.0.0.1 a.example\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        driver.KeyWith(hMain, VK_CONTROL, 'E');
        ExpectBox(driver, kNoSections, "information");
        EXPECT_EQ(nullptr, driver.WaitForDialog("Sections", 300));

        // Entries before the first heading, a Windows header (its sample
        // after "For example:" is in no section), a punctuation comment
        // between a heading and its entries, a commented entry, and a row
        // added after the file's last line.
        const std::string head = "10.9.9.9 first.example\r\n# Copyright (c) 1993-2009 Microsoft Corp.\r\n#\r\n"
                                 "# For example:\r\n#\r\n#      102.54.94.97     rhino.acme.com  # source server\r\n"
                                 "\r\n# Dev servers\r\n#=====\r\n";
        const std::string dev = "10.0.0.5 api.dev.example\r\n10.0.0.6 web.dev.example\r\n";
        const std::string tail = "\r\n# Social media\r\n0.0.0.0 facebook.com\r\n# 0.0.0.0 www.facebook.com\r\n";
        SetHosts(head + dev + tail);
        driver.Command(hMain, ID_VIEW_REFRESH);
        driver.Command(hMain, IDC_ADD_NEW_ENTRY);
        HWND hEntry = driver.WaitForDialog("Hosts File Entry");
        ASSERT_NE(nullptr, hEntry);
        ::SendMessageA(::GetDlgItem(hEntry, IDC_ENTRY), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("added.example"));
        driver.Command(hEntry, IDOK);
        const std::string added = "127.0.0.1 added.example\r\n";
        const std::string original = head + dev + tail + added;
        SaveExpecting(driver, hMain, original);

        HWND hDlg = OpenSections(driver, hMain);
        ASSERT_NE(nullptr, hDlg);
        HWND hSections = ::GetDlgItem(hDlg, IDC_SECTION_LIST);
        const std::vector<std::string> listed = {"Dev servers|2|Active", "Social media|3|Mixed"};
        EXPECT_EQ(listed, Sections(hSections));
        // Nothing selected: the buttons do nothing.
        for (int nButton : {IDC_SWITCH_ON, IDC_SWITCH_OFF, IDC_GO_TO})
            driver.Command(hDlg, nButton);
        driver.Sync(hDlg);
        EXPECT_TRUE(::IsWindowVisible(hDlg));
        EXPECT_EQ(listed, Sections(hSections));
        EXPECT_EQ(0, m_pDlg->m_bModified);

        // Switch Off: the main list shows it at once, the dialog stays open.
        UiDriver::Select(hSections, {0});
        driver.Command(hDlg, IDC_SWITCH_OFF);
        driver.Sync(hDlg);
        EXPECT_EQ("Dev servers|2|Commented", Sections(hSections)[0]);
        EXPECT_EQ("# 10.0.0.5 api.dev.example", UiDriver::Cell(hList, 8, 1));
        EXPECT_EQ("Commented", UiDriver::Cell(hList, 9, 2));
        EXPECT_EQ(1, m_pDlg->m_bModified);
        EXPECT_TRUE(::IsWindowVisible(hDlg));
        driver.Command(hDlg, IDCANCEL);
        ASSERT_TRUE(UiDriver::WaitUntil([&] { return !::IsWindow(hDlg); }));
        const std::string switchedOff = "# 10.0.0.5 api.dev.example\r\n# 10.0.0.6 web.dev.example\r\n";
        SaveExpecting(driver, hMain, head + switchedOff + tail + added);

        // Go To: the section's entries selected, its heading focused.
        hDlg = OpenSections(driver, hMain);
        ASSERT_NE(nullptr, hDlg);
        UiDriver::Select(::GetDlgItem(hDlg, IDC_SECTION_LIST), {1});
        driver.Command(hDlg, IDC_GO_TO);
        ASSERT_TRUE(UiDriver::WaitUntil([&] { return !::IsWindow(hDlg); }));
        driver.Sync(hMain);
        EXPECT_EQ((std::vector<int>{11, 12, 13}), UiDriver::SelectedRows(hList));
        EXPECT_EQ(10, ::SendMessageA(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));

        // Switch On gives the original bytes back.
        hDlg = OpenSections(driver, hMain);
        ASSERT_NE(nullptr, hDlg);
        UiDriver::Select(::GetDlgItem(hDlg, IDC_SECTION_LIST), {0});
        driver.Command(hDlg, IDC_SWITCH_ON);
        driver.Sync(hDlg);
        EXPECT_EQ("Dev servers|2|Active", Sections(::GetDlgItem(hDlg, IDC_SECTION_LIST))[0]);
        driver.Key(hDlg, VK_ESCAPE);
        ASSERT_TRUE(UiDriver::WaitUntil([&] { return !::IsWindow(hDlg); }));
        SaveExpecting(driver, hMain, original);
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}
