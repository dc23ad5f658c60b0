#include "hosts/document/ContentDigest.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
CContentDigest Whole(const std::string& bytes)
{
    CContentHash hash;
    hash.Add(bytes.data(), bytes.size());
    return hash.Digest();
}
}

TEST(ContentDigest, TheSameBytesGiveTheSameDigestHoweverTheyAreSplit)
{
    CContentHash split;
    split.Add("abcdefghi", 9);
    split.Add("jk", 2);
    EXPECT_EQ(Whole("abcdefghijk"), split.Digest());

    // Every length up to three blocks of 16, cut in two at every place,
    // and fed in pieces of every size from one byte to more than a block,
    // with empty pieces between.
    std::string bytes;
    for (int n = 0; n < 51; ++n)
        bytes += static_cast<char>('a' + n % 26 + (n / 26) * 3);
    for (size_t nLength = 0; nLength <= bytes.size(); ++nLength)
    {
        const std::string text = bytes.substr(0, nLength);
        const CContentDigest expected = Whole(text);
        for (size_t nCut = 0; nCut <= nLength; ++nCut)
        {
            CContentHash hash;
            hash.Add(text.data(), nCut);
            hash.Add(text.data() + nCut, nLength - nCut);
            EXPECT_EQ(expected, hash.Digest()) << nLength << " bytes cut at " << nCut;
        }
        for (size_t nPiece = 1; nPiece <= 33; ++nPiece)
        {
            CContentHash hash;
            for (size_t nDone = 0; nDone < nLength; nDone += nPiece)
            {
                hash.Add(text.data() + nDone, std::min(nPiece, nLength - nDone));
                hash.Add("", 0);
            }
            EXPECT_EQ(expected, hash.Digest()) << nLength << " bytes in pieces of " << nPiece;
        }
    }
    EXPECT_NE(Whole("abcdefgh"), Whole("abcdefg"));
    EXPECT_NE(Whole(std::string("\0", 1)), Whole(""));
    // The two halves of a block are not interchangeable.
    EXPECT_NE(Whole("0123456789abcdef"), Whole("89abcdef01234567"));
}
