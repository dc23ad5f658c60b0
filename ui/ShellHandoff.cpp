#include "ui/ShellHandoff.h"

#include "app/AppSettings.h"
#include "hosts/disk/Locations.h"

#include <windows.h>
#include <shellapi.h>

const char kProductHomePage[] = "http://www.pellmoor.example/Tarnwick/TarnwickUtility.htm";
const char kContactMailLink[] = "mailto:support@pellmoor.example";

void ShellOpen(const char* pszFile, const char* pszParameters)
{
    ::ShellExecuteA(nullptr, "Open", pszFile, pszParameters, nullptr, SW_SHOW);
}

CString EditorParameter(const CString& path)
{
    if (path.Find(' ') < 0)
        return path;
    CString quoted;
    quoted.Format("\"%s\"", path.c_str());
    return quoted;
}

void OpenInEditor(const CString& path)
{
    CAppSettings settings;
    CString editor;
    settings.GetHostsEditorPath(editor);
    ShellOpen(editor, EditorParameter(path));
}

void OpenHostsFileInEditor()
{
    CHostsFiles files;
    CString path;
    files.GetHostsFilePath(path);
    OpenInEditor(path);
}

void OpenBackupFolder()
{
    CHostsFiles files;
    CString folder;
    files.GetBackupFolder(folder);
    ShellOpen(folder);
}
