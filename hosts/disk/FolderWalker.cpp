#include "hosts/disk/FolderWalker.h"

#include "framework/CFileFind.h"

CFolderWalker::CFolderWalker()
{
}

CFolderWalker::~CFolderWalker()
{
}

void CFolderWalker::OnFolderDone(const CString& folder)
{
}

void CFolderWalker::OnFile(const CString& path)
{
}

void CFolderWalker::Walk(const CString& folder, const CString& patterns, bool recurse)
{
    CFileFind finder;
    if (finder.FindFile(folder + "\\*.*"))
    {
        BOOL bMore = TRUE;
        while (bMore)
        {
            bMore = finder.FindNextFile();
            if (finder.IsDots())
                continue;

            CString path = folder + "\\" + finder.GetFileName();
            if (finder.IsDirectory() && recurse)
            {
                if (!finder.IsReparsePoint())
                    Walk(path, patterns, recurse);
                continue;
            }
            if (m_filter.Matches(path, patterns))
                OnFile(path);
        }
    }
    // Closed before the hook, so a folder is no longer held open when its
    // owner hears it is done.
    finder.Close();
    OnFolderDone(folder);
}
