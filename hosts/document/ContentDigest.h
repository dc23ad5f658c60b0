// A digest of a file's bytes, to tell later whether the file still holds
// what was read or written without keeping a copy of it.
#pragma once

#include <cstddef>
#include <cstdint>

// What the bytes of a file were: present or not, their count and a hash of
// them. Two digests that are equal mean, as far as can be told without
// keeping a copy, the same content.
struct CContentDigest
{
    bool bPresent = false;
    uint64_t nSize = 0;
    uint64_t nHash = 0;

    friend bool operator==(const CContentDigest& a, const CContentDigest& b)
    {
        return a.bPresent == b.bPresent && a.nSize == b.nSize && a.nHash == b.nHash;
    }
    friend bool operator!=(const CContentDigest& a, const CContentDigest& b) { return !(a == b); }
};

// A 64-bit hash of bytes fed in pieces of any size; the same bytes give the
// same value however they are split.
class CContentHash
{
public:
    void Add(const char* pch, size_t nLength);
    CContentDigest Digest() const;

private:
    static const size_t kBlock = 16;
    void MixBlock(const unsigned char* p);

    uint64_t m_nHash = 0x243F6A8885A308D3ULL;
    uint64_t m_nOther = 0x13198A2E03707344ULL;
    uint64_t m_nSize = 0;
    unsigned char m_tail[kBlock] = {};
    size_t m_nTail = 0;
};

// The digest of a file's bytes as they are now; false when the file cannot
// be opened or read.
bool DigestFile(const char* pszPath, CContentDigest& digest);
