// Check Entries' Fix and Edit > Compact Entries timed at the session's size:
// Fix of every problem but the stalling row on the real blocklist of
// tests/data repeated, its Undo, and Compact Entries on a blocklist of one
// address with the save after it; the history each keeps and the memory
// each takes, as shares of the file.
#pragma once

#include "CheckEntriesBench.h"

class CMainDlg;

// Runs on a main window without unsaved changes, and puts the hosts file
// back as it found it. An empty string, or what went wrong.
std::string BenchFixAndCompact(UiDriver& driver, CMainDlg& dlg, int nLines, const BenchAdd& add);
