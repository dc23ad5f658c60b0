#include "WindowTest.h"

#include "app/HostsApp.h"
#include "res/resource.h"

void WindowTest::SetUp()
{
    m_savedHosts = ReadBytes(SystemHostsPath());
    SetEditorPath(nullptr);
    EmptyFolder(BackupFolderPath());
}

void WindowTest::TearDown()
{
    WriteBytes(SystemHostsPath(), m_savedHosts);
    EmptyFolder(BackupFolderPath());
    ::RemoveDirectoryA(BackupFolderPath().c_str());
}

void WindowTest::RunMain(const std::function<void(UiDriver&, HWND, HWND)>& script)
{
    m_pDlg.reset(new CMainDlg);
    RunModal(
        [&]() {
            theApp.m_pMainWnd = m_pDlg.get();
            m_pDlg->DoModal();
            theApp.m_pMainWnd = nullptr;
        },
        [&](UiDriver& driver) {
            HWND hMain = driver.WaitForDialog("Tarnwick");
            ASSERT_NE(nullptr, hMain) << "the main window did not open";
            HWND hList = ::GetDlgItem(hMain, IDC_HOSTS_LIST);
            ASSERT_NE(nullptr, hList);
            script(driver, hMain, hList);
        });
}

bool WindowTest::ClosesWithoutQuestion(UiDriver& driver, HWND hMain)
{
    for (int nWaited = 0; nWaited < 2000; nWaited += 10)
    {
        if (!driver.NoMessageBox())
            return false;
        if (!::IsWindow(hMain))
            return true;
        ::Sleep(10);
    }
    return false;
}
