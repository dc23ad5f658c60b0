#include "hosts/EntryList.h"

#include "hosts/CommentRules.h"
#include "hosts/HostsLineReader.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

size_t CEntryList::s_nRowLimitForTesting = static_cast<size_t>(-1);
size_t CEntryList::s_nReadLimitForTesting = static_cast<size_t>(-1);

namespace
{
const size_t kMaxRoom = 255;
const size_t kMaxBlocks = 0xFFFF;
// Appended texts go into blocks of this size or larger...
const size_t kMinBlock = 64 * 1024;
const size_t kMaxBlock = 4 * 1024 * 1024;
// ...and the store is packed once more than a quarter of what the rows use,
// and at least a small block's worth, lies unused.
const size_t kMinWaste = kMinBlock;

char FoldCase(char ch)
{
    return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
}

bool Holds(const char* pText, size_t nText, const char* pWanted, size_t nWanted, bool bMatchCase)
{
    if (nWanted > nText)
        return false;
    const char* pLast = pText + (nText - nWanted);
    if (bMatchCase)
    {
        for (const char* p = pText; p <= pLast; ++p)
        {
            p = static_cast<const char*>(std::memchr(p, pWanted[0], static_cast<size_t>(pLast - p) + 1));
            if (!p)
                return false;
            if (std::memcmp(p + 1, pWanted + 1, nWanted - 1) == 0)
                return true;
        }
        return false;
    }
    const char chFirst = FoldCase(pWanted[0]);
    for (const char* p = pText; p <= pLast; ++p)
    {
        if (FoldCase(*p) != chFirst)
            continue;
        size_t n = 1;
        while (n < nWanted && FoldCase(p[n]) == FoldCase(pWanted[n]))
            ++n;
        if (n == nWanted)
            return true;
    }
    return false;
}
}

CEntryList::CEntryList() = default;

CEntryList::~CEntryList() = default;

void CEntryList::Empty()
{
    std::vector<std::unique_ptr<Row[]>>().swap(m_pages);
    std::vector<Block>().swap(m_blocks);
    m_nRows = 0;
    m_nStored = 0;
    m_nLive = 0;
}

const char* CEntryList::GetText(int nRow, size_t* pnLength) const
{
    const Row& row = RowAt(nRow);
    *pnLength = row.nLength;
    return TextOf(row);
}

CString CEntryList::GetTextString(int nRow) const
{
    size_t nLength;
    const char* pch = GetText(nRow, &nLength);
    return CString(pch, static_cast<int>(nLength));
}

void CEntryList::ForEach(const std::function<bool(const char*, size_t)>& sink) const
{
    for (int nRow = 0; nRow < m_nRows; ++nRow)
    {
        const Row& row = RowAt(nRow);
        if (!sink(TextOf(row), row.nLength))
            return;
    }
}

bool CEntryList::AddRow(const Row& row)
{
    if (static_cast<size_t>(m_nRows) >= s_nRowLimitForTesting || m_nRows == 0x7FFFFFFF)
        return false;
    if ((m_nRows & (kPageRows - 1)) == 0 && static_cast<size_t>(m_nRows >> kPageShift) == m_pages.size())
    {
        try
        {
            m_pages.emplace_back(new Row[kPageRows]);
        }
        catch (const std::bad_alloc&)
        {
            return false;
        }
    }
    RowAt(m_nRows++) = row;
    return true;
}

