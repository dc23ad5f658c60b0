// The save and backup commands of the main window: the questions before a
// save, the save itself (hosts/disk/SaveFile.h) and what the user is told
// after, in message boxes owned by the window. The window asks this class;
// this class asks the follower what the hosts file held and to follow it,
// and the disk to copy and write; nothing calls back up.
#pragma once

#include "framework/CWnd.h"
#include "hosts/document/ContentDigest.h"
#include "hosts/document/EntryList.h"
#include "ui/HostsFollower.h"

class CSaveCommand
{
public:
    CSaveCommand(const CWnd& owner, const CEntryList& rows, CHostsFollower& follower)
        : m_owner(owner), m_rows(rows), m_follower(follower)
    {
    }
    virtual ~CSaveCommand() = default;

    enum Result
    {
        Saved,
        Declined,  // No when asked to go on after the backup
        Kept,      // No when asked to replace another program's changes: nothing written
        NotHeld,   // written, but read back the hosts file holds something else
        Failed
    };
    // Backs up the hosts file, asks to go on and writes the rows over it.
    // When the hosts file holds something else than the follower knows it
    // held when the rows were last loaded, followed or saved, or comes to
    // hold something else while the user is asked to go on, the rows are
    // brought up to it first and the save goes on only when none of the
    // user's changes was lost; where the rows cannot follow it (a restored
    // backup, a file that is gone), the user is asked first. Rows that a
    // failed load left (see CEntryList::LoadFailed) are never saved. No to
    // the question about a read-only hosts file declines the save. Following
    // waits while this runs; after a save the follower knows what was
    // written.
    Result Save();
    // Backs up the hosts file alone.
    void Backup();

private:
    // The steps of a save, top to bottom; written gets what a save wrote.
    Result SaveSteps(CContentDigest& written);
    // Whether the rows are the hosts file's lines, as read; when a load
    // failed, the user is told and nothing may be saved.
    bool HoldsTheFilesLines();
    // Whether to replace what another program wrote; No is the default.
    bool AskToReplaceChanges();
    // Follows another program's change; whether the save may go on, with
    // now what the file holds.
    bool FollowOrAsk(CContentDigest& now);

    const CWnd& m_owner;
    const CEntryList& m_rows;
    CHostsFollower& m_follower;
};
