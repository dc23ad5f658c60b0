// Making a date-time text usable in a backup file's name.
#pragma once

#include "framework/CString.h"

// Each of / \ : * < > becomes a space and each | is removed; nothing else is
// touched ('7/1/2008 9:42:20 PM' gives '7 1 2008 9 42 20 PM').
CString MakeFileNameSafe(CString dateTimeText);
