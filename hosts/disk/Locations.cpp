#include "hosts/disk/Locations.h"

#include "framework/AppName.h"
#include "framework/ShellApi.h"
#include "hosts/disk/AnsiPath.h"
#include "hosts/disk/BackupCopy.h"
#include "hosts/disk/BackupName.h"

#include <cstring>
#include <cwchar>

CHostsFiles::~CHostsFiles()
{
}

void CHostsFiles::GetHostsFilePath(CString& path)
{
    char szSystem[260] = {};
    ::GetSystemDirectoryA(szSystem, 260);
    path.Format("%s\\drivers\\etc\\hosts", szSystem);
    // A system directory ending in a backslash would double the separator.
    path.Replace("\\\\", "\\");
}

void CHostsFiles::GetModuleFolder(CString& folder)
{
    folder.Empty();
    char szModule[256] = {};
    ::GetModuleFileNameA(nullptr, szModule, 256);
    szModule[255] = '\0';  // a truncated path may come back unterminated
    CString module(szModule);
    int nSlash = module.ReverseFind('\\');
    if (nSlash >= 0)
        folder = module.Left(nSlash);
}

void CHostsFiles::GetDataFolder(CString& folder)
{
    CShellApi shell;
    char szBuffer[261];
    std::memset(szBuffer, 0, sizeof szBuffer);
    // The call's result is not looked at: whatever text it left decides.
    shell.SHGetSpecialFolderPath(nullptr, szBuffer, CSIDL_LOCAL_APPDATA, TRUE);
    szBuffer[260] = '\0';
    if (std::strlen(szBuffer) <= 1)
    {
        GetModuleFolder(folder);
        return;
    }
    folder.Format("%s", szBuffer);

    // The narrow text names the folder only when every character of the
    // folder's own text has a form in the ANSI code page. When one has not
    // (a user name in another script), the short form of the folder names
    // it, and failing that the executable's folder serves.
    wchar_t szWide[261] = {};
    shell.SHGetSpecialFolderPathW(nullptr, szWide, CSIDL_LOCAL_APPDATA, FALSE);
    szWide[260] = L'\0';
    if (std::wcslen(szWide) > 1 && !GetAnsiPath(szWide, folder))
        GetModuleFolder(folder);
}

void CHostsFiles::GetBackupFolder(CString& folder)
{
    CString dataFolder;
    GetDataFolder(dataFolder);
    folder.Format("%s\\%s", dataFolder.c_str(), AfxGetAppName());
    // Fails harmlessly when the folder exists; a folder that cannot be made
    // shows up as a failed copy later.
    ::CreateDirectoryA(folder, nullptr);
}

BOOL CHostsFiles::BackupHostsFile(CString& backupPath)
{
    return BackupHostsFile(backupPath, COleDateTime::GetCurrentTime(), LANG_USER_DEFAULT);
}

void CHostsFiles::GetBackupPath(CString& backupPath, CString& folder, const COleDateTime& when, LCID lcid)
{
    CString stamp = MakeFileNameSafe(when.Format(0, lcid));
    GetBackupFolder(folder);
    backupPath.Format("%s\\Hosts file backup on %s", folder.c_str(), stamp.c_str());
    backupPath.Replace("\\\\", "\\");
    folder.Replace("\\\\", "\\");
}

BOOL CHostsFiles::BackupHostsFile(CString& backupPath, const COleDateTime& when, LCID lcid)
{
    CString folder;
    GetBackupPath(backupPath, folder, when, lcid);
    CString hostsPath;
    GetHostsFilePath(hostsPath);
    hostsPath.Replace("\\\\", "\\");
    // An earlier backup is never replaced, and nothing in the folder, which
    // the user's programs can write, is followed.
    return CopyIntoPlainFolder(hostsPath, folder, backupPath);
}

BOOL CHostsFiles::BackupContent(CString& backupPath, const HostsByteSource& source)
{
    CString folder;
    GetBackupPath(backupPath, folder, COleDateTime::GetCurrentTime(), LANG_USER_DEFAULT);
    return WriteIntoPlainFolder(folder, backupPath, source);
}

BOOL BackUpUnderNewName(const std::function<BOOL()>& backup)
{
    if (backup())
        return TRUE;
    if (::GetLastError() != ERROR_FILE_EXISTS)
        return FALSE;
    SYSTEMTIME clock;
    ::GetLocalTime(&clock);
    ::Sleep(1000 - clock.wMilliseconds + 10);
    return backup();
}
