#include "hosts/disk/SaveFile.h"

#include "framework/CString.h"
#include "hosts/disk/SavedAttributes.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

CSaveHookForTesting g_saveHookForTesting;
const char kNewFilePattern[] = "~tarnwick-*.tmp";

namespace
{
// The attributes SetFileAttributes may set; the others (a reparse point,
// say) are the file system's own.
const DWORD kSettableAttributes = SavedAttributes::kCarried | SavedAttributes::kArchive;

bool EndsWith(const char* pszText, const char* pszEnd)
{
    size_t nText = std::strlen(pszText);
    size_t nEnd = std::strlen(pszEnd);
    return nText >= nEnd && std::strcmp(pszText + nText - nEnd, pszEnd) == 0;
}

bool IsOurFileName(const char* pszName)
{
    return std::strlen(pszName) > 14 && std::strncmp(pszName, "~tarnwick-", 10) == 0 && EndsWith(pszName, ".tmp");
}

// A hosts file renamed aside by a save ("~tarnwick-<process>-<save>-old.tmp").
bool IsOldFileName(const char* pszName)
{
    return IsOurFileName(pszName) && EndsWith(pszName, "-old.tmp");
}

// A file of ours, read-only or not (which DeleteFile would refuse); one still
// in use by another save stays.
void RemoveOurFile(const char* pszPath)
{
    DWORD dwError = ::GetLastError();
    ::SetFileAttributesA(pszPath, FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(pszPath);
    ::SetLastError(dwError);
}

bool IsLater(const FILETIME& a, const FILETIME& b)
{
    return a.dwHighDateTime != b.dwHighDateTime ? a.dwHighDateTime > b.dwHighDateTime
                                                : a.dwLowDateTime > b.dwLowDateTime;
}

// The hosts file's owner and access rights on the new file, where the
// system lets them be set (an owner other than the saving account's needs a
// privilege that is not enabled; then the access rights alone), so that it
// is guarded as the old one was. Where neither can be, the new file keeps
// those its folder gives new files.
void CopySecurity(const char* pszFrom, const char* pszTo)
{
    const SECURITY_INFORMATION kWanted =
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD dwError = ::GetLastError();
    DWORD dwNeeded = 0;
    ::GetFileSecurityA(pszFrom, kWanted, nullptr, 0, &dwNeeded);
    std::unique_ptr<char[]> pDescriptor(dwNeeded ? new (std::nothrow) char[dwNeeded] : nullptr);
    if (pDescriptor && ::GetFileSecurityA(pszFrom, kWanted, pDescriptor.get(), dwNeeded, &dwNeeded) &&
        !::SetFileSecurityA(pszTo, kWanted, pDescriptor.get()))
        ::SetFileSecurityA(pszTo, DACL_SECURITY_INFORMATION, pDescriptor.get());
    ::SetLastError(dwError);
}

// A file whose replacement would cut it off from the other names it has or
// from where it points.
bool MustWriteInPlace(const char* pszPath)
{
    HANDLE hFile = ::CreateFileA(pszPath, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                 nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return true;  // the write in place says why it cannot be opened
    BY_HANDLE_FILE_INFORMATION info = {};
    bool bInPlace = !::GetFileInformationByHandle(hFile, &info) || info.nNumberOfLinks > 1 ||
                    (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    ::CloseHandle(hFile);
    return bInPlace;
}

// The whole file in memory and its digest; false with GetLastError().
bool ReadWhole(const char* pszPath, std::unique_ptr<char[]>& pData, size_t& nSize, CContentDigest& digest)
{
    HANDLE hFile = ::CreateFileA(pszPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size = {};
    bool bRead = ::GetFileSizeEx(hFile, &size) != FALSE;
    if (bRead && size.QuadPart > 0x7FFFFFFF)
    {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        bRead = false;
    }
    nSize = 0;
    if (bRead)
    {
        size_t nCapacity = static_cast<size_t>(size.QuadPart);
        pData.reset(new (std::nothrow) char[nCapacity + 1]);
        if (!pData)
        {
            ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            bRead = false;
        }
        DWORD dwRead = 1;
        while (bRead && nSize < nCapacity && dwRead > 0)
        {
            DWORD dwWant = static_cast<DWORD>(std::min<size_t>(nCapacity - nSize, 1 << 20));
            bRead = ::ReadFile(hFile, pData.get() + nSize, dwWant, &dwRead, nullptr) != FALSE;
            nSize += dwRead;
        }
    }
    DWORD dwError = ::GetLastError();
    ::CloseHandle(hFile);
    ::SetLastError(dwError);
    if (!bRead)
        return false;
    CContentHash hash;
    hash.Add(pData.get(), nSize);
    digest = hash.Digest();
    return true;
}

// A source that gives out only half of the first piece and then stops, as a
// write cut off in the middle; the sink is told it failed.
HostsByteSource CutShort(const HostsByteSource& source, DWORD dwError)
{
    return [&source, dwError](const HostsByteSink& sink) {
        source([&sink, dwError](const char* pch, size_t nLength) {
            if (nLength > 1)
                sink(pch, nLength / 2);
            ::SetLastError(dwError);
            return false;
        });
    };
}

// One save, step by step. What it made and changed is undone when it ends,
// unless a test stopped it as if killed.
class CSave
{
public:
    CSave(const char* pszHostsPath, const HostsByteSource& source, const CContentDigest& expected,
          CSaveResult& result)
        : m_hostsPath(pszHostsPath), m_source(source), m_expected(expected), m_result(result)
    {
        int nSlash = m_hostsPath.ReverseFind('\\');
        m_folder = nSlash >= 0 ? m_hostsPath.Left(nSlash) : CString(".");
        static LONG s_nSaves = 0;
        CString stem;
        stem.Format("%s\\~tarnwick-%lu-%ld", m_folder.c_str(), ::GetCurrentProcessId(),
                    ::InterlockedIncrement(&s_nSaves));
        m_newPath = stem + ".tmp";
        m_oldPath = stem + "-old.tmp";
    }

    ~CSave()
    {
        DWORD dwError = ::GetLastError();
        // A killed process's handles close; its files stay as they are.
        if (m_hNew != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_hNew);
        if (m_bKilled)
            return;
        RemoveOurFile(m_newPath);
        // Where the hosts file is gone, the file renamed aside is all of it.
        if (::GetFileAttributesA(m_hostsPath) != INVALID_FILE_ATTRIBUTES)
            RemoveOurFile(m_oldPath);
        RestoreAttributes();
        ::SetLastError(dwError);
    }

    void Run()
    {
        RecoverHostsFile(m_hostsPath);
        WIN32_FILE_ATTRIBUTE_DATA old = {};
        if (!::GetFileAttributesExA(m_hostsPath, GetFileExInfoStandard, &old))
            return Fail();
        m_dwAttributes = old.dwFileAttributes;
        m_created = old.ftCreationTime;

        bool bInPlace = MustWriteInPlace(m_hostsPath);
        if (!bInPlace)
        {
            if (!WriteNewFile() || !StillExpected(nullptr))
                return;
            if (!Replace())
            {
                if (m_bKilled)
                    return Fail();
                if (m_result.bPutBackFailed)
                    return;
                bInPlace = true;
            }
        }
        if (bInPlace && !WriteInPlace())
            return;
        m_result.bSaved = true;
        ReadBack();
    }

private:
    // True when a test stops the save at this step: as if killed, or with
    // the hook's error.
    bool Stopped(SaveStep step)
    {
        if (g_saveHookForTesting.step != step)
            return false;
        if (g_saveHookForTesting.bKill)
            m_bKilled = true;
        ::SetLastError(g_saveHookForTesting.dwError);
        return true;
    }

    void Fail() { m_result.dwError = ::GetLastError(); }

    bool WriteNewFile()
    {
        if (Stopped(SaveStep::createNew))
            return Fail(), false;
        m_hNew = ::CreateFileA(m_newPath, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m_hNew == INVALID_HANDLE_VALUE)
            return Fail(), false;
        bool bCut = Stopped(SaveStep::writeNew);
        if (!WriteHostsBytes(m_hNew, bCut ? CutShort(m_source, ::GetLastError()) : m_source, &m_result.written) ||
            bCut || Stopped(SaveStep::flushNew) || !::FlushFileBuffers(m_hNew))
            return Fail(), false;
        // The new file is what the hosts file will be from the moment it
        // takes its place: its attributes and creation time come first.
        FILE_BASIC_INFO basic = {};
        basic.CreationTime.LowPart = m_created.dwLowDateTime;
        basic.CreationTime.HighPart = static_cast<LONG>(m_created.dwHighDateTime);
        basic.FileAttributes = AttributesAfterSave(m_dwAttributes);
        if (!::SetFileInformationByHandle(m_hNew, FileBasicInfo, &basic, sizeof basic))
            return Fail(), false;
        ::CloseHandle(m_hNew);
        m_hNew = INVALID_HANDLE_VALUE;
        CopySecurity(m_hostsPath, m_newPath);
        return true;
    }

    // Whether the hosts file still holds what the user agreed to replace;
    // with pData, its bytes are kept for putting back.
    bool StillExpected(std::unique_ptr<char[]>* pData, size_t* pnSize = nullptr)
    {
        if (Stopped(SaveStep::check))
            return Fail(), false;
        std::unique_ptr<char[]> pBytes;
        size_t nSize = 0;
        CContentDigest now;
        bool bRead = pData ? ReadWhole(m_hostsPath, pBytes, nSize, now) : DigestFile(m_hostsPath, now);
        if (!bRead)
            return Fail(), false;
        if (now != m_expected)
        {
            m_result.bChangedMeanwhile = true;
            m_result.found = now;
            return false;
        }
        if (pData)
        {
            *pData = std::move(pBytes);
            *pnSize = nSize;
        }
        return true;
    }

    // A read-only file cannot be written; the attribute goes back when the
    // save ends.
    void AllowWriting()
    {
        if (m_dwAttributes & FILE_ATTRIBUTE_READONLY)
            ::SetFileAttributesA(m_hostsPath, AttributesAsBefore(m_dwAttributes & ~FILE_ATTRIBUTE_READONLY));
    }

    void RestoreAttributes()
    {
        if (m_dwAttributes == INVALID_FILE_ATTRIBUTES)
            return;
        DWORD dwNow = ::GetFileAttributesA(m_hostsPath);
        DWORD dwWanted = m_result.bSaved ? AttributesAfterSave(m_dwAttributes) : AttributesAsBefore(m_dwAttributes);
        if (dwNow != INVALID_FILE_ATTRIBUTES && (dwNow & kSettableAttributes) != (dwWanted & kSettableAttributes))
            ::SetFileAttributesA(m_hostsPath, dwWanted);
    }

    bool Replace()
    {
        if (Stopped(SaveStep::replace))
            return false;
        if (!(m_dwAttributes & FILE_ATTRIBUTE_READONLY))
            return ::MoveFileExA(m_newPath, m_hostsPath, MOVEFILE_REPLACE_EXISTING) != FALSE;
        // A rename does not replace a read-only file, and a file made
        // writable for it would stay so after a kill. So the hosts file is
        // renamed aside (a rename keeps its attributes), and the new file
        // takes its name; should the process be killed in between,
        // RecoverHostsFile puts the old one back.
        if (!::MoveFileExA(m_hostsPath, m_oldPath, 0))
            return false;
        if (!Stopped(SaveStep::moveNew) && ::MoveFileExA(m_newPath, m_hostsPath, 0))
            return true;
        DWORD dwError = ::GetLastError();
        if (m_bKilled)
            return false;
        if (!::MoveFileExA(m_oldPath, m_hostsPath, 0))
        {
            // Neither name holds the hosts file: the old bytes stay under
            // the name of ours, for the next start to put back (and in the
            // backup copy, which the message names).
            m_result.dwError = dwError;
            m_result.bPutBackFailed = true;
            m_result.dwPutBackError = ::GetLastError();
            return false;
        }
        ::SetLastError(dwError);
        return false;
    }

    bool WriteInPlace()
    {
        if (m_result.bPutBackFailed)
            return false;
        // The bytes it holds now are what a failed write puts back.
        std::unique_ptr<char[]> pOld;
        size_t nOld = 0;
        if (!StillExpected(&pOld, &nOld))
            return false;
        AllowWriting();
        // Shared with the readers and writers that may be why the file could
        // not be replaced.
        HANDLE hFile = ::CreateFileA(m_hostsPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile == INVALID_HANDLE_VALUE)
            return Fail(), false;
        bool bCut = Stopped(SaveStep::writeInPlace) || g_saveHookForTesting.step == SaveStep::putBack;
        bool bWritten =
            WriteHostsBytes(hFile, bCut ? CutShort(m_source, ::GetLastError()) : m_source, &m_result.written) &&
            !bCut && ::FlushFileBuffers(hFile);
        if (!bWritten)
        {
            Fail();
            if (m_bKilled)
                return false;
            LARGE_INTEGER start = {};
            const char* pchOld = pOld.get();
            if (Stopped(SaveStep::putBack) || !::SetFilePointerEx(hFile, start, nullptr, FILE_BEGIN) ||
                !WriteHostsBytes(hFile, [pchOld, nOld](const HostsByteSink& sink) { sink(pchOld, nOld); }) ||
                !::FlushFileBuffers(hFile))
            {
                m_result.bPutBackFailed = true;
                m_result.dwPutBackError = ::GetLastError();
            }
        }
        ::CloseHandle(hFile);
        return bWritten;
    }

    void ReadBack()
    {
        if (g_saveHookForTesting.afterWrite)
            g_saveHookForTesting.afterWrite();
        // A file that cannot be read back cannot be said to hold the save.
        CContentDigest now;
        m_result.bNotHeld = Stopped(SaveStep::readBack) || !DigestFile(m_hostsPath, now) || now != m_result.written;
    }

    CString m_hostsPath;
    CString m_folder;
    CString m_newPath;
    CString m_oldPath;
    const HostsByteSource& m_source;
    const CContentDigest& m_expected;
    CSaveResult& m_result;
    DWORD m_dwAttributes = INVALID_FILE_ATTRIBUTES;
    FILETIME m_created = {};
    HANDLE m_hNew = INVALID_HANDLE_VALUE;
    bool m_bKilled = false;
};
}

CSaveResult SaveHostsFile(const char* pszHostsPath, const HostsByteSource& source, const CContentDigest& expected)
{
    CSaveResult result;
    {
        CSave save(pszHostsPath, source, expected, result);
        save.Run();
    }
    return result;
}

void RecoverHostsFile(const char* pszHostsPath)
{
    CString hostsPath(pszHostsPath);
    int nSlash = hostsPath.ReverseFind('\\');
    CString folder = nSlash >= 0 ? hostsPath.Left(nSlash) : CString(".");
    bool bMissing = ::GetFileAttributesA(hostsPath) == INVALID_FILE_ATTRIBUTES &&
                    ::GetLastError() == ERROR_FILE_NOT_FOUND;
    std::vector<std::pair<CString, bool>> ours;  // and whether it was renamed aside
    CString newestOld;
    FILETIME newestTime = {};
    WIN32_FIND_DATAA found;
    HANDLE hFind = ::FindFirstFileA(folder + "\\" + kNewFilePattern, &found);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
        {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsOurFileName(found.cFileName))
                continue;
            CString path = folder + "\\" + found.cFileName;
            bool bOld = IsOldFileName(found.cFileName);
            ours.emplace_back(path, bOld);
            // Of two (two saves killed), the one last written is the newer.
            if (bOld && (newestOld.IsEmpty() || IsLater(found.ftLastWriteTime, newestTime)))
            {
                newestOld = path;
                newestTime = found.ftLastWriteTime;
            }
        } while (::FindNextFileA(hFind, &found));
        ::FindClose(hFind);
    }
    // Not over a hosts file that another program made meanwhile.
    if (bMissing && !newestOld.IsEmpty() && ::MoveFileExA(newestOld, hostsPath, 0))
        bMissing = false;
    // With the hosts file in place, a file renamed aside holds old bytes,
    // which the backup made before that save holds too.
    for (const auto& file : ours)
        if (!bMissing || !file.second)
            RemoveOurFile(file.first);
}
