// Japanese Windows, whose ANSI code page is 932 (Shift JIS): a double-byte
// character may end in a byte that is a letter on its own (ア is 83 41, ヂ is
// 83 61), and hosts files from the web may be UTF-8. This program runs in a
// Wine prefix of that code page (run-wine-cp932), where Wine's own dialogs
// speak Japanese.
#include "MainWindowSteps.h"
#include "res/resource.h"
#include "WindowTest.h"

#include <commctrl.h>
#include <dlgs.h>

namespace
{
class CodePage932Test : public WindowTest
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(932u, ::GetACP()) << "these tests must run in the prefix of code page 932 (run-wine-cp932)";
        WindowTest::SetUp();
    }
};

// The Find dialog, whatever its caption says in the prefix's language: the
// dialog that the main window owns with the Find dialog's text box.
HWND OpenFind(UiDriver& driver, HWND hMain)
{
    driver.Command(hMain, ID_EDIT_FIND);
    HWND hFind = nullptr;
    UiDriver::WaitUntil([&] {
        for (HWND hWnd : driver.Windows())
            if (::GetWindow(hWnd, GW_OWNER) == hMain && ::GetDlgItem(hWnd, edt1))
                hFind = hWnd;
        return hFind != nullptr;
    });
    return hFind;
}

// Types the text into the Find dialog, as an input method does, in place of
// what it held, and presses "Find Next".
void FindNext(UiDriver& driver, HWND hMain, HWND hFind, const wchar_t* pszText)
{
    HWND hText = ::GetDlgItem(hFind, edt1);
    ::SendMessageW(hText, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    UiDriver::Type(hText, pszText);
    driver.Command(hFind, IDOK);
    driver.Sync(hMain);
}

void CloseFind(UiDriver& driver, HWND hFind)
{
    driver.Key(hFind, VK_ESCAPE);
    EXPECT_TRUE(UiDriver::WaitUntil([&] { return !::IsWindow(hFind); }));
}

// Adds an entry typed into the entry dialog.
void AddEntryTyped(UiDriver& driver, HWND hMain, const wchar_t* pszEntry)
{
    driver.Command(hMain, IDC_ADD_NEW_ENTRY);
    HWND hEntry = driver.WaitForDialog("Hosts File Entry");
    ASSERT_NE(nullptr, hEntry);
    UiDriver::Type(::GetDlgItem(hEntry, IDC_ENTRY), pszEntry);
    driver.Command(hEntry, IDOK);
    driver.Sync(hMain);
}

using Rows = std::vector<int>;
}

