// The Sections dialog timed on the main window's file: opening it (which
// finds every section), switching its largest section off and on, and Go To
// selecting that section's entries in the main list.
#pragma once

#include "UiDriver.h"

#include <windows.h>

#include <functional>
#include <string>

// record(key, label, seconds) takes each timing; check(condition, what)
// reports a step that did not do what it must and returns the condition.
// False when a step failed so that the run cannot go on; the dialog is then
// closed and the main window is left as it was.
bool BenchSections(UiDriver& driver, HWND hMain, const std::function<void(const char*, const char*, double)>& record,
                   const std::function<bool(bool, const std::string&)>& check);
