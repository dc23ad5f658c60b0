// Strings judge text by a given code page's lead bytes while a CCodePage
// lives, whatever the ANSI code page of the system running the tests.
#pragma once

#include "framework/CString.h"

// Code page 932 (Shift JIS): 0x81-0x9F and 0xE0-0xFC start double-byte
// characters, whose second byte may be 0x5C (the backslash) or 0x7C ('|').
inline bool IsLeadByte932(unsigned char ch)
{
    return (ch >= 0x81 && ch <= 0x9F) || (ch >= 0xE0 && ch <= 0xFC);
}

// Code page 1252: every byte is a character.
inline bool IsLeadByte1252(unsigned char)
{
    return false;
}

class CCodePage
{
public:
    explicit CCodePage(LeadByteTest pfnTest) { SetAnsiLeadByteTest(pfnTest); }
    ~CCodePage() { SetAnsiLeadByteTest(nullptr); }
    CCodePage(const CCodePage&) = delete;
    CCodePage& operator=(const CCodePage&) = delete;
};
