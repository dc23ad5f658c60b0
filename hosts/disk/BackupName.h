// Making a date-time text usable in a backup file's name.
#pragma once

#include "framework/CString.h"

// Each of / \ : * < > becomes a space and each | is removed
// ('7/1/2008 9:42:20 PM' gives '7 1 2008 9 42 20 PM'). So does every other
// character that a file name cannot hold: ? " and the control characters
// become spaces. The ? matters most: it is what the conversion to the ANSI
// code page leaves for a character that the code page lacks, such as the
// Korean AM/PM marks on a Western system. Nothing else is touched: in a
// double-byte code page the characters are judged whole, and the second
// byte of one is never replaced or removed.
CString MakeFileNameSafe(CString dateTimeText);
