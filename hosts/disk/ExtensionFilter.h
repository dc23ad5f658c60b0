// Decides whether a path passes a comma-separated list of patterns.
//
// A pattern is judged by its extension only: '*.txt', 'txt' and 'backup*.txt'
// all pass the paths whose extension is 'txt' in any casing. The one
// exception is "*.*" (any casing), which passes every path. The list is cut
// at commas; runs of commas give no empty pattern and blanks belong to the
// pattern they touch (' *.*' is the extension '*', which passes nothing).
#pragma once

#include "framework/CString.h"
#include "framework/CStringArray.h"

#include <vector>

class CExtensionFilter
{
public:
    CExtensionFilter();
    // True when some pattern of the list passes the path; false for a list
    // without patterns.
    virtual bool Matches(const CString& path, const CString& patterns);
    virtual ~CExtensionFilter();

    // The text after the last '.' of the whole text (not only of its last
    // path component); the whole text without a '.'; empty after a final '.'.
    CString GetExtension(const CString& text);

protected:
    CStringArray m_patterns;       // the patterns of the latest list, in order
    std::vector<char> m_scratch;   // the list, cut in place at its commas
    CString m_current;             // the pattern under test, then its extension
};
