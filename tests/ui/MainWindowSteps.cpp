#include "MainWindowSteps.h"

#include "res/resource.h"
#include "WindowTest.h"

const char kAskSave[] = "Would you like to save the changes?";
const char kSaved[] = "Changes have been saved successfully.";

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

void ExpectBox(UiDriver& driver, const std::string& text, const char* pszIcon, int nAnswer)
{
    MessageBoxSeen box = driver.WaitForMessageBox();
    EXPECT_EQ("Tarnwick", box.caption);
    EXPECT_EQ(text, box.text);
    EXPECT_EQ(pszIcon, box.icon);
    EXPECT_EQ((nAnswer == IDOK ? std::vector<int>{IDOK} : std::vector<int>{IDYES, IDNO}), box.buttons);
    driver.Answer(box, nAnswer);
}

void ExpectChangedQuestion(UiDriver& driver, int nAnswer)
{
    MessageBoxSeen box = driver.WaitForMessageBox();
    LONG nNoStyle = ::GetWindowLongA(::GetDlgItem(box.hWnd, IDNO), GWL_STYLE);
    EXPECT_EQ(BS_DEFPUSHBUTTON, nNoStyle & BS_TYPEMASK) << "No is the default button";
    EXPECT_EQ("Tarnwick", box.caption);
    EXPECT_EQ("The hosts file has been changed by another program since it was loaded.\n"
              "Saving now replaces those changes; the backup made before saving keeps them.\n"
              "Save anyway?",
              box.text);
    EXPECT_EQ("warning", box.icon);
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), box.buttons);
    driver.Answer(box, nAnswer);
}

std::string ConfirmBackup(UiDriver& driver, int nAnswer)
{
    MessageBoxSeen box = driver.WaitForMessageBox();
    EXPECT_EQ("Tarnwick", box.caption);
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), box.buttons);
    EXPECT_EQ("information", box.icon);
    const std::string prefix = "Current Hosts File Backed Up Successfully as [";
    std::string::size_type end = box.text.find("].\n");
    EXPECT_TRUE(StartsWith(box.text, prefix) && end != std::string::npos) << box.text;
    std::string path = end == std::string::npos ? "" : box.text.substr(prefix.size(), end - prefix.size());
    EXPECT_EQ(prefix + path + "].\nPlease Press Yes to continue start Saving the Changes made.", box.text);
    driver.Answer(box, nAnswer);
    return path;
}

std::string SaveAndConfirm(UiDriver& driver, HWND hMain, int nAnswer)
{
    driver.Command(hMain, IDC_SAVE_CHANGES);
    return ConfirmBackup(driver, nAnswer);
}

void ExitAnsweringNo(UiDriver& driver, HWND hMain)
{
    driver.Command(hMain, ID_FILE_EXIT);
    ExpectBox(driver, kAskSave, "question", IDNO);
    EXPECT_TRUE(WindowTest::ClosesWithoutQuestion(driver, hMain));
}

int IconSize(HICON hIcon)
{
    ICONINFO info = {};
    if (!hIcon || !::GetIconInfo(hIcon, &info))
        return 0;
    BITMAP bitmap = {};
    ::GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);
    if (info.hbmMask)
        ::DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

std::vector<std::string> Texts(HWND hList)
{
    std::vector<std::string> texts;
    for (int n = 0; n < UiDriver::RowCount(hList); ++n)
        texts.push_back(UiDriver::Cell(hList, n, 1));
    return texts;
}

void CommentFirstRow(UiDriver& driver, HWND hMain, HWND hList)
{
    UiDriver::Select(hList, {0});
    driver.Command(hMain, IDC_COMMENT_SELECTED);
    driver.Sync(hMain);
}
