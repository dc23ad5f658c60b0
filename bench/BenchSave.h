// Save Changes as a user runs it, timed: the command, the question that
// follows the backup copy answered Yes, the success note answered OK.
#pragma once

#include "UiDriver.h"

#include <windows.h>

#include <functional>
#include <string>

// The performance counter in seconds.
double Seconds();
// Waits (polling every millisecond) until pred holds; false after dTimeout
// seconds, far beyond the slowest step ever seen, so that a broken step ends
// the run instead of hanging it.
bool WaitUntil(const std::function<bool()>& pred, double dTimeout = 600.0);

// A visible dialog of the UI thread with this caption; the main window is
// the one with a menu, which tells it apart from the message boxes that
// carry the same caption. Null when there is none.
HWND FindDialog(UiDriver& driver, const char* pszCaption, bool bWithMenu = false);

// The newest message box other than hNot, once it is on the screen; an
// empty one when none came within the longest wait for a step.
MessageBoxSeen WaitForBox(UiDriver& driver, HWND hNot = nullptr);

struct CSaveTimes
{
    double dTotal = 0;   // command to success box
    double dBackup = 0;  // command to question: the backup copy
    double dWrite = 0;   // Yes to success box: the write
};

// Saves the main window's rows over the hosts file. The backup copy the save
// made is removed afterwards: the next save may fall in the same second. A
// wrong note is reported through check; false, also through check, when the
// save did not ask the question, so that the run cannot go on.
bool TimeSave(UiDriver& driver, HWND hMain, const std::function<bool(bool, const std::string&)>& check,
              CSaveTimes& times);
