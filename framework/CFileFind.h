// Enumerates the entries matching a search pattern such as C:\f\*.*
// (FindFirstFileA / FindNextFileA).
//
// After a successful FindFile no entry is current yet: each FindNextFile takes
// the next entry, and returns FALSE when the entry it just took is the last
// one. The entry taken is then still valid for the queries below:
//
//     if (finder.FindFile("C:\\f\\*.*"))
//     {
//         BOOL bMore = TRUE;
//         while (bMore)
//         {
//             bMore = finder.FindNextFile();
//             ... finder.GetFileName() ...
//         }
//     }
#pragma once

#include "framework/CString.h"

#include <windows.h>

class CFileFind
{
public:
    CFileFind();
    ~CFileFind() { Close(); }
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;

    // FALSE when nothing matches or the folder cannot be read.
    BOOL FindFile(const char* pszPattern);
    BOOL FindNextFile();
    void Close();

    // "." or "..".
    BOOL IsDots() const;
    BOOL IsDirectory() const { return MatchesMask(FILE_ATTRIBUTE_DIRECTORY); }
    // A link (symbolic link or junction) rather than a plain file or folder.
    BOOL IsReparsePoint() const { return MatchesMask(FILE_ATTRIBUTE_REPARSE_POINT); }
    BOOL MatchesMask(DWORD dwMask) const;

    CString GetFileName() const;
    // The folder part of the search pattern (up to and including its
    // last separator) followed by the name.
    CString GetFilePath() const;

private:
    HANDLE m_hFind;
    bool m_bHaveNext;    // m_next holds an entry not yet taken
    bool m_bHaveFound;   // m_found holds the entry last taken
    WIN32_FIND_DATAA m_next;
    WIN32_FIND_DATAA m_found;
    CString m_strRoot;   // the pattern up to and including its last separator
};
