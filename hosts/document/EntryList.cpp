#include "hosts/document/EntryList.h"

#include "hosts/lines/CommentRules.h"
#include "hosts/lines/LineScan.h"
#include "hosts/lines/TextMatch.h"
#include "hosts/lines/Utf8Text.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

size_t CEntryList::s_nRowLimitForTesting = static_cast<size_t>(-1);
size_t CEntryList::s_nReadLimitForTesting = static_cast<size_t>(-1);

namespace
{
// Added rows' texts go into blocks of this size or larger.
const size_t kBlock = 256 * 1024;
// Positions are 32-bit.
const uint64_t kPositions = uint64_t(1) << 32;
}

CEntryList::CEntryList() = default;

CEntryList::~CEntryList() = default;

void CEntryList::Empty()
{
    std::vector<CStoredRow>().swap(m_rows);
    std::vector<Line>().swap(m_lines);
    std::vector<Block>().swap(m_blocks);
    std::vector<uintptr_t>().swap(m_slots);
    m_history.Clear();
    m_pFile = "";
    m_nFilePosition = 0;
    m_nFileSize = 0;
    m_nTextStart = 0;
    m_nTextEnd = 0;
    m_nStored = 0;
    m_nFileBlock = static_cast<size_t>(-1);
    m_bUtf8 = false;
    m_bAscii = true;
    m_bLoadFailed = false;
}

CEntryList::Text CEntryList::GetText(int nRow) const
{
    const CStoredRow& row = m_rows[static_cast<size_t>(nRow)];
    return Text{kCommentMark, row.Marked() ? kCommentMarkLength : 0, TextOf(row), row.Length()};
}

CString CEntryList::GetTextString(int nRow) const
{
    Text text = GetText(nRow);
    CString result(text.pchMark, static_cast<int>(text.nMark));
    result += CString(text.pch, static_cast<int>(text.nLength));
    return result;
}

