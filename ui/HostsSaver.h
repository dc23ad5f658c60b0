// The save and backup commands of the main window: the questions before a
// save, the save itself (hosts/HostsSave.h) and what the user is told after,
// in message boxes owned by the window.
#pragma once

#include "framework/CWnd.h"
#include "hosts/ContentDigest.h"
#include "hosts/EntryList.h"

class CHostsSaver
{
public:
    CHostsSaver(const CWnd& owner, const CEntryList& rows) : m_owner(owner), m_rows(rows) {}
    virtual ~CHostsSaver() = default;

    enum Result
    {
        Saved,
        Declined,  // No when asked to go on after the backup
        Kept,      // No when asked to replace another program's changes: nothing written
        NotHeld,   // written, but read back the hosts file holds something else
        Failed
    };
    // Backs up the hosts file, asks to go on and writes the rows over it.
    // known is what the hosts file held when it was last loaded or saved:
    // when it holds something else now, or comes to hold something else
    // while the user is asked to go on, the user is asked first. No to the
    // question about a read-only hosts file declines the save. After a save,
    // known is what was written.
    Result Save(CContentDigest& known);
    // Backs up the hosts file alone.
    void Backup();

private:
    // Whether to replace what another program wrote; No is the default.
    bool AskToReplaceChanges();

    const CWnd& m_owner;
    const CEntryList& m_rows;
};
