// Files and settings of the test's private Wine prefix, set up and put back
// around each window test.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// Worked out here independently of the program's own code.
std::string SystemHostsPath();   // <system dir>\drivers\etc\hosts
std::string BackupFolderPath();  // <local app data>\Tarnwick
std::vector<std::string> BackupFileNames();  // names in the backup folder, sorted
void EmptyFolder(const std::string& folder);  // deletes everything inside

void SetEditorPath(const char* pszPath);  // nullptr deletes the value
DWORD ReadRunValue();                     // "Run"; 0xFFFFFFFF when missing

// Runs a shell command on the Linux side (chattr, mount, ...) and waits for
// it; returns its exit status, or -1 when it could not be run.
int RunUnixCommand(const std::string& command);

// The system's own message text for an error code, as FormatMessageA gives it.
std::string SystemText(DWORD dwCode);
// The Linux path of a Windows path, or "" when Wine cannot say.
std::string UnixPath(const std::string& windowsPath);
// The backup name the program would give a copy made at the given moment:
// "Hosts file backup on " and the user locale's date and time made safe.
std::string BackupNameAt(const SYSTEMTIME& when);
// Creates files named like the backups of the next nSeconds seconds, so that
// a backup made meanwhile finds its name taken.
void TakeBackupNamesFor(int nSeconds);
// The Windows path of a Linux path, through Wine's Z: drive.
std::string DosPath(const std::string& unixPath);
// Sets or removes (nullptr) the default value of a key under HKEY_CLASSES_ROOT.
void SetClassCommand(const char* pszKey, const char* pszCommand);
std::string ClassCommand(const char* pszKey);  // "" when missing
