// Following another program's changes to a large hosts file while the user
// has unsaved changes on every 100th row: each change written by the other
// program, timed from its write until the list shows its rows.
#pragma once

#include "UiDriver.h"

#include <windows.h>

#include <functional>
#include <string>

struct CBenchReport
{
    // A step's timing, under a key and a label for the table.
    std::function<void(const std::string& key, const std::string& label, double dSeconds)> add;
    // Records a failure when the condition does not hold; returns it.
    std::function<bool(bool bCondition, const std::string& what)> check;
};

// Runs every step on the main window (hMain, its list hList, nRows rows),
// whose hosts file it leaves as it found it, with the list loaded from it
// again (the modified mark set). False when a step failed.
bool TimeFollowing(UiDriver& driver, HWND hMain, HWND hList, int nRows, const CBenchReport& report);
