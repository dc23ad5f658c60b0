#include "hosts/ContentDigest.h"

#include <cstdio>
#include <cstring>
#include <memory>

void CContentHash::Mix(uint64_t nWord)
{
    m_nHash ^= nWord;
    m_nHash *= 0x9E3779B97F4A7C15ULL;
    m_nHash ^= m_nHash >> 29;
}

void CContentHash::Add(const char* pch, size_t nLength)
{
    m_nSize += nLength;
    if (m_nTail > 0)
    {
        // Bytes left over from the pieces before fill the next word first; a
        // piece too short to fill it only adds to them.
        while (m_nTail < 8 && nLength > 0)
        {
            m_tail[m_nTail++] = static_cast<unsigned char>(*pch++);
            --nLength;
        }
        if (m_nTail < 8)
            return;
        uint64_t nWord;
        std::memcpy(&nWord, m_tail, 8);
        Mix(nWord);
        m_nTail = 0;
    }
    for (; nLength >= 8; pch += 8, nLength -= 8)
    {
        uint64_t nWord;
        std::memcpy(&nWord, pch, 8);
        Mix(nWord);
    }
    std::memcpy(m_tail, pch, nLength);
    m_nTail = nLength;
}

CContentDigest CContentHash::Digest() const
{
    CContentHash last(*this);
    unsigned char tail[8] = {};
    std::memcpy(tail, m_tail, m_nTail);
    uint64_t nWord;
    std::memcpy(&nWord, tail, 8);
    last.Mix(nWord);
    last.Mix(m_nSize);
    CContentDigest digest;
    digest.bPresent = true;
    digest.nSize = m_nSize;
    digest.nHash = last.m_nHash;
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
