// The reading rules applied to a whole file held in memory. Kept apart from
// the block-wise reader, which the program itself does not use.
#include "hosts/HostsLineReader.h"

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
}

size_t HostsTextStart(const char* pData, size_t nSize)
{
    return nSize >= 3 && std::memcmp(pData, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
}

size_t HostsTextEnd(const char* pData, size_t nSize)
{
    const void* pEof = std::memchr(pData, 0x1A, nSize);
    return pEof ? static_cast<size_t>(static_cast<const char*>(pEof) - pData) : nSize;
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
        const void* pLf = std::memchr(pStart, '\n', nEnd - nPos);
        size_t nLineEnd = pLf ? static_cast<size_t>(static_cast<const char*>(pLf) - pData) : nEnd;
        size_t nLength = nLineEnd - nPos;
        if (pLf && nLength > 0 && pStart[nLength - 1] == '\r')
            --nLength;  // CR LF is a line end; a CR anywhere else is text
        if (const void* pNul = std::memchr(pStart, 0, nLength))
            nLength = static_cast<size_t>(static_cast<const char*>(pNul) - pStart);
        sink(nPos, nLength);
        nPos = pLf ? SkipWhite(pData, nLineEnd + 1, nEnd) : nEnd;
    }
}
