#include "ui/HostsFollower.h"

#include "framework/CWaitCursor.h"
#include "framework/WideText.h"
#include "hosts/disk/Locations.h"
#include "hosts/follow/CarryChanges.h"
#include "hosts/follow/WipeRule.h"
#include "ui/SystemError.h"

#include <string>

namespace
{
const char kLoadOutOfMemory[] = "Not enough memory to load the hosts file.";
const char kLoadReadFailed[] =
    "Failed to read the whole file. None of its lines are shown, so that saving cannot shorten the hosts file.";
const char kLoadBackupFailed[] = "Failed to Load the Selected Backup File.\nError : %s";
const char kChangesLost[] =
    "The hosts file has been changed by another program; the list now shows its lines.\n"
    "%d of your changes could not be kept: the lines they were made on have been changed or removed there.";
const char kWipeKept[] =
    "The hosts file has been changed by another program, which removed %d of the %d host names its entries mapped.\n"
    "The file as it was has been kept as [%s].";
const char kWipeNotKept[] =
    "The hosts file has been changed by another program, which removed %d of the %d host names its entries mapped.\n"
    "The list still shows them: save to put them back, or press Refresh to see the file as it is now.";

// A program may write the file in several pieces: it is followed once it has
// stayed unchanged this long; one that cannot be read is tried again after
// the longer wait.
const UINT_PTR kFollowTimer = 1;
const UINT kQuietMilliseconds = 300;
const UINT kRetryMilliseconds = 1000;

CString HostsPath()
{
    CHostsFiles files;
    CString path;
    files.GetHostsFilePath(path);
    return path;
}

// An added row's text in the encoding of the file it is carried onto:
// between the ANSI code page and UTF-8, through UTF-16. A character that the
// ANSI code page lacks is never replaced by a look-alike or a question mark:
// the row cannot be carried.
bool RecodeText(const char* pch, size_t nLength, bool bToUtf8, std::string& out)
{
    out.clear();
    if (nLength == 0)
        return true;
    if (nLength > 0x10000000)
        return false;
    std::vector<wchar_t> wide = ToWide(pch, static_cast<int>(nLength), bToUtf8 ? CP_ACP : CP_UTF8);
    if (wide.size() <= 1)
        return false;
    bool bLost = false;
    CString text = FromWide(wide.data(), static_cast<int>(wide.size() - 1), bToUtf8 ? CP_UTF8 : CP_ACP, &bLost);
    if (bLost || text.IsEmpty())
        return false;
    out.assign(text.c_str(), static_cast<size_t>(text.GetLength()));
    return true;
}
}

void CHostsFollower::Start()
{
    // The watch starts before the first load, so that no change after the
    // load is missed.
    CString path = HostsPath();
    int nSlash = path.ReverseFind('\\');
    if (nSlash > 0)
        m_watcher.Start(path.Left(nSlash), m_window.m_hWnd, s_nFolderChanged);
}

void CHostsFollower::Stop()
{
    m_watcher.Stop();
    ::KillTimer(m_window.m_hWnd, kFollowTimer);
}

bool CHostsFollower::Load(const CString& path)
{
    // A file is loaded whole or not at all: a list missing some lines would
    // save a shortened hosts file.
    CEntryList::LoadResult result;
    DWORD dwOpenError = 0;
    {
        CWaitCursor wait;
        if (path.IsEmpty())
        {
            // The old rows go first, so that only one file's lines are ever
            // held. A hosts file that cannot be read shows as an empty list.
            // Its stamp is taken first: a change during the read then shows.
            CString hostsPath = HostsPath();
            m_stamp = ReadFileStamp(hostsPath);
            CContentDigest digest;
            result = m_rows.Load(hostsPath, &digest);
            if (result == CEntryList::notOpened)
                m_rows.Empty();
            m_known = digest;
            m_refused = CContentDigest();
            m_bFromBackup = false;
            m_show(false);
        }
        else
        {
            // A backup that cannot be read whole leaves the list as it was,
            // so that a save cannot empty or shorten the hosts file by
            // mistake. Loading it leaves what the hosts file held alone.
            CEntryList backup;
            result = backup.Load(path);
            dwOpenError = ::GetLastError();
            if (result == CEntryList::loaded)
            {
                m_rows.Swap(backup);
                m_bFromBackup = true;
                m_show(false);
            }
        }
    }
    if (result == CEntryList::notOpened && !path.IsEmpty())
        m_window.MessageBox(WithSystemText(kLoadBackupFailed, dwOpenError), nullptr, MB_ICONERROR);
    else
        TellLoadFailure(result);
    return result == CEntryList::loaded;
}

