// Naming a file or folder in the ANSI code page when the system gives its
// path in UTF-16: a user name in another script (Дмитрий on a system whose
// code page for non-Unicode programs is 1252) has no narrow spelling, and
// the narrow text the system offers instead holds '?' or look-alike letters,
// which name no folder or the wrong one.
#pragma once

#include "framework/CString.h"

// True with the path's text in the ANSI code page when every character of it
// has an exact form there (the text the narrow API gives too). Otherwise true
// with the path's short (8.3) form, which names the same file in plain ASCII,
// when the file exists and its volume keeps short names. False when neither
// can name it; path is then left as it was.
bool GetAnsiPath(const wchar_t* pszWidePath, CString& path);