bool CEntryList::Reserve(size_t nLength)
{
    if (!m_blocks.empty())
    {
        const Block& tail = m_blocks.back();
        if (tail.nSize - tail.nUsed >= nLength)
            return true;
    }
    size_t nWaste = m_nStored - m_nLive;
    if ((nWaste >= kMinWaste && nWaste > m_nLive / 4) || m_blocks.size() >= kMaxBlocks)
    {
        if (!Compact() && m_blocks.size() >= kMaxBlocks)
            return false;
    }
    size_t nSize = std::max(nLength, std::min(kMaxBlock, std::max(kMinBlock, m_nStored / 8)));
    try
    {
        m_blocks.push_back(Block{std::unique_ptr<char[]>(new char[nSize]), nSize, 0});
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    m_nStored += nSize;
    return true;
}

void CEntryList::Store(Row& row, const char* pch, size_t nLength)
{
    Block& tail = m_blocks.back();
    std::memcpy(tail.pData.get() + tail.nUsed, pch, nLength);
    row.nBlock = static_cast<uint16_t>(m_blocks.size() - 1);
    row.nOffset = static_cast<uint32_t>(tail.nUsed);
    row.nLength = static_cast<uint32_t>(nLength);
    row.nRoom = 0;
    tail.nUsed += nLength;
}

bool CEntryList::Compact()
{
    size_t nTotal = 0;
    for (int nRow = 0; nRow < m_nRows; ++nRow)
        nTotal += RowAt(nRow).nLength + kCommentMarkLength;
    std::unique_ptr<char[]> pData(new (std::nothrow) char[nTotal ? nTotal : 1]);
    std::vector<Block> blocks;
    try
    {
        blocks.reserve(1);
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    if (!pData)
        return false;
    size_t nUsed = 0;
    for (int nRow = 0; nRow < m_nRows; ++nRow)
    {
        Row& row = RowAt(nRow);
        nUsed += kCommentMarkLength;
        std::memcpy(pData.get() + nUsed, TextOf(row), row.nLength);
        row.nBlock = 0;
        row.nOffset = static_cast<uint32_t>(nUsed);
        row.nRoom = static_cast<uint8_t>(kCommentMarkLength);
        nUsed += row.nLength;
    }
    blocks.push_back(Block{std::move(pData), nTotal, nTotal});
    m_blocks.swap(blocks);
    m_nStored = nTotal;
    m_nLive = nTotal;
    return true;
}

bool CEntryList::Append(const char* pch, size_t nLength)
{
    if (nLength > 0x7FFFFFFF)
        return false;
    // The text may be another row's, which packing the store would move.
    std::string copy;
    for (const Block& block : m_blocks)
        if (pch >= block.pData.get() && pch < block.pData.get() + block.nSize)
        {
            try
            {
                copy.assign(pch, nLength);
            }
            catch (const std::bad_alloc&)
            {
                return false;
            }
            pch = copy.data();
            break;
        }
    Row row = {};
    if (!Reserve(nLength))
        return false;
    Store(row, pch, nLength);
    row.bCommented = ::IsCommented(pch, nLength);
    if (!AddRow(row))
        return false;  // the bytes stay behind, unused, until the store is packed
    m_nLive += nLength;
    return true;
}

bool CEntryList::Replace(int nRow, const char* pch, size_t nLength)
{
    if (nLength > 0x7FFFFFFF)
        return false;
    std::string copy;
    for (const Block& block : m_blocks)
        if (pch >= block.pData.get() && pch < block.pData.get() + block.nSize)
        {
            try
            {
                copy.assign(pch, nLength);
            }
            catch (const std::bad_alloc&)
            {
                return false;
            }
            pch = copy.data();
            break;
        }
    Row& row = RowAt(nRow);
    if (nLength > row.nRoom + row.nLength)
    {
        if (!Reserve(nLength))
            return false;
        // Packing the store may have given the row room enough.
    }
    size_t nOld = row.nLength + row.nRoom;
    if (nLength <= row.nRoom + row.nLength)
    {
        // In place, ending where the old text ended.
        char* pRegion = TextOf(row) - row.nRoom;
        size_t nRoom = nOld - nLength;
        std::memmove(pRegion + nRoom, pch, nLength);
        row.nOffset = static_cast<uint32_t>(row.nOffset - row.nRoom + nRoom);
        row.nRoom = static_cast<uint8_t>(std::min(nRoom, kMaxRoom));
        row.nLength = static_cast<uint32_t>(nLength);
        m_nLive = m_nLive - nOld + row.nLength + row.nRoom;
    }
    else
    {
        Store(row, pch, nLength);
        m_nLive = m_nLive - nOld + nLength;
    }
    row.bCommented = ::IsCommented(pch, nLength);
    return true;
}

bool CEntryList::Comment(int nRow, bool* pbChanged)
{
    *pbChanged = false;
    Row& row = RowAt(nRow);
    if (row.bCommented)
        return true;
    if (row.nRoom < kCommentMarkLength && !Reserve(row.nLength + kCommentMarkLength))
        return false;
    if (row.nRoom >= kCommentMarkLength)
    {
        char* pText = TextOf(row);
        std::memcpy(pText - kCommentMarkLength, kCommentMark, kCommentMarkLength);
        row.nOffset -= static_cast<uint32_t>(kCommentMarkLength);
        row.nRoom = static_cast<uint8_t>(row.nRoom - kCommentMarkLength);
    }
    else
    {
        // Moved to the end of the store, the mark in front.
        Block& tail = m_blocks.back();
        char* pTo = tail.pData.get() + tail.nUsed;
        std::memcpy(pTo, kCommentMark, kCommentMarkLength);
        std::memcpy(pTo + kCommentMarkLength, TextOf(row), row.nLength);
        m_nLive = m_nLive - row.nRoom + kCommentMarkLength;
        row.nBlock = static_cast<uint16_t>(m_blocks.size() - 1);
        row.nOffset = static_cast<uint32_t>(tail.nUsed);
        row.nRoom = 0;
        tail.nUsed += row.nLength + kCommentMarkLength;
    }
    row.nLength += static_cast<uint32_t>(kCommentMarkLength);
    row.bCommented = 1;
    *pbChanged = true;
    return true;
}

void CEntryList::Uncomment(int nRow, bool* pbChanged)
{
    *pbChanged = false;
    Row& row = RowAt(nRow);
    if (!row.bCommented)
        return;
    const char* pText = TextOf(row);
    size_t nSkip = UncommentedStart(pText, row.nLength);
    size_t nRoom = row.nRoom + nSkip;
    m_nLive -= nRoom - std::min(nRoom, kMaxRoom);
    row.nOffset += static_cast<uint32_t>(nSkip);
    row.nLength -= static_cast<uint32_t>(nSkip);
    row.nRoom = static_cast<uint8_t>(std::min(nRoom, kMaxRoom));
    row.bCommented = ::IsCommented(pText + nSkip, row.nLength);
    *pbChanged = true;
}

CEntryList::LoadResult CEntryList::Load(const char* pszPath, CContentDigest* pDigest)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(pszPath, "rb"), std::fclose);
    if (!file)
    {
        Empty();
        if (pDigest)
            *pDigest = CContentDigest();
        return notOpened;
    }
    return Load(file.get(), pDigest);
}

