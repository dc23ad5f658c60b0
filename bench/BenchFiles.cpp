#include "BenchFiles.h"

#include "TestFiles.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace
{
const char kBackupPrefix[] = "Hosts file backup on ";
}

int CountFileLines(const std::string& path)
{
    std::FILE* pFile = std::fopen(path.c_str(), "rb");
    if (!pFile)
        return 0;
    int nLines = 0;
    std::vector<char> buffer(1 << 16);
    size_t nRead;
    while ((nRead = std::fread(buffer.data(), 1, buffer.size(), pFile)) > 0)
    {
        auto pEnd = buffer.begin() + static_cast<std::ptrdiff_t>(nRead);
        nLines += static_cast<int>(std::count(buffer.begin(), pEnd, '\n'));
    }
    std::fclose(pFile);
    return nLines;
}

std::string ReadStart(const std::string& path, size_t nBytes)
{
    std::string bytes(nBytes, '\0');
    std::FILE* pFile = std::fopen(path.c_str(), "rb");
    if (!pFile)
        return std::string();
    bytes.resize(std::fread(&bytes[0], 1, nBytes, pFile));
    std::fclose(pFile);
    return bytes;
}

bool WriteByteAt(const std::string& path, LONG nOffset, char ch)
{
    HANDLE hFile = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD dwWritten = 0;
    bool bWritten = ::SetFilePointer(hFile, nOffset, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
                    ::WriteFile(hFile, &ch, 1, &dwWritten, nullptr) && dwWritten == 1;
    ::CloseHandle(hFile);
    return bWritten;
}

std::vector<std::string> MakeBackups(int nCount)
{
    std::string folder = BackupFolderPath();
    ::CreateDirectoryA(folder.c_str(), nullptr);
    std::vector<std::string> made;
    const char kContent[] = "# an old hosts file\r\n127.0.0.1 localhost\r\n0.0.0.0 ads.example\r\n";
    for (int n = 0; n < nCount; ++n)
    {
        char szName[128];
        std::snprintf(szName, sizeof(szName), "%s%d %d %d %d %02d %02d %s", kBackupPrefix, 1 + n % 12,
                      1 + (n / 12) % 28, 2001 + n / 336, 1 + n % 12, n % 60, (n * 7) % 60, n % 2 ? "PM" : "AM");
        std::string path = folder + "\\" + szName;
        if (FileExists(path))
            continue;
        WriteBytes(path, kContent);
        made.push_back(path);
    }
    return made;
}

int CountFiles(const std::string& folder)
{
    int nCount = 0;
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return 0;
    do
    {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        {
            if (std::strcmp(data.cFileName, ".") != 0 && std::strcmp(data.cFileName, "..") != 0)
                nCount += CountFiles(folder + "\\" + data.cFileName);
        }
        else
        {
            ++nCount;
        }
    } while (::FindNextFileA(hFind, &data));
    ::FindClose(hFind);
    return nCount;
}

std::string TempPath(const char* pszName)
{
    char szTemp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, szTemp);
    return std::string(szTemp) + pszName;
}