TEST_F(CodePage932Test, FindMatchesWholeCharactersAndNeverASecondByte)
{
    // ヂ, then ャ and A (83 83 41: ア's bytes across two characters), then ア.
    SetHosts("# \x83\x61\r\n# \x83\x83\x41\r\n# \x83\x41\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        EXPECT_EQ(L"# \u30C2", UiDriver::CellW(hList, 0, 1));
        EXPECT_EQ(L"# \u30E3A", UiDriver::CellW(hList, 1, 1));
        EXPECT_EQ(L"# \u30A2", UiDriver::CellW(hList, 2, 1));
        HWND hFind = OpenFind(driver, hMain);
        ASSERT_NE(nullptr, hFind);
        ASSERT_EQ(BST_UNCHECKED, ::IsDlgButtonChecked(hFind, chx2)) << "without Match case";

        FindNext(driver, hMain, hFind, L"\u30A2");  // ア
        EXPECT_EQ(Rows{2}, UiDriver::SelectedRows(hList)) << "ア is in row 3 alone";
        FindNext(driver, hMain, hFind, L"\u30A2");
        EXPECT_EQ(Rows{2}, UiDriver::SelectedRows(hList)) << "round the list: no other row holds ア";
        FindNext(driver, hMain, hFind, L"a");
        EXPECT_EQ(Rows{1}, UiDriver::SelectedRows(hList)) << "the letter after ャ, not the second byte of ヂ";
        FindNext(driver, hMain, hFind, L"a");
        EXPECT_EQ(Rows{1}, UiDriver::SelectedRows(hList)) << "round the list: no other row holds a letter";
        FindNext(driver, hMain, hFind, L"\u30C2");  // ヂ
        EXPECT_EQ(Rows{0}, UiDriver::SelectedRows(hList));

        CloseFind(driver, hFind);
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(CodePage932Test, AnEntryTypedInJapaneseIsSavedInTheCodePageAndJapaneseHeadingsMakeSections)
{
    // 日本 (no byte of it a letter on its own), 、 (81 41: punctuation whose
    // second byte is "A") and 広告.
    const std::string hosts = "# \x93\xFA\x96\x7B\r\n# \x81\x41\r\n0.0.0.0 a.example\r\n# \x8D\x4C\x8D\x90\r\n";
    SetHosts(hosts);
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        AddEntryTyped(driver, hMain, L"\u5E83\u544A.example");  // 広告
        ASSERT_EQ(5, UiDriver::RowCount(hList));
        EXPECT_EQ(L"127.0.0.1 \u5E83\u544A.example", UiDriver::CellW(hList, 4, 1));

        driver.Command(hMain, ID_EDIT_SECTIONS);
        HWND hDlg = driver.WaitForDialog("Sections");
        ASSERT_NE(nullptr, hDlg);
        HWND hSections = ::GetDlgItem(hDlg, IDC_SECTION_LIST);
        std::vector<std::wstring> listed;
        for (int n = 0; n < UiDriver::RowCount(hSections); ++n)
            listed.push_back(UiDriver::CellW(hSections, n, 0) + L"|" + UiDriver::CellW(hSections, n, 1));
        // 日本 and 広告, not 、.
        EXPECT_EQ((std::vector<std::wstring>{L"\u65E5\u672C|1", L"\u5E83\u544A|1"}), listed);
        driver.Key(hDlg, VK_ESCAPE);
        ASSERT_TRUE(UiDriver::WaitUntil([&] { return !::IsWindow(hDlg); }));

        SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, kSaved, "information");
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
    EXPECT_EQ(hosts + "127.0.0.1 \x8D\x4C\x8D\x90.example\r\n", ReadBytes(SystemHostsPath()));
}

TEST_F(CodePage932Test, AUtf8FileShowsItsCommentsFindsTheirWordsAndStaysUtf8)
{
    const std::string utf8 = "# \xE5\xB9\xBF\xE5\x91\x8A\xE8\x81\x94\xE7\x9B\x9F\r\n"               // 广告联盟
                             "# \xE5\xBA\x83\xE5\x91\x8A\r\n"                                       // 広告
                             "# \xD1\x80\xD0\xB5\xD0\xBA\xD0\xBB\xD0\xB0\xD0\xBC\xD0\xB0\r\n"       // реклама
                             "0.0.0.0 ads.example\r\n";
    SetHosts(utf8);
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        ASSERT_EQ(4, UiDriver::RowCount(hList));
        EXPECT_EQ(L"# \u5E7F\u544A\u8054\u76DF", UiDriver::CellW(hList, 0, 1));
        EXPECT_EQ(L"# \u5E83\u544A", UiDriver::CellW(hList, 1, 1));
        EXPECT_EQ(L"# \u0440\u0435\u043A\u043B\u0430\u043C\u0430", UiDriver::CellW(hList, 2, 1));
        EXPECT_EQ(L"Commented", UiDriver::CellW(hList, 2, 2));

        // What is typed is looked for as UTF-8: 广告 is 9B F6 8D 90 in the
        // code page, E5 B9 BF E5 91 8A in the file. (Wine's Find dialog takes
        // only what the code page can spell, so 联, which it cannot, is not
        // tried here.)
        HWND hFind = OpenFind(driver, hMain);
        ASSERT_NE(nullptr, hFind);
        FindNext(driver, hMain, hFind, L"\u5E7F\u544A");  // 广告
        EXPECT_EQ(Rows{0}, UiDriver::SelectedRows(hList));
        FindNext(driver, hMain, hFind, L"\u544A");  // 告, in 广告 and 広告
        EXPECT_EQ(Rows{1}, UiDriver::SelectedRows(hList));
        FindNext(driver, hMain, hFind, L"\u544A");
        EXPECT_EQ(Rows{0}, UiDriver::SelectedRows(hList));
        FindNext(driver, hMain, hFind, L"\u0440\u0435\u043A\u043B\u0430\u043C\u0430");  // реклама
        EXPECT_EQ(Rows{2}, UiDriver::SelectedRows(hList));
        FindNext(driver, hMain, hFind, L"ADS.EX");
        EXPECT_EQ(Rows{3}, UiDriver::SelectedRows(hList));
        CloseFind(driver, hFind);

        // é is not in code page 932 either: the entry goes into the file as
        // UTF-8, C3 A9.
        AddEntryTyped(driver, hMain, L"caf\u00E9.example");
        ASSERT_EQ(5, UiDriver::RowCount(hList));
        EXPECT_EQ(L"127.0.0.1 caf\u00E9.example", UiDriver::CellW(hList, 4, 1));
        // A line feed pasted into an entry becomes a space, also after ぁ
        // (E3 81 81), whose last byte is a lead byte of code page 932.
        driver.Command(hMain, IDC_ADD_NEW_ENTRY);
        HWND hEntry = driver.WaitForDialog("Hosts File Entry");
        ASSERT_NE(nullptr, hEntry);
        ::SendMessageW(::GetDlgItem(hEntry, IDC_ENTRY), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"\u3041\n\u3041.example"));
        driver.Command(hEntry, IDOK);
        driver.Sync(hMain);
        ASSERT_EQ(6, UiDriver::RowCount(hList));
        SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, kSaved, "information");
        EXPECT_EQ(utf8 + "127.0.0.1 caf\xC3\xA9.example\r\n127.0.0.1 \xE3\x81\x81 \xE3\x81\x81.example\r\n",
                  ReadBytes(SystemHostsPath()));

        // Decided anew at every load: a file in the code page is shown in it.
        SetHosts("# \x83\x41\r\n");
        driver.Command(hMain, ID_VIEW_REFRESH);
        driver.Sync(hMain);
        ASSERT_EQ(1, UiDriver::RowCount(hList));
        EXPECT_EQ(L"# \u30A2", UiDriver::CellW(hList, 0, 1));

        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}
