// Following another program's changes to a large hosts file while the user
// has unsaved changes on every 100th row: each change written by the other
// program, timed from its write until the list shows its rows.
#pragma once

#include "UiDriver.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct CBenchReport
{
    // A step's timing, under a key and a label for the table.
    std::function<void(const std::string& key, const std::string& label, double dSeconds)> add;
    // Records a failure when the condition does not hold; returns it.
    std::function<bool(bool bCondition, const std::string& what)> check;
};

// Answers every message box the main window has open, in turn, and removes
// each backup that a wipe's box names (so that the backup folder stays as it
// was); the boxes' texts.
std::vector<std::string> AnswerBoxes(UiDriver& driver, HWND hMain);

// Runs every step on the main window (hMain, its list hList, nRows rows),
// whose hosts file it leaves as it found it, with the list loaded from it
// again (the modified mark set). False when a step failed.
bool TimeFollowing(UiDriver& driver, HWND hMain, HWND hList, int nRows, const CBenchReport& report);