void CHostsFollower::TellLoadFailure(CEntryList::LoadResult result)
{
    if (result == CEntryList::noMemory)
        m_window.MessageBox(kLoadOutOfMemory, nullptr, MB_ICONERROR);
    else if (result == CEntryList::readFailed)
        m_window.MessageBox(kLoadReadFailed, nullptr, MB_ICONERROR);
}

void CHostsFollower::EndSave(const CContentDigest* pWritten, bool bSaved)
{
    --m_nSaving;
    if (pWritten)
        m_known = *pWritten;
    if (bSaved)
    {
        // The file now holds the rows: what changes from here on is new.
        // Its stamp now spares the next look a read of the whole file (a
        // write by another program since then still shows in its digest).
        m_bFromBackup = false;
        m_refused = CContentDigest();
        m_stamp = ReadFileStamp(HostsPath());
    }
    if (m_bPending)
        FollowLater(0);
}

void CHostsFollower::OnFolderChanged()
{
    // Once the folder has been quiet for a moment.
    m_bPending = true;
    FollowLater(kQuietMilliseconds);
}

void CHostsFollower::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kFollowTimer)
        FollowWhenIdle();
}

void CHostsFollower::OnActivate(UINT nState)
{
    // Back from the editor, say: what it wrote shows at once, also when it
    // wrote through another name of the file, which the folder's change
    // notification does not report.
    if (LOWORD(nState) == WA_INACTIVE)
        return;
    if (m_bPending || FileChanged())
    {
        m_bPending = true;
        FollowLater(0);
    }
}

void CHostsFollower::OnEnable(BOOL bEnable)
{
    if (bEnable && m_bPending)
        FollowLater(0);
}

bool CHostsFollower::FileChanged()
{
    if (m_bFromBackup)
        return false;
    // The size and time cost one look; the bytes are read only when those
    // changed or cannot be had.
    CString path = HostsPath();
    CFileStamp stamp = ReadFileStamp(path);
    if (stamp == m_stamp)
        return false;
    CContentDigest digest;
    if (!DigestFile(path, digest))
        return false;  // gone or held: the watcher's wait covers it
    if (digest != m_known && digest != m_refused)
        return true;
    m_stamp = stamp;
    return false;
}

void CHostsFollower::FollowLater(UINT nDelay)
{
    ::SetTimer(m_window.m_hWnd, kFollowTimer, nDelay, nullptr);
}

void CHostsFollower::FollowWhenIdle()
{
    ::KillTimer(m_window.m_hWnd, kFollowTimer);
    // Not in the middle of a save, nor under a dialog or message box, which
    // may be about the rows as they are.
    if (m_nSaving > 0 || !::IsWindowEnabled(m_window.m_hWnd))
    {
        m_bPending = true;
        return;
    }
    m_bPending = false;
    Follow();
}