bool CEntryList::RoomForRows(size_t nCount)
{
    const size_t nWanted = m_rows.size() + nCount;
    if (nWanted > s_nRowLimitForTesting || nWanted > 0x7FFFFFFF)
        return false;
    if (nWanted <= m_rows.capacity())
        return true;
    try
    {
        m_rows.reserve(std::max(nWanted, m_rows.capacity() + m_rows.capacity() / 2));
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
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
    // The file's block is never written to.
    if (!m_blocks.empty() && m_blocks.size() - 1 != m_nFileBlock)
    {
        const Block& tail = m_blocks.back();
        if (tail.nSize - tail.nUsed >= nLength)
            return true;
    }
    size_t nSize = nLength > kBlock ? nLength : kBlock;
    std::unique_ptr<char[]> pData(new (std::nothrow) char[nSize]);
    return pData && AddBlock(std::move(pData), nSize, 0);
}

size_t CEntryList::Store(const char* pch, size_t nLength)
{
    Block& tail = m_blocks.back();
    std::memcpy(tail.pData.get() + tail.nUsed, pch, nLength);
    size_t nPosition = tail.nPosition + tail.nUsed;
    tail.nUsed += nLength;
    return nPosition;
}

bool CEntryList::InsertRow(int nAt, const char* pch, size_t nLength)
{
    // The text may be a row's own: a new block does not move it, since no
    // block ever moves.
    if (nLength > CStoredRow::kMaxLength || !Reserve(nLength) || !RoomForRows(1))
        return false;
    CStoredRow row;
    row.Set(Store(pch, nLength), nLength, false, ::IsCommented(pch, nLength));  // without a row, the bytes stay unused
    row.nLine = CStoredRow::kNoLine;
    const uint32_t nIndex = static_cast<uint32_t>(nAt);
    if (!m_history.RecordInsertion(&nIndex, &row, 1))
        return false;
    m_rows.insert(m_rows.begin() + nAt, row);  // within the room made
    return true;
}

bool CEntryList::InsertRows(const std::vector<uint32_t>& at, const char* pchTexts, const std::vector<uint32_t>& lengths)
{
    const size_t nCount = at.size();
    if (nCount == 0)
        return true;
    std::vector<CStoredRow> rows;
    try
    {
        rows.resize(nCount);
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    for (size_t k = 0; k < nCount; ++k)
    {
        const size_t nLength = lengths[k];
        if (nLength > CStoredRow::kMaxLength || !Reserve(nLength))
            return false;
        rows[k].Set(Store(pchTexts, nLength), nLength, false, ::IsCommented(pchTexts, nLength));
        rows[k].nLine = CStoredRow::kNoLine;
        pchTexts += nLength;
    }
    if (!RoomForRows(nCount) || !m_history.RecordInsertion(at.data(), rows.data(), nCount))
        return false;
    InsertAt(m_rows, at.data(), rows.data(), nCount);  // within the room made
    return true;
}

bool CEntryList::Comment(int nRow, bool* pbChanged)
{
    CStoredRow& row = m_rows[static_cast<size_t>(nRow)];
    *pbChanged = false;
    if (row.Commented())
        return true;
    if (!RecordChange(nRow))
        return false;
    row.Set(row.nPosition, row.Length(), true, true);
    *pbChanged = true;
    return true;
}

bool CEntryList::Uncomment(int nRow, bool* pbChanged)
{
    CStoredRow& row = m_rows[static_cast<size_t>(nRow)];
    *pbChanged = false;
    if (!row.Commented())
        return true;
    if (!RecordChange(nRow))
        return false;
    *pbChanged = true;
    // Without its first character, then without the white space after it.
    // For a row commented here that first character is the mark's "#", and
    // the white space its " " and whatever the text starts with.
    const char* pText = TextOf(row);
    size_t nSkip = 0;
    if (row.Marked())
        while (nSkip < row.Length() && IsCWhiteSpace(pText[nSkip]))
            ++nSkip;
    else
        nSkip = UncommentedStart(pText, row.Length());
    size_t nLength = row.Length() - nSkip;
    row.Set(row.nPosition + nSkip, nLength, false, ::IsCommented(pText + nSkip, nLength));
    return true;
}

bool CEntryList::SetText(int nRow, const char* pch, size_t nLength)
{
    if (nLength > CStoredRow::kMaxLength || !Reserve(nLength) || !RecordChange(nRow))
        return false;
    m_rows[static_cast<size_t>(nRow)].Set(Store(pch, nLength), nLength, false, ::IsCommented(pch, nLength));
    return true;
}

bool CEntryList::RemoveRows(const std::vector<uint32_t>& rows)
{
    if (rows.empty())
        return true;
    std::vector<CStoredRow> taken;
    CStoredRow* pTaken = nullptr;
    if (m_history.IsOpen())
    {
        pTaken = m_history.RecordRemoval(rows.data(), rows.size());
        if (!pTaken)
            return false;
    }
    RemoveAt(m_rows, rows.data(), rows.size(), pTaken);
    return true;
}

bool CEntryList::PlaceLastRows(const std::vector<uint32_t>& at)
{
    // Taken off the end, then put in where they go: the room is there.
    const size_t nCount = at.size();
    if (nCount == 0)
        return true;
    try
    {
        std::vector<CStoredRow> last(m_rows.end() - static_cast<std::ptrdiff_t>(nCount), m_rows.end());
        m_rows.resize(m_rows.size() - nCount);
        InsertAt(m_rows, at.data(), last.data(), nCount);
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    return true;
}

bool CEntryList::IsLineText(const CStoredRow& row) const
{
    if (row.nLine == CStoredRow::kNoLine)
        return false;
    const Line& line = m_lines[row.nLine];
    return !row.Marked() && row.nPosition == line.nPosition && row.Length() == line.nLength;
}

CEntryList::Text CEntryList::GetSavedText(int nLine) const
{
    const Line& line = m_lines[static_cast<size_t>(nLine)];
    return Text{kCommentMark, 0, At(line.nPosition), line.nLength};
}

bool CEntryList::IsChanged(int nRow) const
{
    const CStoredRow& row = m_rows[static_cast<size_t>(nRow)];
    if (row.nLine == CStoredRow::kNoLine)
        return true;
    if (IsLineText(row))
        return false;
    // Commented and uncommented again, or edited back, a row may hold its
    // line's text anew: "# a" uncommented and commented is "# a" once more.
    const Line& line = m_lines[row.nLine];
    const size_t nMark = row.Marked() ? kCommentMarkLength : 0;
    if (line.nLength != row.Length() + nMark)
        return true;
    const char* pLine = At(line.nPosition);
    return std::memcmp(pLine, kCommentMark, nMark) != 0 || std::memcmp(pLine + nMark, TextOf(row), row.Length()) != 0;
}

bool CEntryList::HasChanges() const
{
    if (m_rows.size() != m_lines.size())
        return true;
    for (size_t n = 0; n < m_rows.size(); ++n)
        if (m_rows[n].nLine != n || IsChanged(static_cast<int>(n)))
            return true;
    return false;
}

bool CEntryList::GetChange(int nRow, Change& change) const
{
    // What is left of the line's text ends where it ended.
    const CStoredRow& row = m_rows[static_cast<size_t>(nRow)];
    if (row.nLine == CStoredRow::kNoLine)
        return false;
    const Line& line = m_lines[row.nLine];
    if (row.nPosition < line.nPosition || row.End() != line.nPosition + line.nLength)
        return false;
    change = Change{row.nPosition - line.nPosition, row.Marked()};
    return true;
}

void CEntryList::ApplyChange(int nRow, const Change& change)
{
    // A row as loaded is its line's text, unmarked.
    CStoredRow& row = m_rows[static_cast<size_t>(nRow)];
    size_t nDrop = change.nDrop < row.Length() ? change.nDrop : row.Length();
    size_t nLength = row.Length() - nDrop;
    const char* pText = TextOf(row) + nDrop;
    row.Set(row.nPosition + nDrop, nLength, change.bMarked, change.bMarked || ::IsCommented(pText, nLength));
}

bool CEntryList::AppendCopy(const CEntryList& other, int nRow, const char* pch, size_t nLength)
{
    Text text = other.GetText(nRow);
    if (pch)
    {
        text.pch = pch;
        text.nLength = nLength;
    }
    if (!Append(text.pch, text.nLength))
        return false;
    if (text.nMark)
    {
        CStoredRow& row = m_rows.back();
        row.Set(row.nPosition, row.Length(), true, true);
    }
    return true;
}

CEntryList::LoadResult CEntryList::Load(const char* pszPath, CContentDigest* pDigest, const CContentDigest* pUnless)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(pszPath, "rb"), std::fclose);
    if (!file)
        return notOpened;
    return Load(file.get(), pDigest, pUnless);
}

CEntryList::LoadResult CEntryList::Load(std::FILE* pFile, CContentDigest* pDigest, const CContentDigest* pUnless)
{
    LoadResult result = LoadWhole(pFile, pDigest, pUnless);
    m_bLoadFailed = result == readFailed || result == noMemory;
    return result;
}

CEntryList::LoadResult CEntryList::LoadWhole(std::FILE* pFile, CContentDigest* pDigest,
                                             const CContentDigest* pUnless)
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
    if (pUnless && hash.Digest() == *pUnless)
    {
        if (pDigest)
            *pDigest = *pUnless;
        return unchanged;
    }
    if (!BuildFromBuffer(std::move(pData), nSize))
    {
        Empty();
        return noMemory;
    }
    if (pDigest)
        *pDigest = hash.Digest();
    return loaded;
}

