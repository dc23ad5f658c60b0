#include "hosts/lines/LineScan.h"

#include <cstring>

namespace
{
bool IsWhite(char ch)
{
    return ch == ' ' || (ch >= '\t' && ch <= '\r');
}

size_t SkipWhite(const char* pData, size_t nPos, size_t nEnd)
{
    while (nPos < nEnd && IsWhite(pData[nPos]))
        ++nPos;
    return nPos;
}

// Whether a word holds a zero byte.
inline bool HasZeroByte(size_t nWord)
{
    const size_t kOnes = ~size_t(0) / 0xFF;
    return ((nWord - kOnes) & ~nWord & (kOnes << 7)) != 0;
}

// Past the whole words from p that hold no byte ch (nor a NUL, with
// bNul): a file may hold a million lines, and the 32-bit C library under
// Wine looks at a byte at a time.
const char* SkipWordsWithout(const char* p, const char* pEnd, char ch, bool bNul)
{
    const size_t kPattern = ~size_t(0) / 0xFF * static_cast<unsigned char>(ch);
    for (; static_cast<size_t>(pEnd - p) >= sizeof(size_t); p += sizeof(size_t))
    {
        size_t nWord;
        std::memcpy(&nWord, p, sizeof(nWord));
        if (HasZeroByte(nWord ^ kPattern) || (bNul && HasZeroByte(nWord)))
            break;
    }
    return p;
}

// The first line feed in [p, pEnd), or pEnd; and the first NUL before it in
// *ppNul, or nullptr.
const char* FindLineFeed(const char* p, const char* pEnd, const char** ppNul)
{
    *ppNul = nullptr;
    for (p = SkipWordsWithout(p, pEnd, '\n', true); p < pEnd && *p != '\n'; ++p)
    {
        if (*p == '\0' && !*ppNul)
            *ppNul = p;
    }
    return p;
}

// The first byte ch in [p, pEnd), or nullptr.
const char* FindByte(const char* p, const char* pEnd, char ch)
{
    for (p = SkipWordsWithout(p, pEnd, ch, false); p < pEnd; ++p)
        if (*p == ch)
            return p;
    return nullptr;
}
}

CString OneHostsLine(CString text)
{
    const int nLength = text.GetLength();
    char* pch = text.GetBuffer(nLength);
    for (int n = 0; n < nLength; ++n)
        if (pch[n] > 0 && pch[n] < 0x20 && pch[n] != '\t')
            pch[n] = ' ';
    text.ReleaseBuffer(nLength);
    return text;
}

size_t HostsTextStart(const char* pData, size_t nSize)
{
    return nSize >= 3 && std::memcmp(pData, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
}

size_t HostsTextEnd(const char* pData, size_t nSize)
{
    const char* pEof = FindByte(pData, pData + nSize, 0x1A);
    return pEof ? static_cast<size_t>(pEof - pData) : nSize;
}

size_t FirstHostsLineStart(const char* pData, size_t nStart, size_t nEnd)
{
    // The first line keeps its leading white space, unless the file starts
    // with a line end: then its blank lines are skipped like any others.
    bool bSkip = nStart < nEnd && (pData[nStart] == '\n' ||
                                   (nStart + 1 < nEnd && pData[nStart] == '\r' && pData[nStart + 1] == '\n'));
    return bSkip ? SkipWhite(pData, nStart, nEnd) : nStart;
}

size_t NextHostsLineStart(const char* pData, size_t nEnd, size_t nTextEnd)
{
    const void* pLf = std::memchr(pData + nTextEnd, '\n', nEnd - nTextEnd);
    if (!pLf)
        return nEnd;
    return SkipWhite(pData, static_cast<size_t>(static_cast<const char*>(pLf) - pData) + 1, nEnd);
}

void ScanHostsText(const char* pData, size_t nSize, const std::function<void(const CString&)>& sink)
{
    ScanHostsLineRanges(pData, nSize, [pData, &sink](size_t nStart, size_t nLength) {
        sink(CString(pData + nStart, static_cast<int>(nLength)));
    });
}

void ScanHostsLineRanges(const char* pData, size_t nSize, const std::function<void(size_t, size_t)>& sink)
{
    const size_t nEnd = HostsTextEnd(pData, nSize);
    size_t nPos = FirstHostsLineStart(pData, HostsTextStart(pData, nSize), nEnd);
    while (nPos < nEnd)
    {
        const char* pStart = pData + nPos;
        const char* pNul;
        const char* pLineEnd = FindLineFeed(pStart, pData + nEnd, &pNul);
        const bool bLf = pLineEnd < pData + nEnd;
        size_t nLineEnd = static_cast<size_t>(pLineEnd - pData);
        size_t nLength = nLineEnd - nPos;
        if (bLf && nLength > 0 && pStart[nLength - 1] == '\r')
            --nLength;  // CR LF is a line end; a CR anywhere else is text
        if (pNul && static_cast<size_t>(pNul - pStart) < nLength)
            nLength = static_cast<size_t>(pNul - pStart);
        sink(nPos, nLength);
        nPos = bLf ? SkipWhite(pData, nLineEnd + 1, nEnd) : nEnd;
    }
}