CEntryList::LoadResult CEntryList::Load(std::FILE* pFile, CContentDigest* pDigest)
{
    // The old rows go first, so that only one file's lines are ever held.
    Empty();
    if (pDigest)
        *pDigest = CContentDigest();

    // The whole file in one block, which the rows then point into.
    size_t nCapacity = 0;
    if (std::fseek(pFile, 0, SEEK_END) == 0)
    {
        long nEnd = std::ftell(pFile);
        if (nEnd > 0)
            nCapacity = static_cast<size_t>(nEnd);
        std::rewind(pFile);
    }
    std::unique_ptr<char[]> pData(new (std::nothrow) char[nCapacity + 1]);
    if (!pData)
        return noMemory;
    size_t nSize = 0;
    const size_t nPiece = 1024 * 1024;
    for (;;)
    {
        if (nSize == nCapacity + 1)
        {
            // The file grew while it was read: take the rest too.
            size_t nGrown = nCapacity + 1 + std::max(nPiece, nCapacity / 2);
            std::unique_ptr<char[]> pGrown(new (std::nothrow) char[nGrown]);
            if (!pGrown)
                return noMemory;
            std::memcpy(pGrown.get(), pData.get(), nSize);
            pData.swap(pGrown);
            nCapacity = nGrown - 1;
        }
        size_t nWant = std::min(nPiece, nCapacity + 1 - nSize);
        size_t nRead = std::fread(pData.get() + nSize, 1, nWant, pFile);
        nSize += nRead;
        if (nSize > s_nReadLimitForTesting)
            return readFailed;
        if (nRead < nWant)
        {
            if (std::ferror(pFile))
                return readFailed;
            break;
        }
    }

    CContentHash hash;
    hash.Add(pData.get(), nSize);
    if (!BuildFromBuffer(std::move(pData), nSize))
    {
        Empty();
        return noMemory;
    }
    if (pDigest)
        *pDigest = hash.Digest();
    return loaded;
}

bool CEntryList::BuildFromBuffer(std::unique_ptr<char[]> pData, size_t nSize)
{
    try
    {
        m_blocks.push_back(Block{std::move(pData), nSize, nSize});
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    m_nStored = nSize;
    const char* pBase = m_blocks[0].pData.get();
    bool bStored = true;
    size_t nPreviousEnd = 0;
    ScanHostsLineRanges(pBase, nSize, [&](size_t nStart, size_t nLength) {
        if (!bStored)
            return;
        // The line end and white space before a text are its room.
        size_t nRoom = std::min(nStart - nPreviousEnd, kMaxRoom);
        Row row;
        row.nOffset = static_cast<uint32_t>(nStart);
        row.nLength = static_cast<uint32_t>(nLength);
        row.nBlock = 0;
        row.nRoom = static_cast<uint8_t>(nRoom);
        row.bCommented = ::IsCommented(pBase + nStart, nLength);
        bStored = AddRow(row);
        m_nLive += nLength + nRoom;
        nPreviousEnd = nStart + nLength;
    });
    if (m_nRows == 0)
        Empty();
    return bStored;
}

int CEntryList::FindRowByText(const char* pszText, bool bMatchCase, bool bDown, int nFrom) const
{
    const size_t nWanted = pszText ? std::strlen(pszText) : 0;
    if (nWanted == 0 || m_nRows == 0)
        return -1;
    if (nFrom < -1 || nFrom >= m_nRows)
        nFrom = -1;
    int nRow = nFrom;
    for (int nTried = 0; nTried < m_nRows; ++nTried)
    {
        if (bDown)
            nRow = nRow + 1 == m_nRows ? 0 : nRow + 1;
        else
            nRow = nRow <= 0 ? m_nRows - 1 : nRow - 1;
        const Row& row = RowAt(nRow);
        if (Holds(TextOf(row), row.nLength, pszText, nWanted, bMatchCase))
            return nRow;
    }
    return -1;
}
