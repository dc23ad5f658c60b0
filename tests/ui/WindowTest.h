// Base of the window tests: a known hosts file, no editor setting and an
// empty backup folder before each test; the prefix's hosts file put back
// after it.
#pragma once

#include "TestFiles.h"
#include "UiDriver.h"
#include "ui/MainDlg.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

class WindowTest : public ::testing::Test
{
public:
    // Waits up to two seconds for the main window to close; false when it
    // stays open or a message box shows meanwhile.
    static bool ClosesWithoutQuestion(UiDriver& driver, HWND hMain);

protected:
    void SetUp() override;
    void TearDown() override;

    void SetHosts(const std::string& bytes) { WriteBytes(SystemHostsPath(), bytes); }

    // Runs the main window modally while the script drives it. The script
    // gets the window and its list control.
    void RunMain(const std::function<void(UiDriver&, HWND, HWND)>& script);

    std::unique_ptr<CMainDlg> m_pDlg;
    std::string m_savedHosts;
};
