// The operating system's error code and its message text, in one counted
// block that copies share and the last copy frees.
#pragma once

#include "framework/CString.h"

#include <windows.h>

class CSystemError
{
public:
    // Takes GetLastError() first, then asks the system for its text.
    static CSystemError FromLastError();

    CSystemError(const CSystemError& other);
    CSystemError& operator=(const CSystemError& other) = delete;
    ~CSystemError();

    DWORD GetCode() const { return m_dwCode; }
    // The system's text, normally ending with CR LF; empty when the system
    // has none or the holder could not be allocated.
    const char* GetText() const;
    bool IsEmpty() const { return m_pBlock == nullptr; }

    // Allocation of the block; replaced by tests to simulate a failure.
    static void* (*s_pfnAllocate)(size_t nBytes);

private:
    struct Block
    {
        LONG nRefs;
        DWORD dwCode;
        DWORD nLength;
        // the text and a zero byte follow
    };

    CSystemError(DWORD dwCode, Block* pBlock) : m_dwCode(dwCode), m_pBlock(pBlock) {}

    // The code is also kept outside the block, so that the right message is
    // chosen even when the block could not be allocated.
    DWORD m_dwCode;
    Block* m_pBlock;
};

// The format filled with the system's text for an error code (its one %s).
CString WithSystemText(const char* pszFormat, DWORD dwCode);
