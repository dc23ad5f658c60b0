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
