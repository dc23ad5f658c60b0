// Comparing and hashing lines' bytes for the line matching. Inline, as the
// walk, the common head and tail and the tables (hosts/follow/LineTextIndex.h)
// call them for every line, from several files; SameLine and HashLine
// (hosts/follow/LineDiff.h) give the same answers to everyone else.
//
// No windows.h: this builds natively too.
#pragma once

#include "hosts/follow/LineDiff.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace linetext
{
// Internal to the one unit the line matching is compiled as.
namespace
{
// Whether n bytes are the same, eight at a time, the last eight (or four)
// overlapping the ones before: lines are short, and the C library's memcmp
// costs more to call than to run on them.
inline bool SameBytes(const char* p, const char* q, size_t n)
{
    if (n >= 8)
    {
        uint64_t x, y;
        for (; n > 8; p += 8, q += 8, n -= 8)
        {
            std::memcpy(&x, p, 8);
            std::memcpy(&y, q, 8);
            if (x != y)
                return false;
        }
        std::memcpy(&x, p + n - 8, 8);
        std::memcpy(&y, q + n - 8, 8);
        return x == y;
    }
    if (n >= 4)
    {
        uint32_t x, y, u, v;
        std::memcpy(&x, p, 4);
        std::memcpy(&y, q, 4);
        std::memcpy(&u, p + n - 4, 4);
        std::memcpy(&v, q + n - 4, 4);
        return x == y && u == v;
    }
    for (; n > 0; ++p, ++q, --n)
        if (*p != *q)
            return false;
    return true;
}

// A 64-bit hash of a run of bytes, eight at a time.
inline uint64_t HashBytes(const char* p, size_t n)
{
    const uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
    const bool bLong = n >= 8;
    uint64_t nHash = 0x243F6A8885A308D3ULL ^ n;
    for (; n >= 8; p += 8, n -= 8)
    {
        uint64_t nWord;
        std::memcpy(&nWord, p, 8);
        nHash = (nHash ^ nWord) * kMultiplier;
        nHash ^= nHash >> 29;
    }
    // The last few bytes: in a line of eight or more, the eight that end it,
    // shifted down to them; else one at a time.
    uint64_t nLast = 0;
    if (n > 0 && bLong)
    {
        std::memcpy(&nLast, p + n - 8, 8);
        nLast >>= 8 * (8 - n);
    }
    else
    {
        for (size_t k = 0; k < n; ++k)
            nLast |= uint64_t(static_cast<unsigned char>(p[k])) << (8 * k);
    }
    nHash = (nHash ^ nLast) * kMultiplier;
    nHash ^= nHash >> 29;
    nHash *= kMultiplier;
    return nHash ^ (nHash >> 32);
}

// The byte at n of a line in two pieces.
inline char At(const CLineText& line, size_t n)
{
    return n < line.nHead ? line.pchHead[n] : line.pch[n - line.nHead];
}

// Whether two lines hold the same bytes, however they are split: SameLine.
inline bool SameText(const CLineText& a, const CLineText& b)
{
    if (a.Length() != b.Length())
        return false;
    if (a.nHead == b.nHead)
        return SameBytes(a.pchHead, b.pchHead, a.nHead) && SameBytes(a.pch, b.pch, a.nLength);
    for (size_t n = 0; n < a.Length(); ++n)
        if (At(a, n) != At(b, n))
            return false;
    return true;
}

// A 64-bit hash of a line's bytes, the same however they are split:
// HashLine.
inline uint64_t HashText(const CLineText& line)
{
    if (line.nHead == 0)
        return HashBytes(line.pch, line.nLength);
    // A row commented here: its mark and its text as one run of bytes.
    char buffer[256];
    if (line.Length() <= sizeof(buffer))
    {
        for (size_t n = 0; n < line.Length(); ++n)
            buffer[n] = At(line, n);
        return HashBytes(buffer, line.Length());
    }
    std::string joined(line.pchHead, line.nHead);
    joined.append(line.pch, line.nLength);
    return HashBytes(joined.data(), joined.size());
}
}
}
