// Whether a hosts file line is commented out, its status word, and the two
// text changes behind "Comment Selected" and "Un Comment Selected".
#pragma once

#include "framework/CString.h"

// TRUE when the first character after leading white space is '#'.
bool IsCommented(CString text);

// "Commented" or "Active".
const char* StatusWord(const CString& text);

// "# " put in front of the text exactly as it was.
CString CommentLine(const CString& text);

// The text without its first character, then without leading white space.
CString UncommentLine(const CString& text);
