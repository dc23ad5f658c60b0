#include "hosts/disk/BackupCopy.h"

#include "hosts/disk/SavedAttributes.h"

#include <memory>
#include <new>

namespace
{
class COwnedHandle
{
public:
    explicit COwnedHandle(HANDLE hHandle) : m_hHandle(hHandle) {}
    ~COwnedHandle()
    {
        if (IsValid())
        {
            DWORD dwError = ::GetLastError();
            ::CloseHandle(m_hHandle);
            ::SetLastError(dwError);
        }
    }
    COwnedHandle(const COwnedHandle&) = delete;
    COwnedHandle& operator=(const COwnedHandle&) = delete;
    bool IsValid() const { return m_hHandle != INVALID_HANDLE_VALUE; }
    operator HANDLE() const { return m_hHandle; }

private:
    HANDLE m_hHandle;
};

// The folder itself, not what a link in its place points to. Opened for
// listing (a handle for attributes alone takes no part in sharing) and
// without delete sharing, so that no one can rename it away or put a link in
// its place while the handle is held.
bool IsPlainFolder(const COwnedHandle& folder)
{
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!folder.IsValid() || !::GetFileInformationByHandle(folder, &info))
        return false;
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    {
        ::SetLastError(ERROR_PATH_NOT_FOUND);  // what creating a file in a file gives
        return false;
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
    {
        ::SetLastError(ERROR_CANT_ACCESS_FILE);
        return false;
    }
    return true;
}

// Part of a copy is no copy: a file that failed half-way goes, through the
// handle that made it (never by its name, which another program could have
// taken since). The failure's error is kept for the caller; FALSE.
BOOL Discard(const COwnedHandle& target)
{
    DWORD dwError = ::GetLastError();
    FILE_DISPOSITION_INFO dispose = {TRUE};
    ::SetFileInformationByHandle(target, FileDispositionInfo, &dispose, sizeof dispose);
    ::SetLastError(dwError);
    return FALSE;
}

bool CopyBytes(HANDLE hSource, HANDLE hTarget)
{
    const DWORD kPiece = 1 << 20;
    std::unique_ptr<char[]> pBuffer(new (std::nothrow) char[kPiece]);
    if (!pBuffer)
    {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    for (;;)
    {
        DWORD dwRead = 0;
        if (!::ReadFile(hSource, pBuffer.get(), kPiece, &dwRead, nullptr))
            return false;
        if (dwRead == 0)
            return true;
        DWORD dwWritten = 0;
        if (!::WriteFile(hTarget, pBuffer.get(), dwRead, &dwWritten, nullptr))
            return false;
        if (dwWritten != dwRead)
        {
            ::SetLastError(ERROR_DISK_FULL);
            return false;
        }
    }
}
}

BOOL CopyIntoPlainFolder(const char* pszSource, const char* pszFolder, const char* pszTarget)
{
    COwnedHandle folder(::CreateFileA(pszFolder, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!IsPlainFolder(folder))
        return FALSE;
    COwnedHandle source(::CreateFileA(pszSource, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!source.IsValid() || !::GetFileInformationByHandle(source, &info))
        return FALSE;
    // CREATE_NEW never opens what is there, be it a file or a link; with
    // FILE_FLAG_OPEN_REPARSE_POINT not even a link made in the moment after.
    COwnedHandle target(::CreateFileA(pszTarget, GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!target.IsValid())
        return FALSE;
    FILE_BASIC_INFO basic = {};
    basic.LastWriteTime.LowPart = info.ftLastWriteTime.dwLowDateTime;
    basic.LastWriteTime.HighPart = static_cast<LONG>(info.ftLastWriteTime.dwHighDateTime);
    basic.FileAttributes = AttributesAsBefore(info.dwFileAttributes &
                                              (SavedAttributes::kArchive | SavedAttributes::kNotContentIndexed));
    if (CopyBytes(source, target) && ::FlushFileBuffers(target) &&
        ::SetFileInformationByHandle(target, FileBasicInfo, &basic, sizeof basic))
        return TRUE;
    return Discard(target);
}

BOOL WriteIntoPlainFolder(const char* pszFolder, const char* pszTarget, const HostsByteSource& source)
{
    COwnedHandle folder(::CreateFileA(pszFolder, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!IsPlainFolder(folder))
        return FALSE;
    COwnedHandle target(::CreateFileA(pszTarget, GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!target.IsValid())
        return FALSE;
    if (WriteHostsBytes(target, source) && ::FlushFileBuffers(target))
        return TRUE;
    return Discard(target);
}
