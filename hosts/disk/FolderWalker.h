// Walks a folder, and optionally its sub-folders, handing every entry that
// passes the extension filter to OnFile and telling OnFolderDone when a
// folder is finished. A class that needs a folder listed derives from this
// one and overrides the hooks.
#pragma once

#include "framework/CString.h"
#include "hosts/disk/ExtensionFilter.h"

class CFolderWalker
{
public:
    CFolderWalker();

    // Entries come in the order the system enumerates them, hidden and system
    // entries included, "." and ".." left out; each entry's path is the
    // folder, a backslash and its name. With recurse, a sub-folder is walked
    // (through this virtual, depth first, at the place where it was met) and
    // is not itself filtered or reported; without recurse it is filtered like
    // a file. A folder link (symbolic link or junction) is never walked, so a
    // link back into the tree cannot make the walk loop; with recurse it is
    // skipped altogether, without recurse it is filtered like any folder.
    // OnFolderDone(folder) comes last, also when the folder cannot be read.
    virtual void Walk(const CString& folder, const CString& patterns, bool recurse);
    virtual ~CFolderWalker();

    // A folder whose walk has ended, exactly as it was passed to Walk.
    virtual void OnFolderDone(const CString& folder);
    // The full path of an entry that passed the filter.
    virtual void OnFile(const CString& path);

protected:
    CExtensionFilter m_filter;
};
