#include "TestFiles.h"

#include <algorithm>
#include <cstring>
#include <oleauto.h>
#include <cstdio>
#include <shlobj.h>

std::string ReadBytes(const std::string& path)
{
    std::string bytes;
    HANDLE hFile = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[65536];
    DWORD nRead = 0;
    while (::ReadFile(hFile, buffer, sizeof(buffer), &nRead, nullptr) && nRead > 0)
        bytes.append(buffer, nRead);
    ::CloseHandle(hFile);
    return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    HANDLE hFile = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return;
    DWORD nWritten = 0;
    ::WriteFile(hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &nWritten, nullptr);
    ::CloseHandle(hFile);
}

bool FileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string SystemHostsPath()
{
    char szSystem[MAX_PATH] = "";
    ::GetSystemDirectoryA(szSystem, MAX_PATH);
    return std::string(szSystem) + "\\drivers\\etc\\hosts";
}

std::string BackupFolderPath()
{
    char szLocal[MAX_PATH + 1] = "";
    ::SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, szLocal);
    return std::string(szLocal) + "\\Tarnwick";
}

std::vector<std::string> BackupFileNames()
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA((BackupFolderPath() + "\\*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do
    {
        std::string name = data.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (::FindNextFileA(hFind, &data));
    ::FindClose(hFind);
    std::sort(names.begin(), names.end());
    return names;
}

void EmptyFolder(const std::string& folder)
{
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do
    {
        std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = folder + "\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        {
            EmptyFolder(path);
            ::RemoveDirectoryA(path.c_str());
        }
        else
        {
            ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA(path.c_str());
        }
    } while (::FindNextFileA(hFind, &data));
    ::FindClose(hFind);
}

namespace
{
const char kSettingsKey[] = "Software\\Pellmoor\\Tarnwick\\Settings";
}

void SetEditorPath(const char* pszPath)
{
    HKEY hKey = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr) !=
        ERROR_SUCCESS)
        return;
    if (pszPath)
        ::RegSetValueExA(hKey, "HostsEditorPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(pszPath),
                         static_cast<DWORD>(strlen(pszPath) + 1));
    else
        ::RegDeleteValueA(hKey, "HostsEditorPath");
    ::RegCloseKey(hKey);
}

DWORD ReadRunValue()
{
    DWORD dwValue = 0xFFFFFFFF;
    DWORD cbData = sizeof(dwValue);
    if (::RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, "Run", RRF_RT_REG_DWORD, nullptr, &dwValue, &cbData) !=
        ERROR_SUCCESS)
        return 0xFFFFFFFF;
    return dwValue;
}

int RunUnixCommand(const std::string& command)
{
    // Wine starts a Linux program through CreateProcess but cannot wait for
    // it: the script writes its exit status to a file that is polled.
    static int s_nCounter = 0;
    char szName[64];
    std::snprintf(szName, sizeof(szName), "/tmp/tarnwick-test-%lu-%d", ::GetCurrentProcessId(), ++s_nCounter);
    std::string unixBase = szName;
    std::string dosBase = "Z:" + unixBase;
    std::replace(dosBase.begin(), dosBase.end(), '/', '\\');
    WriteBytes(dosBase + ".sh", command + "\necho $? > " + unixBase + ".tmp && mv " + unixBase + ".tmp " +
                                    unixBase + ".status\n");
    std::string commandLine = "/bin/sh " + unixBase + ".sh";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!::CreateProcessA("Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    if (pi.hProcess)
        ::CloseHandle(pi.hProcess);
    if (pi.hThread)
        ::CloseHandle(pi.hThread);
    for (int nWaited = 0; nWaited < 20000; nWaited += 20)
    {
        if (FileExists(dosBase + ".status"))
        {
            int nStatus = std::atoi(ReadBytes(dosBase + ".status").c_str());
            ::DeleteFileA((dosBase + ".status").c_str());
            ::DeleteFileA((dosBase + ".sh").c_str());
            return nStatus;
        }
        ::Sleep(20);
    }
    return -1;
}

std::string SystemText(DWORD dwCode)
{
    char* pszText = nullptr;
    DWORD nLength = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, dwCode,
        0x400, reinterpret_cast<char*>(&pszText), 1, nullptr);
    std::string text = pszText ? std::string(pszText, nLength) : std::string();
    if (pszText)
        ::LocalFree(pszText);
    return text;
}

std::string UnixPath(const std::string& windowsPath)
{
    typedef char*(CDECL * PFN)(const WCHAR*);
    PFN pfn = reinterpret_cast<PFN>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!pfn)
        return "";
    WCHAR szWide[MAX_PATH];
    ::MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, szWide, MAX_PATH);
    char* pszUnix = pfn(szWide);
    if (!pszUnix)
        return "";
    std::string unixPath = pszUnix;
    ::HeapFree(::GetProcessHeap(), 0, pszUnix);
    return unixPath;
}

std::string BackupNameAt(const SYSTEMTIME& when)
{
    DATE date = 0;
    ::SystemTimeToVariantTime(const_cast<SYSTEMTIME*>(&when), &date);
    BSTR bstr = nullptr;
    ::VarBstrFromDate(date, LOCALE_USER_DEFAULT, 0, &bstr);
    char szText[128] = "";
    ::WideCharToMultiByte(CP_ACP, 0, bstr, -1, szText, sizeof(szText), nullptr, nullptr);
    ::SysFreeString(bstr);
    std::string safe;
    for (const char* p = szText; *p; ++p)
    {
        if (*p == '|')
            continue;
        safe += std::strchr("/\\:*<>", *p) ? ' ' : *p;
    }
    return "Hosts file backup on " + safe;
}

void TakeBackupNamesFor(int nSeconds)
{
    ::CreateDirectoryA(BackupFolderPath().c_str(), nullptr);
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    FILETIME ft;
    ::SystemTimeToFileTime(&now, &ft);
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    for (int n = 0; n <= nSeconds; ++n)
    {
        ULARGE_INTEGER u;
        u.QuadPart = t.QuadPart + static_cast<ULONGLONG>(n) * 10000000ULL;
        FILETIME f = {u.LowPart, u.HighPart};
        SYSTEMTIME st;
        ::FileTimeToSystemTime(&f, &st);
        st.wMilliseconds = 0;
        WriteBytes(BackupFolderPath() + "\\" + BackupNameAt(st), "taken");
    }
}

std::string DosPath(const std::string& unixPath)
{
    std::string dos = "Z:" + unixPath;
    std::replace(dos.begin(), dos.end(), '/', '\\');
    return dos;
}

void SetClassCommand(const char* pszKey, const char* pszCommand)
{
    if (!pszCommand)
    {
        ::RegDeleteKeyA(HKEY_CLASSES_ROOT, pszKey);
        return;
    }
    HKEY hKey = nullptr;
    if (::RegCreateKeyExA(HKEY_CLASSES_ROOT, pszKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr) !=
        ERROR_SUCCESS)
        return;
    ::RegSetValueExA(hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszCommand),
                     static_cast<DWORD>(strlen(pszCommand) + 1));
    ::RegCloseKey(hKey);
}

std::string ClassCommand(const char* pszKey)
{
    char szValue[1024] = "";
    LONG cbValue = sizeof(szValue);
    if (::RegQueryValueA(HKEY_CLASSES_ROOT, pszKey, szValue, &cbValue) != ERROR_SUCCESS)
        return "";
    return szValue;
}
