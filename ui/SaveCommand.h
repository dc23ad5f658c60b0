// The save and backup commands of the main window: the questions before a
// save, the save itself (hosts/disk/SaveFile.h) and what the user is told after,
// in message boxes owned by the window.
#pragma once

#include "framework/CWnd.h"
#include "hosts/document/ContentDigest.h"
#include "hosts/document/EntryList.h"

#include <functional>

class CSaveCommand
{
public:
    // How the window brought its rows up to what another program wrote.
    enum Followed
    {
        notFollowed,   // not at all: a restored backup, or a file gone or unreadable
        followedAll,   // every unsaved change carried onto the new lines
        followedSome   // some could not be, and the user has been told
    };
    using Follower = std::function<Followed()>;

    // follow, when given, brings the rows up to what the hosts file holds
    // now, updating what the save knows it holds.
    CSaveCommand(const CWnd& owner, const CEntryList& rows, Follower follow = nullptr)
        : m_owner(owner), m_rows(rows), m_follow(std::move(follow))
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
    // known is what the hosts file held when it was last loaded or saved:
    // when it holds something else now, or comes to hold something else
    // while the user is asked to go on, the rows are brought up to it first
    // and the save goes on only when none of the user's changes was lost;
    // where the rows cannot follow it (a restored backup, a file that is
    // gone), the user is asked first. Rows that a failed load left (see
    // CEntryList::LoadFailed) are never saved. No to the
    // question about a read-only hosts file declines the save. After a save,
    // known is what was written.
    Result Save(CContentDigest& known);
    // Backs up the hosts file alone.
    void Backup();

private:
    // Whether the rows are the hosts file's lines, as read; when a load
    // failed, the user is told and nothing may be saved.
    bool HoldsTheFilesLines();
    // Whether to replace what another program wrote; No is the default.
    bool AskToReplaceChanges();

    // Follows another program's change; whether the save may go on, with
    // now what the file holds.
    bool FollowOrAsk(CContentDigest& now, const CContentDigest& known);

    const CWnd& m_owner;
    const CEntryList& m_rows;
    Follower m_follow;
};
