// The main window's rows follow the hosts file when another program writes
// it: the watcher reports changes in the file's folder, and once the folder
// has been quiet for a moment (or at once when the window is activated and
// the file's bytes have changed) the file is read again. A list without
// unsaved changes simply shows the new lines; with them, they are carried
// onto the new lines (hosts/follow/CarryChanges.h) and the user is told how many
// could not be. A change that removes most lines is a wipe: the lines as they
// were go to a backup first. Loading the hosts file or a backup into the
// list goes through here too, so that this class always knows what the
// file held when the rows were loaded, followed or saved.
//
// The window owns one, forwards its timer, activation, enabling and the
// watcher's message to it, and shows the rows when told to.
#pragma once

#include "framework/CString.h"
#include "framework/CWnd.h"
#include "hosts/disk/FileStamp.h"
#include "hosts/document/ContentDigest.h"
#include "hosts/document/EntryList.h"
#include "hosts/follow/WipeRule.h"
#include "ui/HostsWatcher.h"

#include <functional>

class CHostsFollower
{
public:
    // show(bFollowed) shows the rows anew: the file's new version (whose rows
    // keep their numbers: the selection stays) or another file altogether.
    // bModified is the window's modified mark.
    CHostsFollower(CWnd& window, CEntryList& rows, int& bModified, std::function<void(bool bFollowed)> show)
        : m_window(window), m_rows(rows), m_bModified(bModified), m_show(std::move(show))
    {
    }
    CHostsFollower(const CHostsFollower&) = delete;
    CHostsFollower& operator=(const CHostsFollower&) = delete;

    // How the rows were brought up to what another program wrote.
    enum Followed
    {
        notFollowed,   // not at all: a restored backup, or a file gone or unreadable
        followedAll,   // every unsaved change carried onto the new lines
        followedSome   // some could not be, and the user has been told
    };

    // The message the watcher posts to the window.
    static const UINT s_nFolderChanged = WM_APP + 1;

    // Starts watching the hosts file's folder; Stop ends it, with any wait.
    void Start();
    void Stop();

    // Fills the rows from a file; an empty path means the system hosts file.
    // The modified mark is left as it is. A hosts file that cannot be
    // loaded whole (no memory for every line) leaves the rows empty, with a
    // message; a backup that cannot leaves them as they were, with a
    // message. True when the file was loaded.
    bool Load(const CString& path);

    // Brings the rows up to what the hosts file holds now, when another
    // program has changed it. A list loaded from a backup is not followed,
    // nor is a file that is gone or cannot be read now (it is tried again
    // once it can be).
    Followed Follow();

    // What the hosts file held when the rows were last loaded, followed or
    // saved.
    CContentDigest Known() const { return m_known; }

    // A save runs between these: following waits for it. pWritten is what
    // the save wrote, which the file then held (nullptr when it wrote
    // nothing); bSaved, that the file held the rows when read back.
    void BeginSave() { ++m_nSaving; }
    void EndSave(const CContentDigest* pWritten, bool bSaved);

    // The window's messages.
    void OnFolderChanged();
    void OnTimer(UINT_PTR nIDEvent);
    void OnActivate(UINT nState);
    void OnEnable(BOOL bEnable);

    // How often the rows have taken in another program's version of the file.
    int GetFollowedCount() const { return m_nFollowed; }

private:
    // Follows now, or, while a save runs or a dialog or message box is open,
    // as soon as it is over.
    void FollowWhenIdle();
    // Runs FollowWhenIdle from the message loop after nDelay milliseconds.
    void FollowLater(UINT nDelay);
    // Tries again in a while when the file exists but cannot be read now.
    void RetryFollowing(const CString& path);
    // Whether the hosts file holds other bytes than those the rows follow,
    // looking at its size and time first and at its bytes only when those
    // changed.
    bool FileChanged();
    // Takes in theirs, the file's new version, which removes names.nRemoved
    // of the host names the rows were loaded with. A wipe is kept in a
    // backup first;
    // false when that backup cannot be written and the rows stay.
    bool KeepWipedLines(const CNameCount& names, CString& keptAs);
    // The message for a file that could not be loaded whole.
    void TellLoadFailure(CEntryList::LoadResult result);

    CWnd& m_window;
    CEntryList& m_rows;
    int& m_bModified;
    std::function<void(bool)> m_show;

    // What the system hosts file held when it was last loaded, followed or
    // saved; a save asks first when it holds something else. Its size and
    // time when it was last looked at and held those bytes.
    CContentDigest m_known;
    CFileStamp m_stamp;
    // A wipe that could not be kept in a backup: the rows stay as they are
    // while the file holds it, and it is not followed again.
    CContentDigest m_refused;
    // The rows came from a backup: the user chose to replace the file with
    // them, so they do not follow it.
    bool m_bFromBackup = false;
    CHostsWatcher m_watcher;
    bool m_bPending = false;
    int m_nSaving = 0;
    int m_nFollowed = 0;
};
