// Reference-counted narrow string in the ANSI code page.
//
// Copies share one block until one of them is changed (copy on write), so a
// string passed or returned by value costs a counter increment. No windows.h:
// the window-free rules use this class and also build natively.
//
// Searches and replacements step through the text character by character:
// in a double-byte code page (932, 936, 949, 950) the second byte of a
// character may be a backslash or '|' (表 is 0x95 0x5C in code page 932),
// and it is never found, replaced or removed on its own. In a single-byte
// code page every byte is a character.
#pragma once

#include <cstdarg>
#include <cstddef>

class CString
{
public:
    CString() : m_pData(nullptr) {}
    CString(const CString& other);
    CString(CString&& other) noexcept : m_pData(other.m_pData) { other.m_pData = nullptr; }
    CString(const char* psz);
    CString(const char* pch, int nLength);
    CString(char ch, int nRepeat = 1);
    ~CString() { Release(); }

    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(const char* psz);

    int GetLength() const { return m_pData ? m_pData->nLength : 0; }
    bool IsEmpty() const { return GetLength() == 0; }
    void Empty() { Release(); }

    operator const char*() const { return m_pData ? m_pData->Text() : ""; }
    const char* c_str() const { return *this; }
    char GetAt(int nIndex) const { return c_str()[nIndex]; }
    char operator[](int nIndex) const { return GetAt(nIndex); }

    // Writable buffer of at least nMinLength characters (plus terminator);
    // ReleaseBuffer(-1) takes the length from the terminating zero.
    char* GetBuffer(int nMinLength);
    void ReleaseBuffer(int nNewLength = -1);

    void Format(const char* pszFormat, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    void FormatV(const char* pszFormat, va_list args);

    // Replaces every occurrence, scanning left to right without rescanning
    // replaced text; returns the number of replacements.
    int Replace(const char* pszOld, const char* pszNew);
    int Replace(char chOld, char chNew);
    int Remove(char ch);

    CString& TrimLeft();  // C locale white space: space, \t, \n, \v, \f, \r

    CString Left(int nCount) const;
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Right(int nCount) const;

    int Find(char ch, int nStart = 0) const;
    int Find(const char* pszSub, int nStart = 0) const;
    int ReverseFind(char ch) const;

    int Compare(const char* psz) const;
    int CompareNoCase(const char* psz) const;  // ASCII letters only

    CString& operator+=(const CString& s) { return Append(s.c_str(), s.GetLength()); }
    CString& operator+=(const char* psz);
    CString& operator+=(char ch) { return Append(&ch, 1); }
    CString& Append(const char* pch, int nLength);

    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, const char* b);
    friend CString operator+(const char* a, const CString& b);
    friend CString operator+(const CString& a, char b);

    friend bool operator==(const CString& a, const CString& b);
    friend bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
    friend bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
    friend bool operator!=(const char* a, const CString& b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }

private:
    struct Data
    {
        long nRefs;
        int nLength;
        int nCapacity;
        char* Text() { return reinterpret_cast<char*>(this + 1); }
    };

    static Data* Allocate(int nCapacity);
    void Release();
    void MakeUnique(int nMinCapacity);  // sole owner with room for nMinCapacity chars
    void Assign(const char* pch, int nLength);
    void SetLength(int nLength);

    Data* m_pData;
};

// The ANSI code page's lead-byte test: true for the first byte of a
// double-byte character. The Windows build asks the system
// (IsDBCSLeadByteEx with CP_ACP); built natively, no byte is a lead byte.
using LeadByteTest = bool (*)(unsigned char ch);
bool IsAnsiLeadByte(char ch);
// Makes strings judge text by another code page's test, nullptr by the
// system's again; for tests. Not for use while other threads use strings.
void SetAnsiLeadByteTest(LeadByteTest pfnTest);

inline bool IsCWhiteSpace(char ch)
{
    return ch == ' ' || (ch >= '\t' && ch <= '\r');
}
