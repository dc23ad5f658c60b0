// What the entry check, its mends and the compaction need of a line, a host
// name and an address: a row's word, names compared and hashed the way
// Windows matches them (ASCII letters in either case), an IPv4 address's
// value, and the host part of a web address.
//
// No windows.h: this builds natively too.
#pragma once

#include "hosts/document/EntryList.h"
#include "hosts/lines/LineParts.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace HostNames
{
// Word nWord (0: the first) of an active row; an empty word when it has
// fewer.
inline CLineWord WordOf(const CEntryList& list, int nRow, uint32_t nWord)
{
    CEntryList::Text text = list.GetText(nRow);
    CLineWords words(text.pch, text.nLength);
    CLineWord word{text.pch, 0};
    for (uint32_t n = 0; n <= nWord; ++n)
        if (!words.Next(&word))
            return CLineWord{text.pch, 0};
    return word;
}

// Where "://" starts in the word; nLength when nowhere.
inline size_t FindScheme(const CLineWord& word)
{
    for (size_t n = 0; n + 3 <= word.nLength; ++n)
        if (word.pch[n] == ':' && word.pch[n + 1] == '/' && word.pch[n + 2] == '/')
            return n;
    return word.nLength;
}

inline char Lower(char ch)
{
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

// Four bytes as one number, read without a call into the C library.
inline uint32_t Load4(const char* pch)
{
    uint32_t nBytes;
    std::memcpy(&nBytes, pch, 4);
    return nBytes;
}

inline bool SameBytesAnyCase(const char* pchA, const char* pchB, size_t nLength)
{
    for (size_t n = 0; n < nLength; ++n)
        if (Lower(pchA[n]) != Lower(pchB[n]))
            return false;
    return true;
}

// Whether two texts of nLength bytes are the same but for the case of
// ASCII letters: four bytes at a time where they are the same bytes.
inline bool SameText(const char* pchA, const char* pchB, size_t nLength)
{
    size_t n = 0;
    for (; n + 4 <= nLength; n += 4)
        if (Load4(pchA + n) != Load4(pchB + n) && !SameBytesAnyCase(pchA + n, pchB + n, 4))
            return false;
    return SameBytesAnyCase(pchA + n, pchB + n, nLength - n);
}

// A name's hash, four bytes at a time. Setting bit 5 of every byte makes
// ASCII letters one case (and some other bytes alike, which only costs a
// comparison), so names that SameText takes for one have one hash.
inline uint32_t HashName(const CLineWord& name)
{
    uint32_t nHash = static_cast<uint32_t>(name.nLength) * 0x9E3779B1u;
    size_t n = 0;
    for (; n + 4 <= name.nLength; n += 4)
    {
        nHash ^= (Load4(name.pch + n) | 0x20202020u) * 0xCC9E2D51u;
        nHash = (nHash << 13 | nHash >> 19) * 5 + 0xE6546B64u;
    }
    uint32_t nLast = 0;
    for (; n < name.nLength; ++n)
        nLast = nLast << 8 | (static_cast<unsigned char>(name.pch[n]) | 0x20u);
    nHash ^= nLast * 0xCC9E2D51u;
    nHash ^= nHash >> 16;
    nHash *= 0x85EBCA6Bu;
    nHash ^= nHash >> 13;
    nHash *= 0xC2B2AE35u;
    return nHash ^ (nHash >> 16);
}

inline bool SameText(const CLineWord& a, const CLineWord& b)
{
    return a.nLength == b.nLength && SameText(a.pch, b.pch, a.nLength);
}
// The value of a dotted decimal IPv4 address (leading zeros or not); the
// word must be one.
inline uint32_t Ipv4Value(const CLineWord& word)
{
    uint32_t nValue = 0, nPart = 0;
    for (size_t n = 0; n < word.nLength; ++n)
    {
        if (word.pch[n] == '.')
        {
            nValue = nValue << 8 | nPart;
            nPart = 0;
        }
        else
        {
            nPart = nPart * 10 + static_cast<uint32_t>(word.pch[n] - '0');
        }
    }
    return nValue << 8 | nPart;
}

// The host part of a web address: after "://" where there is one, up to
// the first '/', ':' or '?'.
inline CLineWord HostPart(const CLineWord& word)
{
    size_t nStart = FindScheme(word);
    nStart = nStart < word.nLength ? nStart + 3 : 0;
    size_t nEnd = nStart;
    while (nEnd < word.nLength && word.pch[nEnd] != '/' && word.pch[nEnd] != ':' && word.pch[nEnd] != '?')
        ++nEnd;
    return CLineWord{word.pch + nStart, nEnd - nStart};
}
}