CHostsFollower::Followed CHostsFollower::Follow()
{
    if (m_bFromBackup)
        return CHostsFollower::notFollowed;
    CString path = HostsPath();
    // Most changes in the folder leave the hosts file as it was (other
    // files): where its size and time are too, a digest read in small
    // pieces tells, without the memory of a whole copy. A file whose size
    // or time changed is read whole at once, which tells as well. A wipe
    // the rows stayed over is not followed again.
    CFileStamp stamp = ReadFileStamp(path);
    CContentDigest digest;
    if (stamp == m_stamp && DigestFile(path, digest) && (digest == m_known || digest == m_refused))
        return digest == m_known ? CHostsFollower::followedAll : CHostsFollower::notFollowed;
    // The new version is read beside the rows, which it is compared with:
    // how many host names it removed, and where the unsaved changes go.
    const bool bCarry = m_rows.HasChanges();
    CEntryList theirs;
    CEntryList::LoadResult result;
    int nLost = 0;
    CNameCount names;
    {
        CWaitCursor wait;
        result = theirs.Load(path, &digest, &m_known);
        if (result == CEntryList::noMemory && !bCarry)
        {
            // Both do not fit: with nothing to carry, the rows' own lines go
            // first, as for Refresh.
            m_rows.Empty();
            result = theirs.Load(path, &digest);
        }
        if (result == CEntryList::loaded && digest == m_refused)
            result = CEntryList::unchanged;
        if (result == CEntryList::loaded && bCarry)
            nLost = CarryChanges(m_rows, theirs, RecodeText, nullptr, &names);
        else if (result == CEntryList::loaded && !CountRemovedNames(m_rows, theirs, names))
            nLost = -1;
    }
    if (result == CEntryList::unchanged)
    {
        m_stamp = stamp;
        // The same bytes again after all, or the wipe the rows stay over.
        return digest == m_refused ? CHostsFollower::notFollowed : CHostsFollower::followedAll;
    }
    if (result == CEntryList::notOpened || (bCarry && result != CEntryList::loaded))
    {
        RetryFollowing(path);
        return CHostsFollower::notFollowed;
    }
    if (nLost < 0)
    {
        m_window.MessageBox(kOutOfMemoryText, nullptr, MB_ICONERROR);
        return CHostsFollower::notFollowed;
    }
    CString keptAs;
    const bool bWipe = result == CEntryList::loaded && IsWipe(names);
    if (bWipe && !KeepWipedLines(names, keptAs))
    {
        // The rows stay, to be saved back; this version is not followed
        // again while the file holds it.
        m_refused = digest;
        m_stamp = stamp;
        m_bModified = 1;
        return CHostsFollower::notFollowed;
    }
    // The list control keeps the first visible, focused and selected rows
    // by their numbers.
    m_rows.Swap(theirs);
    m_known = result == CEntryList::loaded ? digest : CContentDigest();
    m_stamp = stamp;
    m_refused = CContentDigest();
    m_bModified = m_rows.HasChanges() ? 1 : 0;
    ++m_nFollowed;
    m_show(true);
    if (bWipe)
    {
        CString message;
        message.Format(kWipeKept, static_cast<int>(names.nRemoved), static_cast<int>(names.nNames), keptAs.c_str());
        m_window.MessageBox(message, nullptr, MB_ICONWARNING);
    }
    TellLoadFailure(result);
    if (result != CEntryList::loaded)
        return CHostsFollower::notFollowed;
    if (nLost == 0)
        return CHostsFollower::followedAll;
    CString message;
    message.Format(kChangesLost, nLost);
    m_window.MessageBox(message, nullptr, MB_ICONWARNING);
    return CHostsFollower::followedSome;
}

bool CHostsFollower::KeepWipedLines(const CNameCount& names, CString& keptAs)
{
    // The bytes as loaded or last saved: the file itself already holds the
    // new ones.
    CHostsFiles files;
    auto source = [this](const HostsByteSink& sink) { m_rows.ForEachSavedPiece(sink); };
    // A save's copy a moment ago may have this second's name.
    if (BackUpUnderNewName([&] { return files.BackupContent(keptAs, source); }))
        return true;
    CString message;
    message.Format(kWipeNotKept, static_cast<int>(names.nRemoved), static_cast<int>(names.nNames));
    m_window.MessageBox(message, nullptr, MB_ICONWARNING);
    return false;
}

void CHostsFollower::RetryFollowing(const CString& path)
{
    // Held by a program that shares it with no one, say: tried again. A
    // file that is gone leaves the list as it is.
    if (::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
    {
        m_bPending = true;
        FollowLater(kRetryMilliseconds);
    }
}
