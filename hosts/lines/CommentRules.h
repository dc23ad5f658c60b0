// Whether a hosts file line is commented out, its status word, and the two
// text changes behind "Comment Selected" and "Un Comment Selected".
#pragma once

#include "framework/CString.h"

#include <cstddef>

// TRUE when the first character after leading white space is '#'.
bool IsCommented(CString text);
bool IsCommented(const char* pch, size_t nLength);

// "Commented" or "Active".
const char* StatusWordFor(bool bCommented);

// The mark that commenting puts in front of a line.
const char kCommentMark[] = "# ";
const size_t kCommentMarkLength = sizeof(kCommentMark) - 1;

// "# " put in front of the text exactly as it was.
CString CommentLine(const CString& text);

// The text without its first character, then without leading white space.
CString UncommentLine(const CString& text);
// Where that rest starts: uncommenting keeps the text from here to its end.
size_t UncommentedStart(const char* pch, size_t nLength);
