// Hand-offs to the shell: each is one ShellExecuteA with no owner window, the
// verb "Open", no working directory and SW_SHOW. Results are not examined and
// the program does not wait for what it starts.
#pragma once

#include "framework/CString.h"

// The home page and the support mailbox.
extern const char kProductHomePage[];
extern const char kContactMailLink[];

void ShellOpen(const char* pszFile, const char* pszParameters = nullptr);

// Opens a file in the configured editor. A path with a blank is quoted, so
// that editors which split their command line still get the whole path.
void OpenInEditor(const CString& path);

// The parameter string for a path: quoted when it contains a blank.
CString EditorParameter(const CString& path);

// View > Hosts File and View > Backup Folder.
void OpenHostsFileInEditor();
void OpenBackupFolder();
