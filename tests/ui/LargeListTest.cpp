// The main window's list over a 10,000-line hosts file: the list asks the
// window for its cells, so numbering, texts, statuses, selection, scrolling
// and saving are checked row by row at a size where that matters.
#include "res/resource.h"
#include "WindowTest.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace
{
const int kLines = 10000;
const int kLongLine = 4999;  // a line beyond the 511 characters of a classic line buffer

struct Row
{
    std::string number, text, status;
    bool operator==(const Row& o) const { return number == o.number && text == o.text && status == o.status; }
};

void PrintTo(const Row& row, std::ostream* os)
{
    *os << "{" << row.number << ", '" << row.text << "', " << row.status << "}";
}

// Line n (from 1) of the test file: every tenth commented out, one very long.
std::string Line(int n)
{
    if (n == kLongLine)
    {
        std::string line = "0.0.0.0";
        for (int k = 1; k <= 100; ++k)
            line += " long" + std::to_string(k) + ".example";
        return line;
    }
    if (n % 10 == 0)
        return "# 0.0.0.0 old" + std::to_string(n) + ".example";
    return "127.0.0.1 host" + std::to_string(n) + ".example";
}

// The file: the lines with CR LF, and two blank lines after line 100, which
// give no rows.
std::string HostsFile()
{
    std::string file;
    for (int n = 1; n <= kLines; ++n)
    {
        file += Line(n) + "\r\n";
        if (n == 100)
            file += "\r\n\r\n";
    }
    return file;
}

// Rows as first loaded: row i holds line i + 1.
std::vector<Row> LoadedRows()
{
    std::vector<Row> rows;
    for (int n = 1; n <= kLines; ++n)
        rows.push_back({std::to_string(n), Line(n), n % 10 == 0 ? "Commented" : "Active"});
    return rows;
}

// A cell read through the control with a buffer on the stack, room enough
// for every line here (UiDriver::Cell's buffer for any line would cost more
// than the read itself, 30,000 times over).
std::string CellText(HWND hList, int nRow, int nColumn)
{
    char szText[4096] = "";
    LVITEMA item = {};
    item.iSubItem = nColumn;
    item.pszText = szText;
    item.cchTextMax = sizeof(szText);
    ::SendMessageA(hList, LVM_GETITEMTEXTA, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&item));
    return item.pszText;
}

Row RowAt(HWND hList, int nRow)
{
    return {CellText(hList, nRow, 0), CellText(hList, nRow, 1), CellText(hList, nRow, 2)};
}

std::vector<Row> Rows(HWND hList)
{
    std::vector<Row> rows;
    int nCount = UiDriver::RowCount(hList);
    for (int n = 0; n < nCount; ++n)
        rows.push_back(RowAt(hList, n));
    return rows;
}

// Compares row by row and reports the first difference only: a full dump of
// 10,000 rows would drown it.
void ExpectRows(const std::vector<Row>& expected, HWND hList)
{
    std::vector<Row> actual = Rows(hList);
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t n = 0; n < expected.size(); ++n)
    {
        if (!(expected[n] == actual[n]))
        {
            EXPECT_EQ(expected[n], actual[n]) << "row " << n;
            return;
        }
    }
}

void SelectAll(HWND hList)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    ::SendMessageA(hList, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
}

void ExitAnsweringNo(UiDriver& driver, HWND hMain)
{
    driver.Command(hMain, ID_FILE_EXIT);
    MessageBoxSeen box = driver.WaitForMessageBox();
    EXPECT_EQ("Would you like to save the changes?", box.text);
    driver.Answer(box, IDNO);
    EXPECT_TRUE(WindowTest::ClosesWithoutQuestion(driver, hMain));
}
}

class LargeListTest : public WindowTest
{
};

TEST_F(LargeListTest, ShowsEveryLineNumberedWithItsStatus)
{
    SetHosts(HostsFile());
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        ExpectRows(LoadedRows(), hList);
        EXPECT_EQ(1499u, UiDriver::Cell(hList, kLongLine - 1, 1).size()) << "the long line is shown whole";
        EXPECT_EQ(std::vector<int>{}, UiDriver::SelectedRows(hList));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(LargeListTest, CommentsEverySelectedRowAndKeepsTheSelection)
{
    SetHosts(HostsFile());
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        // Every third row, from the first to the last (row 9999 is the last).
        std::vector<int> selected;
        for (int n = 0; n < kLines; n += 3)
            selected.push_back(n);
        UiDriver::Select(hList, selected);
        driver.Command(hMain, IDC_COMMENT_SELECTED);
        driver.Sync(hMain);

        std::vector<Row> expected = LoadedRows();
        for (int n : selected)
            if (expected[n].status == "Active")
                expected[n] = {expected[n].number, "# " + expected[n].text, "Commented"};
        ExpectRows(expected, hList);
        EXPECT_EQ("# 127.0.0.1 host1.example", UiDriver::Cell(hList, 0, 1));
        EXPECT_EQ("127.0.0.1 host2.example", UiDriver::Cell(hList, 1, 1)) << "not selected: unchanged";
        EXPECT_EQ("# 127.0.0.1 host4.example", UiDriver::Cell(hList, 3, 1));
        EXPECT_EQ("Commented", UiDriver::Cell(hList, 3, 2));
        EXPECT_EQ("# 0.0.0.0 old10000.example", UiDriver::Cell(hList, 9999, 1)) << "already commented: unchanged";
        EXPECT_EQ(selected, UiDriver::SelectedRows(hList)) << "the selection stays";
        EXPECT_EQ(1, m_pDlg->m_bModified);

        // Every row: each commented one loses its mark.
        SelectAll(hList);
        driver.Command(hMain, IDC_UNCOMMENT_SELECTED);
        driver.Sync(hMain);
        for (int n = 0; n < kLines; ++n)
        {
            std::string text = Line(n + 1);
            if (text.compare(0, 2, "# ") == 0)
                text = text.substr(2);
            expected[n] = {std::to_string(n + 1), text, "Active"};
        }
        ExpectRows(expected, hList);
        EXPECT_EQ(kLines, static_cast<int>(::SendMessageA(hList, LVM_GETSELECTEDCOUNT, 0, 0)));

        ExitAnsweringNo(driver, hMain);
    });
}

