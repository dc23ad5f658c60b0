// Edit > Check Entries timed on the real blocklist of tests/data repeated to
// a file of as many lines as the session's: the load (Refresh) beside the
// check and the dialog's opening, "Select Rows" beside "Select All" on the
// same list, and the memory the check keeps while its dialog is open.
#pragma once

#include "UiDriver.h"

#include <functional>
#include <string>

// Adds a timing (seconds) or a size (MB, its label says so) under a key.
using BenchAdd = std::function<void(const std::string& key, const std::string& label, double dValue)>;

// Writes the file, again while the window holds it open for a moment (a
// write shares nothing); false when it never could.
bool Put(const std::string& path, const std::string& bytes);
// The real blocklist's lines, round and round, to nLines lines ended with
// CR LF.
std::string RepeatedBlocklist(int nLines);

// Runs on a main window without unsaved changes, and puts the hosts file
// back as it found it, the list taking it back by Refresh. An empty string,
// or what went wrong.
std::string BenchCheckEntries(UiDriver& driver, HWND hMain, HWND hList, int nLines, const BenchAdd& add);
