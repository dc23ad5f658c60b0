// Helpers for the tests that run against the real Win32 API under Wine: file
// contents, and a temporary folder tree that is removed afterwards.
#pragma once

#include "framework/CString.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

inline bool FileExists(const char* pszPath)
{
    DWORD dwAttributes = ::GetFileAttributesA(pszPath);
    return dwAttributes != INVALID_FILE_ATTRIBUTES && !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

inline bool FolderExists(const char* pszPath)
{
    DWORD dwAttributes = ::GetFileAttributesA(pszPath);
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

inline std::string ReadAll(const char* pszPath)
{
    std::string bytes;
    std::FILE* pFile = std::fopen(pszPath, "rb");
    if (!pFile)
        return "<missing>";
    char buffer[4096];
    size_t nRead;
    while ((nRead = std::fread(buffer, 1, sizeof buffer, pFile)) > 0)
        bytes.append(buffer, nRead);
    std::fclose(pFile);
    return bytes;
}

inline bool WriteAll(const char* pszPath, const std::string& bytes)
{
    std::FILE* pFile = std::fopen(pszPath, "wb");
    if (!pFile)
        return false;
    bool bOk = std::fwrite(bytes.data(), 1, bytes.size(), pFile) == bytes.size();
    return std::fclose(pFile) == 0 && bOk;
}

inline bool EndsWith(const CString& text, const char* pszTail)
{
    CString tail(pszTail);
    return text.GetLength() >= tail.GetLength() && text.Right(tail.GetLength()) == tail;
}

// Runs a Linux command line through Wine (a Linux program started from
// Windows cannot be waited for: the caller polls for its effect).
inline bool StartLinuxCommand(const std::string& commandLine)
{
    std::string line = commandLine;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    if (pi.hProcess)
        ::CloseHandle(pi.hProcess);
    if (pi.hThread)
        ::CloseHandle(pi.hThread);
    return true;
}

inline bool UnderWine()
{
    return ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name") != nullptr;
}

// The Linux path of a Windows path under Wine; empty elsewhere.
inline std::string UnixPathOf(const char* pszPath)
{
    typedef char*(CDECL * PFNWINEGETUNIXFILENAME)(LPCWSTR);
    HMODULE hKernel = ::GetModuleHandleA("kernel32.dll");
    PFNWINEGETUNIXFILENAME pfn = reinterpret_cast<PFNWINEGETUNIXFILENAME>(
        reinterpret_cast<void (*)()>(::GetProcAddress(hKernel, "wine_get_unix_file_name")));
    if (!pfn)
        return std::string();
    wchar_t wide[MAX_PATH];
    if (!::MultiByteToWideChar(CP_ACP, 0, pszPath, -1, wide, MAX_PATH))
        return std::string();
    char* pszUnix = pfn(wide);
    if (!pszUnix)
        return std::string();
    std::string unixPath(pszUnix);
    ::HeapFree(::GetProcessHeap(), 0, pszUnix);
    return unixPath;
}

// Waits up to five seconds for a condition that another process brings about.
template <typename Condition>
bool WaitFor(Condition condition)
{
    for (int i = 0; i < 500; ++i)
    {
        if (condition())
            return true;
        ::Sleep(10);
    }
    return condition();
}

// A fresh folder under the temporary folder, removed with everything in it
// when the object goes.
class CTempFolder
{
public:
    CTempFolder()
    {
        static int s_nCount = 0;
        char szTemp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, szTemp);
        m_path.Format("%stw-hosts-%lu-%d", szTemp, ::GetCurrentProcessId(), s_nCount++);
        EXPECT_TRUE(::CreateDirectoryA(m_path, nullptr)) << m_path.c_str() << " error " << ::GetLastError();
    }
    ~CTempFolder() { RemoveTree(m_path); }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const CString& Path() const { return m_path; }
    CString operator/(const char* pszName) const { return m_path + "\\" + pszName; }

    CString AddFile(const char* pszRelative, const std::string& bytes = "x")
    {
        CString path = *this / pszRelative;
        EXPECT_TRUE(WriteAll(path, bytes)) << path.c_str();
        return path;
    }
    CString AddFolder(const char* pszRelative)
    {
        CString path = *this / pszRelative;
        EXPECT_TRUE(::CreateDirectoryA(path, nullptr)) << path.c_str();
        return path;
    }

    static void RemoveTree(const CString& folder)
    {
        WIN32_FIND_DATAA data;
        HANDLE hFind = ::FindFirstFileA(folder + "\\*", &data);
        if (hFind != INVALID_HANDLE_VALUE)
        {
            do
            {
                CString name(data.cFileName);
                if (name == "." || name == "..")
                    continue;
                CString path = folder + "\\" + name;
                if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                    RemoveLink(path);
                else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(path);
                else
                {
                    ::SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
                    ::DeleteFileA(path);
                }
            } while (::FindNextFileA(hFind, &data));
            ::FindClose(hFind);
        }
        ::RemoveDirectoryA(folder);
    }

    // Wine cannot delete a Linux symbolic link itself: rm does it.
    static void RemoveLink(const CString& path)
    {
        std::string unixPath = UnixPathOf(path);
        if (unixPath.empty())
        {
            ::RemoveDirectoryA(path);
            return;
        }
        if (StartLinuxCommand("Z:\\bin\\rm -f " + unixPath))
            WaitFor([&] { return ::GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES; });
    }

private:
    CString m_path;
};
