#include "hosts/document/ContentDigest.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace
{
uint64_t Mix(uint64_t nHash, uint64_t nWord)
{
    nHash ^= nWord;
    nHash *= 0x9E3779B97F4A7C15ULL;
    return nHash ^ (nHash >> 29);
}
}

void CContentHash::MixBlock(const unsigned char* p)
{
    // Two words, each into a hash of its own: the two multiplications do
    // not wait on each other, which the 32-bit build (three multiplications
    // a word) feels most.
    uint64_t nFirst, nSecond;
    std::memcpy(&nFirst, p, 8);
    std::memcpy(&nSecond, p + 8, 8);
    m_nHash = Mix(m_nHash, nFirst);
    m_nOther = Mix(m_nOther, nSecond);
}

void CContentHash::Add(const char* pch, size_t nLength)
{
    m_nSize += nLength;
    if (m_nTail > 0)
    {
        // Bytes left over from the pieces before fill the next block first;
        // a piece too short to fill it only adds to them.
        while (m_nTail < kBlock && nLength > 0)
        {
            m_tail[m_nTail++] = static_cast<unsigned char>(*pch++);
            --nLength;
        }
        if (m_nTail < kBlock)
            return;
        MixBlock(m_tail);
        m_nTail = 0;
    }
    for (; nLength >= kBlock; pch += kBlock, nLength -= kBlock)
        MixBlock(reinterpret_cast<const unsigned char*>(pch));
    std::memcpy(m_tail, pch, nLength);
    m_nTail = nLength;
}

CContentDigest CContentHash::Digest() const
{
    CContentHash last(*this);
    std::memset(last.m_tail + m_nTail, 0, kBlock - m_nTail);
    last.MixBlock(last.m_tail);
    CContentDigest digest;
    digest.bPresent = true;
    digest.nSize = m_nSize;
    digest.nHash = Mix(Mix(last.m_nHash, last.m_nOther), m_nSize);
    return digest;
}

bool DigestFile(const char* pszPath, CContentDigest& digest)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(pszPath, "rb"), std::fclose);
    if (!file)
        return false;
    CContentHash hash;
    char buffer[64 * 1024];
    size_t nRead;
    while ((nRead = std::fread(buffer, 1, sizeof(buffer), file.get())) > 0)
        hash.Add(buffer, nRead);
    if (std::ferror(file.get()))
        return false;
    digest = hash.Digest();
    return true;
}
