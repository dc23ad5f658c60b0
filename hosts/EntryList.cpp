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
// Texts that no longer fit where they were go into blocks of this size or
// larger, and the store is packed once more than a quarter of what the rows
// use, and at least a block's worth, lies unused.
const size_t kBlock = 256 * 1024;
const size_t kMinWaste = kBlock;
// Positions are 32-bit.
const uint64_t kPositions = uint64_t(1) << 32;

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
    std::vector<uintptr_t>().swap(m_slots);
    m_nRows = 0;
    m_nStored = 0;
    m_nLive = 0;
}

const char* CEntryList::GetText(int nRow, size_t* pnLength) const
{
    const Row& row = RowAt(nRow);
    *pnLength = row.Length();
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
        if (!sink(TextOf(row), row.Length()))
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

bool CEntryList::AddBlock(std::unique_ptr<char[]> pData, size_t nSize, size_t nUsed)
{
    // The block's positions run one past its end, so that an empty text
    // there still finds its block.
    size_t nPosition = m_slots.size() << kSlotShift;
    size_t nSlots = (nSize >> kSlotShift) + 1;
    if (nPosition + (uint64_t(nSlots) << kSlotShift) > kPositions)
        return false;
    try
    {
        m_blocks.reserve(m_blocks.size() + 1);
        m_slots.reserve(m_slots.size() + nSlots);
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    m_slots.insert(m_slots.end(), nSlots, reinterpret_cast<uintptr_t>(pData.get()) - nPosition);
    m_blocks.push_back(Block{std::move(pData), nSize, nUsed, nPosition});
    m_nStored += nSize;
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
    if (nWaste >= kMinWaste && nWaste > m_nLive / 4)
        Compact();
    size_t nSize = nLength > kBlock ? nLength : kBlock;
    for (int nTry = 0; nTry < 2; ++nTry)
    {
        std::unique_ptr<char[]> pData(new (std::nothrow) char[nSize]);
        if (!pData)
            return false;
        if (AddBlock(std::move(pData), nSize, 0))
            return true;
        // Out of positions: packing the store frees them.
        if (nTry == 0 && !Compact())
            return false;
    }
    return false;
}

size_t CEntryList::Store(const char* pch, size_t nLength)
{
    Block& tail = m_blocks.back();
    std::memcpy(tail.pData.get() + tail.nUsed, pch, nLength);
    size_t nPosition = tail.nPosition + tail.nUsed;
    tail.nUsed += nLength;
    return nPosition;
}

bool CEntryList::Compact()
{
    // The packed store and its slot table are made before any row moves, so
    // that a failure leaves every row as it was. Its positions start at 0,
    // so every slot's base is the block's address.
    size_t nTotal = 0;
    for (int nRow = 0; nRow < m_nRows; ++nRow)
        nTotal += RowAt(nRow).Length() + kCommentMarkLength;
    std::unique_ptr<char[]> pData(new (std::nothrow) char[nTotal ? nTotal : 1]);
    if (!pData)
        return false;
    std::vector<Block> blocks;
    std::vector<uintptr_t> slots;
    try
    {
        blocks.reserve(1);
        slots.assign((nTotal >> kSlotShift) + 1, reinterpret_cast<uintptr_t>(pData.get()));
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    size_t nUsed = 0;
    for (int nRow = 0; nRow < m_nRows; ++nRow)
    {
        Row& row = RowAt(nRow);
        nUsed += kCommentMarkLength;
        std::memcpy(pData.get() + nUsed, TextOf(row), row.Length());
        row.Set(nUsed, row.Length(), kCommentMarkLength, row.Commented());
        nUsed += row.Length();
    }
    blocks.push_back(Block{std::move(pData), nTotal, nTotal, 0});
    m_blocks.swap(blocks);
    m_slots.swap(slots);
    m_nStored = nTotal;
    m_nLive = nTotal;
    return true;
}

bool CEntryList::CopyIfStored(const char*& pch, size_t nLength, std::string& copy) const
{
    // The text may be a row's own, which packing the store would move.
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
    return true;
}

bool CEntryList::Append(const char* pch, size_t nLength)
{
    std::string copy;
    if (nLength > kMaxLength || !CopyIfStored(pch, nLength, copy) || !Reserve(nLength))
        return false;
    Row row;
    row.Set(Store(pch, nLength), nLength, 0, ::IsCommented(pch, nLength));
    if (!AddRow(row))
        return false;  // the bytes stay behind, unused, until the store is packed
    m_nLive += nLength;
    return true;
}

bool CEntryList::Replace(int nRow, const char* pch, size_t nLength)
{
    std::string copy;
    if (nLength > kMaxLength || !CopyIfStored(pch, nLength, copy))
        return false;
    Row& row = RowAt(nRow);
    // Packing the store may give the row room enough.
    if (nLength > row.Room() + row.Length() && !Reserve(nLength))
        return false;
    size_t nOld = row.Length() + row.Room();
    bool bCommented = ::IsCommented(pch, nLength);
    if (nLength <= nOld)
    {
        // In place, ending where the old text ended.
        size_t nStart = row.nPosition - row.Room() + (nOld - nLength);
        std::memmove(At(nStart), pch, nLength);
        row.Set(nStart, nLength, nOld - nLength, bCommented);
    }
    else
    {
        row.Set(Store(pch, nLength), nLength, 0, bCommented);
    }
    m_nLive = m_nLive - nOld + row.Length() + row.Room();
    return true;
}

bool CEntryList::Comment(int nRow, bool* pbChanged)
{
    *pbChanged = false;
    Row& row = RowAt(nRow);
    if (row.Commented())
        return true;
    size_t nLength = row.Length() + kCommentMarkLength;
    if (nLength > kMaxLength ||
        (row.Room() < kCommentMarkLength && !Reserve(nLength)))
        return false;
    size_t nOld = row.Length() + row.Room();
    if (row.Room() >= kCommentMarkLength)
    {
        // The mark goes into the room before the text.
        size_t nStart = row.nPosition - kCommentMarkLength;
        std::memcpy(At(nStart), kCommentMark, kCommentMarkLength);
        row.Set(nStart, nLength, row.Room() - kCommentMarkLength, true);
    }
    else
    {
        // Moved to the end of the store, the mark in front.
        size_t nStart = Store(kCommentMark, kCommentMarkLength);
        Store(TextOf(row), row.Length());
        row.Set(nStart, nLength, 0, true);
    }
    m_nLive = m_nLive - nOld + row.Length() + row.Room();
    *pbChanged = true;
    return true;
}

void CEntryList::Uncomment(int nRow, bool* pbChanged)
{
    *pbChanged = false;
    Row& row = RowAt(nRow);
    if (!row.Commented())
        return;
    const char* pText = TextOf(row);
    size_t nSkip = UncommentedStart(pText, row.Length());
    size_t nOld = row.Length() + row.Room();
    row.Set(row.nPosition + nSkip, row.Length() - nSkip, row.Room() + nSkip,
            ::IsCommented(pText + nSkip, row.Length() - nSkip));
    m_nLive = m_nLive - nOld + row.Length() + row.Room();
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
    const char* pBase = pData.get();
    if (!AddBlock(std::move(pData), nSize, nSize))
        return false;
    bool bStored = true;
    size_t nPreviousEnd = 0;
    ScanHostsLineRanges(pBase, nSize, [&](size_t nStart, size_t nLength) {
        if (!bStored)
            return;
        if (nLength > kMaxLength)
        {
            bStored = false;
            return;
        }
        // The line end and white space before a text are its room.
        Row row;
        row.Set(nStart, nLength, nStart - nPreviousEnd, ::IsCommented(pBase + nStart, nLength));
        bStored = AddRow(row);
        m_nLive += nLength + row.Room();
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
        if (Holds(TextOf(row), row.Length(), pszText, nWanted, bMatchCase))
            return nRow;
    }
    return -1;
}