TEST_F(LargeListTest, SavesEveryRowInOrder)
{
    SetHosts(HostsFile());
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        UiDriver::Select(hList, {0, kLongLine - 1, kLines - 1});
        driver.Command(hMain, IDC_COMMENT_SELECTED);
        driver.Sync(hMain);
        driver.Command(hMain, IDC_SAVE_CHANGES);
        MessageBoxSeen box = driver.WaitForMessageBox();
        EXPECT_EQ(0u, box.text.find("Current Hosts File Backed Up Successfully as [")) << box.text;
        driver.Answer(box, IDYES);
        box = driver.WaitForMessageBox();
        EXPECT_EQ("Changes have been saved successfully.", box.text);
        driver.Answer(box, IDOK);
        driver.Command(hMain, ID_FILE_EXIT);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain)) << "saved: nothing to ask";
    });

    // The first row and the long one carry their new mark; the last was
    // commented already; the blank lines stay.
    std::string expected;
    for (int n = 1; n <= kLines; ++n)
    {
        expected += (n == 1 || n == kLongLine ? "# " : "") + Line(n) + "\r\n";
        if (n == 100)
            expected += "\r\n\r\n";
    }
    std::string written = ReadBytes(SystemHostsPath());
    EXPECT_EQ(expected.size(), written.size());
    EXPECT_TRUE(expected == written) << "the saved file differs from the rows";
    EXPECT_EQ(0u, written.find("# 127.0.0.1 host1.example\r\n127.0.0.1 host2.example\r\n"));
    EXPECT_EQ(written.size() - 30, written.rfind("\r\n# 0.0.0.0 old10000.example\r\n"));
    EXPECT_NE(std::string::npos, written.find("\r\n# 0.0.0.0 long1.example long2.example"));
}

TEST_F(LargeListTest, RefreshNumbersFromOneAgainAndDropsTheSelection)
{
    SetHosts(HostsFile());
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        UiDriver::Select(hList, {1, 5, 9000});
        ::SendMessageA(hList, LVM_ENSUREVISIBLE, kLines - 1, FALSE);
        EXPECT_LT(9000, static_cast<int>(::SendMessageA(hList, LVM_GETTOPINDEX, 0, 0)));

        SetHosts("127.0.0.1 a\r\n# 127.0.0.1 b\r\n");
        driver.Command(hMain, ID_VIEW_REFRESH);
        driver.Sync(hMain);
        ExpectRows({{"1", "127.0.0.1 a", "Active"}, {"2", "# 127.0.0.1 b", "Commented"}}, hList);
        EXPECT_EQ(std::vector<int>{}, UiDriver::SelectedRows(hList));
        EXPECT_EQ(0, static_cast<int>(::SendMessageA(hList, LVM_GETTOPINDEX, 0, 0)));

        SetHosts(HostsFile());
        driver.Command(hMain, ID_VIEW_REFRESH);
        driver.Sync(hMain);
        ASSERT_EQ(kLines, UiDriver::RowCount(hList));
        std::vector<Row> loaded = LoadedRows();
        for (int n : {0, 1, 2, kLines - 1})
            EXPECT_EQ(loaded[n], RowAt(hList, n));
        EXPECT_EQ(std::vector<int>{}, UiDriver::SelectedRows(hList));
        EXPECT_EQ(0, m_pDlg->m_bModified);
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(LargeListTest, AddsAfterTheLastRowInViewKeepingTheSelection)
{
    SetHosts(HostsFile());
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        UiDriver::Select(hList, {3, kLines - 1});
        driver.Command(hMain, IDC_ADD_NEW_ENTRY);
        HWND hEntry = driver.WaitForDialog("Hosts File Entry");
        ASSERT_NE(nullptr, hEntry);
        ::SendMessageA(::GetDlgItem(hEntry, IDC_ENTRY), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("ads.example"));
        driver.Command(hEntry, IDOK);
        driver.Sync(hMain);

        ASSERT_EQ(kLines + 1, UiDriver::RowCount(hList));
        std::vector<Row> loaded = LoadedRows();
        for (int n : {0, 3, kLines - 2, kLines - 1})
            EXPECT_EQ(loaded[n], RowAt(hList, n));
        EXPECT_EQ((Row{"10001", "127.0.0.1 ads.example", "Active"}), RowAt(hList, kLines));
        int nTop = static_cast<int>(::SendMessageA(hList, LVM_GETTOPINDEX, 0, 0));
        int nPerPage = static_cast<int>(::SendMessageA(hList, LVM_GETCOUNTPERPAGE, 0, 0));
        EXPECT_GE(kLines, nTop);
        EXPECT_LT(kLines, nTop + nPerPage) << "the new row is wholly in view";
        EXPECT_EQ((std::vector<int>{3, kLines - 1}), UiDriver::SelectedRows(hList));
        ExitAnsweringNo(driver, hMain);
    });
}
