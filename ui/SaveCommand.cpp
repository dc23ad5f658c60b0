#include "ui/SaveCommand.h"

#include "framework/CWaitCursor.h"
#include "framework/DnsCache.h"
#include "hosts/disk/Locations.h"
#include "hosts/disk/SaveFile.h"
#include "ui/SystemError.h"

namespace
{
const char kChangedOnDisk[] =
    "The hosts file has been changed by another program since it was loaded.\n"
    "Saving now replaces those changes; the backup made before saving keeps them.\n"
    "Save anyway?";
const char kReadOnly[] = "The hosts file is marked read-only.\nSave anyway? It stays read-only afterwards.";
const char kNotHeld[] =
    "The changes were saved, but the hosts file no longer holds them: another program, such as a security program, "
    "has changed it.\nPress Refresh to see what it holds now.";
const char kBackedUpAskSave[] =
    "Current Hosts File Backed Up Successfully as [%s].\nPlease Press Yes to continue start Saving the Changes made.";
const char kSaved[] = "Changes have been saved successfully.";
const char kSaveFailedAccess[] =
    "Failed to Save Changes.\nError : %sPlease try running the application as administrator.";
const char kSaveFailed[] = "Failed to Save Changes.\nError : %s";
const char kSaveBackupFailed[] =
    "Failed to Backup Current Hosts File.\nAborting Changes Save Action.\nError : %s";
const char kBackedUp[] = "Current Hosts File Backed Up Successfully as [%s].";
const char kBackupFailed[] = "Failed to Backup Current Hosts File.\nError : %s";
const char kPutBackFailed[] =
    "\nThe hosts file may be incomplete: putting back the copy made before saving failed too.\nError : %s";
const char kRestoreFrom[] = "Please restore it from [%s].";
const char kListNotRead[] =
    "The hosts file could not be read, so the list does not hold its lines and saving would lose them.\n"
    "Press Refresh to read it again.";
}

CSaveCommand::Result CSaveCommand::Save()
{
    m_follower.BeginSave();
    CContentDigest written;
    Result result = SaveSteps(written);
    m_follower.EndSave(result == Saved || result == NotHeld ? &written : nullptr, result == Saved);
    return result;
}

CSaveCommand::Result CSaveCommand::SaveSteps(CContentDigest& written)
{
    CHostsFiles files;
    CString hostsPath;
    files.GetHostsFilePath(hostsPath);
    // A save killed between its two renames left the hosts file aside.
    RecoverHostsFile(hostsPath);
    if (!HoldsTheFilesLines())
        return Failed;

    // Another program (or the user in an editor) may have written the file
    // since: its lines are not in the list, and saving would drop them. A
    // file that cannot be read now is left to the backup, which reports it.
    CContentDigest now;
    if (DigestFile(hostsPath, now))
    {
        if (now != m_follower.Known() && !FollowOrAsk(now))
            return m_rows.LoadFailed() ? Failed : Kept;
    }
    else if (m_follower.Known().bPresent && ::GetFileAttributesA(hostsPath) == INVALID_FILE_ATTRIBUTES &&
             !AskToReplaceChanges())
    {
        // Gone since it was loaded: the backup that follows reports it.
        return Kept;
    }

    // A read-only hosts file is often a deliberate hardening step.
    DWORD dwAttributes = ::GetFileAttributesA(hostsPath);
    if (dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_READONLY) &&
        m_owner.MessageBox(kReadOnly, nullptr, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return Declined;

    for (bool bAgain = false;; bAgain = true)
    {
        // A second round's backup would have this second's name, taken by
        // the first round's copy a moment ago.
        CString backupPath;
        auto backup = [&] { return files.BackupHostsFile(backupPath); };
        if (!(bAgain ? BackUpUnderNewName(backup) : backup()))
        {
            m_owner.MessageBox(WithSystemText(kSaveBackupFailed, ::GetLastError()), nullptr, MB_ICONERROR);
            return Failed;
        }
        CString question;
        question.Format(kBackedUpAskSave, backupPath.c_str());
        if (m_owner.MessageBox(question, nullptr, MB_YESNO | MB_ICONINFORMATION) != IDYES)
            return Declined;

        CSaveResult result;
        {
            CWaitCursor wait;
            result = SaveHostsFile(
                hostsPath, [this](const HostsByteSink& sink) { m_rows.ForEachPiece(sink); }, now);
        }
        if (result.bChangedMeanwhile)
        {
            // Written while the question was open: the backup just made does
            // not hold those bytes, so going on makes another one.
            now = result.found;
            if (!FollowOrAsk(now))
                return m_rows.LoadFailed() ? Failed : Kept;
            continue;
        }
        if (result.bSaved)
        {
            written = result.written;
            // The resolver would answer from what it read before for a while.
            AfxFlushDnsResolverCache();
            if (result.bNotHeld)
            {
                m_owner.MessageBox(kNotHeld, nullptr, MB_ICONWARNING);
                return NotHeld;
            }
            m_owner.MessageBox(kSaved, nullptr, MB_ICONINFORMATION);
            return Saved;
        }

        // The hosts file has been put back (or could not be) before any of this.
        CString message = WithSystemText(result.dwError == ERROR_ACCESS_DENIED ? kSaveFailedAccess : kSaveFailed,
                                         result.dwError);
        if (result.bPutBackFailed)
        {
            CString restoreFrom;
            restoreFrom.Format(kRestoreFrom, backupPath.c_str());
            message += WithSystemText(kPutBackFailed, result.dwPutBackError) + restoreFrom;
        }
        m_owner.MessageBox(message, nullptr, MB_ICONERROR);
        return Failed;
    }
}

bool CSaveCommand::HoldsTheFilesLines()
{
    // After a load that failed part-way the list holds none or only some of
    // the file's lines, and entries may have been added to it since.
    if (!m_rows.LoadFailed())
        return true;
    m_owner.MessageBox(kListNotRead, nullptr, MB_ICONERROR);
    return false;
}

bool CSaveCommand::FollowOrAsk(CContentDigest& now)
{
    CHostsFollower::Followed followed = m_follower.Follow();
    // Following reads the file again, and that read may fail too.
    if (!HoldsTheFilesLines())
        return false;
    switch (followed)
    {
    case CHostsFollower::followedAll:
        now = m_follower.Known();  // what the rows were brought up to
        return true;
    case CHostsFollower::followedSome:
        return false;  // the user sees the list before saving again
    case CHostsFollower::notFollowed:
        break;
    }
    return AskToReplaceChanges();
}

bool CSaveCommand::AskToReplaceChanges()
{
    return m_owner.MessageBox(kChangedOnDisk, nullptr, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void CSaveCommand::Backup()
{
    CHostsFiles files;
    CString backupPath;
    if (!files.BackupHostsFile(backupPath))
    {
        m_owner.MessageBox(WithSystemText(kBackupFailed, ::GetLastError()), nullptr, MB_ICONERROR);
        return;
    }
    CString message;
    message.Format(kBackedUp, backupPath.c_str());
    m_owner.MessageBox(message, nullptr, MB_ICONINFORMATION);
}
