#include "ui/HostsSaver.h"

#include "framework/CWaitCursor.h"
#include "hosts/HostsFiles.h"
#include "hosts/HostsSave.h"
#include "ui/SystemError.h"

namespace
{
const char kChangedOnDisk[] =
    "The hosts file has been changed by another program since it was loaded.\n"
    "Saving now replaces those changes; the backup made before saving keeps them.\n"
    "Save anyway?";
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
}

CHostsSaver::Result CHostsSaver::Save(CContentDigest& known)
{
    CHostsFiles files;
    CString hostsPath;
    files.GetHostsFilePath(hostsPath);

    // Another program (or the user in an editor) may have written the file
    // since: its lines are not in the list, and saving would drop them. A
    // file that cannot be read now is left to the backup, which reports it.
    CContentDigest now;
    if (DigestFile(hostsPath, now) && now != known &&
        m_owner.MessageBox(kChangedOnDisk, nullptr, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return Kept;

    CString backupPath;
    if (!files.BackupHostsFile(backupPath))
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
        result = SaveHostsFile(hostsPath, backupPath, [this](const HostsByteSink& sink) { m_rows.ForEachPiece(sink); });
    }
    if (result.bSaved)
    {
        known = result.written;
        m_owner.MessageBox(kSaved, nullptr, MB_ICONINFORMATION);
        return Saved;
    }

    // The hosts file has been put back (or could not be) before any of this.
    CString message =
        WithSystemText(result.dwError == ERROR_ACCESS_DENIED ? kSaveFailedAccess : kSaveFailed, result.dwError);
    if (result.bPutBackFailed)
    {
        CString restoreFrom;
        restoreFrom.Format(kRestoreFrom, backupPath.c_str());
        message += WithSystemText(kPutBackFailed, result.dwPutBackError) + restoreFrom;
    }
    m_owner.MessageBox(message, nullptr, MB_ICONERROR);
    return Failed;
}

void CHostsSaver::Backup()
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
