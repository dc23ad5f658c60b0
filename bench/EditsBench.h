// Edit > Delete Lines, Undo and Redo timed on the main window's file (every
// other row, then every row), Edit Line on the last row, a save after
// Delete Lines, and Comment Selected beside its Undo with the bytes a row its
// step keeps in the history.
#pragma once

#include "UiDriver.h"

#include <windows.h>

#include <functional>
#include <string>

class CMainDlg;

// Calls functions on the thread that made it (the window's thread) through
// a message-only window of its own. The benchmark selects rows in bulk with
// the list's own helper there: from another thread, each row's state change
// would be a message sent across threads.
class CWindowThreadCalls
{
public:
    CWindowThreadCalls();
    ~CWindowThreadCalls();
    CWindowThreadCalls(const CWindowThreadCalls&) = delete;
    CWindowThreadCalls& operator=(const CWindowThreadCalls&) = delete;

    // Returns once the call has run on the window's thread.
    void Run(const std::function<void()>& call) const;

private:
    HWND m_hWnd;
};

// record(key, label, value) takes each timing in seconds, and the history's
// bytes a row under a key that starts with "bytes"; check(condition, what)
// reports a step that did not do what it must and returns the condition.
// Runs on a main window without unsaved changes: loads the hosts file again
// (Refresh) first, and leaves the window so, the hosts file as it found it.
// False when a step failed so that the run cannot go on.
bool BenchEdits(UiDriver& driver, CMainDlg& dlg, const CWindowThreadCalls& calls,
                const std::function<void(const std::string&, const std::string&, double)>& record,
                const std::function<bool(bool, const std::string&)>& check);
