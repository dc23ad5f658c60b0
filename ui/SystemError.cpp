#include "ui/SystemError.h"

#include <cstdlib>
#include <cstring>

void* (*CSystemError::s_pfnAllocate)(size_t nBytes) = &std::malloc;

CSystemError CSystemError::FromLastError()
{
    DWORD dwCode = ::GetLastError();
    char* pszText = nullptr;
    DWORD nLength = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
        dwCode, 0x400, reinterpret_cast<char*>(&pszText), 1, nullptr);
    if (!pszText)
        nLength = 0;

    Block* pBlock = static_cast<Block*>(s_pfnAllocate(sizeof(Block) + nLength + 1));
    if (pBlock)
    {
        pBlock->nRefs = 1;
        pBlock->dwCode = dwCode;
        pBlock->nLength = nLength;
        char* pDest = reinterpret_cast<char*>(pBlock + 1);
        if (nLength)
            std::memcpy(pDest, pszText, nLength);
        pDest[nLength] = '\0';
    }
    if (pszText)
        ::LocalFree(pszText);
    return CSystemError(dwCode, pBlock);
}

CSystemError::CSystemError(const CSystemError& other) : m_dwCode(other.m_dwCode), m_pBlock(other.m_pBlock)
{
    if (m_pBlock)
        ::InterlockedIncrement(&m_pBlock->nRefs);
}

CSystemError::~CSystemError()
{
    if (m_pBlock && ::InterlockedDecrement(&m_pBlock->nRefs) == 0)
        std::free(m_pBlock);
}

const char* CSystemError::GetText() const
{
    return m_pBlock ? reinterpret_cast<const char*>(m_pBlock + 1) : "";
}

CString WithSystemText(const char* pszFormat, DWORD dwCode)
{
    ::SetLastError(dwCode);
    CSystemError error = CSystemError::FromLastError();
    CString message;
    message.Format(pszFormat, error.GetText());
    return message;
}
