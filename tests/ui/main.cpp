// Test start-up: the application object as the program would have it before
// its main window runs.
#include "app/HostsApp.h"
#include "framework/DllSearch.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    theApp.InitApplication(::GetModuleHandleA(nullptr));
    INITCOMMONCONTROLSEX controls = {8, 0xFF};
    AfxInitCommonControlsEx(&controls);
    theApp.SetRegistryKey("Pellmoor");
    return RUN_ALL_TESTS();
}
