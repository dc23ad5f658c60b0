#include "hosts/lines/Utf8Text.h"

#include <cstdint>
#include <cstring>

namespace
{
inline bool IsContinuation(unsigned char ch)
{
    return (ch & 0xC0) == 0x80;
}

// The length of the well-formed sequence that starts at p (its first byte
// above 0x7F), or 0 when none does.
size_t SequenceLength(const unsigned char* p, const unsigned char* pEnd)
{
    const unsigned char ch = p[0];
    size_t nLength;
    unsigned char chLow = 0x80, chHigh = 0xBF;  // the allowed range of the second byte
    if (ch >= 0xC2 && ch <= 0xDF)
        nLength = 2;
    else if (ch >= 0xE0 && ch <= 0xEF)
    {
        nLength = 3;
        if (ch == 0xE0)
            chLow = 0xA0;  // no overlong three-byte form
        else if (ch == 0xED)
            chHigh = 0x9F;  // no surrogate
    }
    else if (ch >= 0xF0 && ch <= 0xF4)
    {
        nLength = 4;
        if (ch == 0xF0)
            chLow = 0x90;  // no overlong four-byte form
        else if (ch == 0xF4)
            chHigh = 0x8F;  // nothing above U+10FFFF
    }
    else
        return 0;
    if (static_cast<size_t>(pEnd - p) < nLength || p[1] < chLow || p[1] > chHigh)
        return 0;
    for (size_t n = 2; n < nLength; ++n)
        if (!IsContinuation(p[n]))
            return 0;
    return nLength;
}
}

TextEncoding ClassifyText(const char* pch, size_t nLength)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pch);
    const unsigned char* const pEnd = p + nLength;
    bool bHigh = false;
    while (p < pEnd)
    {
        if (pEnd - p >= 8)
        {
            uint64_t nWord;
            std::memcpy(&nWord, p, 8);
            if ((nWord & 0x8080808080808080ull) == 0)
            {
                p += 8;
                continue;
            }
        }
        if (*p < 0x80)
        {
            ++p;
            continue;
        }
        size_t nSequence = SequenceLength(p, pEnd);
        if (nSequence == 0)
            return TextEncoding::ansi;
        bHigh = true;
        p += nSequence;
    }
    return bHigh ? TextEncoding::utf8 : TextEncoding::ascii;
}

bool IsValidUtf8(const char* pch, size_t nLength)
{
    return ClassifyText(pch, nLength) != TextEncoding::ansi;
}