bool CEntryList::TakeFile(std::unique_ptr<char[]> pData, size_t nSize)
{
    const char* pBase = pData.get();
    if (nSize > 0)
    {
        if (!AddBlock(std::move(pData), nSize, nSize))
            return false;
        m_nFileBlock = m_blocks.size() - 1;
        m_nFilePosition = m_blocks.back().nPosition;
        m_pFile = pBase;
    }
    else
    {
        m_nFileBlock = static_cast<size_t>(-1);
        m_nFilePosition = 0;
        m_pFile = "";
    }
    m_nFileSize = nSize;
    return true;
}

bool CEntryList::BuildFromBuffer(std::unique_ptr<char[]> pData, size_t nSize)
{
    // The bytes are kept even when no line is in them (blank lines, a
    // Ctrl-Z tail): a save writes them back.
    const char* pBase = pData.get();
    if (!TakeFile(std::move(pData), nSize))
        return false;
    const TextEncoding encoding = ClassifyText(pBase, nSize);
    m_bUtf8 = encoding == TextEncoding::utf8;
    m_bAscii = encoding == TextEncoding::ascii;
    m_nTextStart = HostsTextStart(pBase, nSize);
    m_nTextEnd = HostsTextEnd(pBase, nSize);
    bool bStored = true;
    try
    {
        ScanHostsLineRanges(pBase, nSize, [&](size_t nStart, size_t nLength) {
            if (nLength > CStoredRow::kMaxLength || m_lines.size() >= s_nRowLimitForTesting)
                bStored = false;
            if (bStored)
                m_lines.push_back(Line{static_cast<uint32_t>(m_nFilePosition + nStart), static_cast<uint32_t>(nLength)});
        });
        if (!bStored || m_lines.size() > 0x7FFFFFFF)
            return false;
        m_rows.resize(m_lines.size());
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    for (size_t n = 0; n < m_lines.size(); ++n)
    {
        const char* pText = At(m_lines[n].nPosition);
        m_rows[n].Set(m_lines[n].nPosition, m_lines[n].nLength, false, ::IsCommented(pText, m_lines[n].nLength));
        m_rows[n].nLine = static_cast<uint32_t>(n);
    }
    return true;
}

int CEntryList::FindRowByText(const char* pszText, bool bMatchCase, bool bDown, int nFrom) const
{
    const CTextMatch match(pszText, bMatchCase, m_bUtf8);
    if (match.IsEmpty() || GetCount() == 0)
        return -1;
    if (nFrom < -1 || nFrom >= GetCount())
        nFrom = -1;
    int nRow = nFrom;
    for (int nTried = 0; nTried < GetCount(); ++nTried)
    {
        if (bDown)
            nRow = nRow + 1 == GetCount() ? 0 : nRow + 1;
        else
            nRow = nRow <= 0 ? GetCount() - 1 : nRow - 1;
        Text text = GetText(nRow);
        if (match.FoundIn(text.pchMark, text.nMark, text.pch, text.nLength))
            return nRow;
    }
    return -1;
}
