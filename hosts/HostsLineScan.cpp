// The reading rules applied to a whole file held in memory. Kept apart from
// the block-wise reader, which the program itself does not use.
#include "hosts/HostsLineReader.h"

#include <cstring>

void ScanHostsText(const char* pData, size_t nSize, const std::function<void(const CString&)>& sink)
{
    ScanHostsLineRanges(pData, nSize, [pData, &sink](size_t nStart, size_t nLength) {
        sink(CString(pData + nStart, static_cast<int>(nLength)));
    });
}

void ScanHostsLineRanges(const char* pData, size_t nSize, const std::function<void(size_t, size_t)>& sink)
{
    // A Ctrl-Z ends the input.
    if (const void* pEof = std::memchr(pData, 0x1A, nSize))
        nSize = static_cast<size_t>(static_cast<const char*>(pEof) - pData);

    auto isWhite = [](char ch) { return ch == ' ' || (ch >= '\t' && ch <= '\r'); };
    size_t nPos = 0;
    // The first line keeps its leading white space, unless the file starts
    // with a line end: then its blank lines are skipped like any others.
    bool bSkip = nSize > 0 && (pData[0] == '\n' || (nSize > 1 && pData[0] == '\r' && pData[1] == '\n'));
    while (nPos < nSize)
    {
        if (bSkip)
        {
            while (nPos < nSize && isWhite(pData[nPos]))
                ++nPos;
            if (nPos == nSize)
                break;
        }
        bSkip = true;
        const char* pStart = pData + nPos;
        const void* pLf = std::memchr(pStart, '\n', nSize - nPos);
        size_t nEnd = pLf ? static_cast<size_t>(static_cast<const char*>(pLf) - pData) : nSize;
        size_t nLength = nEnd - nPos;
        if (pLf && nLength > 0 && pStart[nLength - 1] == '\r')
            --nLength;  // CR LF is a line end; a CR anywhere else is text
        if (const void* pNul = std::memchr(pStart, 0, nLength))
            nLength = static_cast<size_t>(static_cast<const char*>(pNul) - pStart);
        sink(nPos, nLength);
        nPos = nEnd + 1;
    }
}
