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
// What ends every line the program adds.
const char kHostsLineEnd[] = "\r\n";
const size_t kHostsLineEndLength = sizeof(kHostsLineEnd) - 1;

// Added rows' texts go into blocks of this size or larger.
const size_t kBlock = 256 * 1024;
// Positions are 32-bit.
const uint64_t kPositions = uint64_t(1) << 32;
}

CEntryList::CEntryList() = default;

CEntryList::~CEntryList() = default;

void CEntryList::Empty()
{
    std::vector<std::unique_ptr<Row[]>>().swap(m_pages);
    std::vector<Block>().swap(m_blocks);
    std::vector<uintptr_t>().swap(m_slots);
    m_nRows = 0;
    m_nFileRows = 0;
    m_nSavedRows = 0;
    m_bSavedAsRead = true;
    std::vector<std::unique_ptr<Row[]>>().swap(m_savedPages);
    m_nFileSize = 0;
    m_nTextStart = 0;
    m_nTextEnd = 0;
    m_nStored = 0;
    m_bUtf8 = false;
    m_bAscii = true;
    m_bLoadFailed = false;
}

CEntryList::Text CEntryList::GetText(int nRow) const
{
    const Row& row = RowAt(nRow);
    return Text{kCommentMark, row.Marked() ? kCommentMarkLength : 0, TextOf(row), row.Length()};
}

CString CEntryList::GetTextString(int nRow) const
{
    Text text = GetText(nRow);
    CString result(text.pchMark, static_cast<int>(text.nMark));
    result += CString(text.pch, static_cast<int>(text.nLength));
    return result;
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
    // The file's block is never written to.
    if (m_blocks.size() > (m_nFileSize ? 1u : 0u))
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

bool CEntryList::Append(const char* pch, size_t nLength)
{
    // The text may be a row's own: a new block does not move it, since no
    // block ever moves.
    if (nLength > kMaxLength || !Reserve(nLength))
        return false;
    Row row;
    row.Set(Store(pch, nLength), nLength, false, false, ::IsCommented(pch, nLength));
    return AddRow(row);  // without a row, the bytes stay behind unused
}

bool CEntryList::KeepSaved(int nRow)
{
    if (m_bSavedAsRead || nRow >= m_nSavedRows)
        return true;
    size_t nPage = static_cast<size_t>(nRow) >> kPageShift;
    if (m_savedPages[nPage])
        return true;
    m_savedPages[nPage].reset(new (std::nothrow) Row[kPageRows]);
    if (!m_savedPages[nPage])
        return false;
    std::memcpy(m_savedPages[nPage].get(), m_pages[nPage].get(), sizeof(Row) * kPageRows);
    return true;
}

bool CEntryList::Comment(int nRow, bool* pbChanged)
{
    Row& row = RowAt(nRow);
    *pbChanged = false;
    if (row.Commented())
        return true;
    if (!KeepSaved(nRow))
        return false;
    row.Set(row.nPosition, row.Length(), row.Trimmed(), true, true);
    *pbChanged = true;
    return true;
}

bool CEntryList::Uncomment(int nRow, bool* pbChanged)
{
    Row& row = RowAt(nRow);
    *pbChanged = false;
    if (!row.Commented())
        return true;
    if (!KeepSaved(nRow))
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
    row.Set(row.nPosition + nSkip, nLength, row.Trimmed() || nSkip > 0, false,
            ::IsCommented(pText + nSkip, nLength));
    return true;
}

void CEntryList::MarkSaved()
{
    m_bSavedAsRead = false;
    m_nSavedRows = m_nRows;
    m_savedPages.clear();
    m_savedPages.resize(m_pages.size());
}

CEntryList::Row CEntryList::SavedRow(int nRow) const
{
    if (m_bSavedAsRead)
    {
        const Row& row = RowAt(nRow);
        if (!row.Marked() && !row.Trimmed())
            return row;
        size_t nStart = LineStart(nRow, row);
        size_t nLength = row.End() - nStart;
        Row saved;
        saved.Set(nStart, nLength, false, false, ::IsCommented(At(nStart), nLength));
        return saved;
    }
    const std::unique_ptr<Row[]>& pPage = m_savedPages[static_cast<size_t>(nRow) >> kPageShift];
    return pPage ? pPage[nRow & (kPageRows - 1)] : RowAt(nRow);
}

CEntryList::Text CEntryList::GetSavedText(int nRow) const
{
    Row saved = SavedRow(nRow);
    return Text{kCommentMark, saved.Marked() ? kCommentMarkLength : 0, TextOf(saved), saved.Length()};
}

bool CEntryList::IsChanged(int nRow) const
{
    if (nRow >= m_nSavedRows)
        return true;
    const Row& row = RowAt(nRow);
    if (m_bSavedAsRead && !row.Marked() && !row.Trimmed())
        return false;
    Row saved = SavedRow(nRow);
    if (saved.nPosition == row.nPosition && saved.nBits == row.nBits)
        return false;
    // Commented and uncommented again, a row may hold its old text anew:
    // "# a" uncommented and commented is "# a" once more.
    size_t nSavedMark = saved.Marked() ? kCommentMarkLength : 0;
    size_t nMark = row.Marked() ? kCommentMarkLength : 0;
    if (saved.Length() + nSavedMark != row.Length() + nMark)
        return true;
    // Both end where the line's text ended; only their starts can differ.
    const char* pSaved = TextOf(saved);
    size_t nSavedBytes = saved.Length();
    if (nMark > nSavedMark)
    {
        // The mark now stands where the saved text had bytes of its own.
        return std::memcmp(pSaved, kCommentMark, kCommentMarkLength) != 0 ||
               std::memcmp(pSaved + kCommentMarkLength, TextOf(row), row.Length()) != 0;
    }
    if (nSavedMark > nMark)
        return std::memcmp(TextOf(row), kCommentMark, kCommentMarkLength) != 0 ||
               std::memcmp(TextOf(row) + kCommentMarkLength, pSaved, nSavedBytes) != 0;
    return std::memcmp(pSaved, TextOf(row), nSavedBytes) != 0;
}

bool CEntryList::HasChanges() const
{
    if (m_nRows > m_nSavedRows)
        return true;
    for (int nRow = 0; nRow < m_nRows; ++nRow)
        if (IsChanged(nRow))
            return true;
    return false;
}

CEntryList::Change CEntryList::GetChange(int nRow) const
{
    // What is left of the saved text ends where it ended.
    Row saved = SavedRow(nRow);
    const Row& row = RowAt(nRow);
    size_t nSaved = saved.Length() + (saved.Marked() ? kCommentMarkLength : 0);
    return Change{nSaved - row.Length(), row.Marked()};
}

void CEntryList::ApplyChange(int nRow, const Change& change)
{
    // A row as loaded is its line's text, unmarked.
    Row& row = RowAt(nRow);
    size_t nDrop = change.nDrop < row.Length() ? change.nDrop : row.Length();
    size_t nLength = row.Length() - nDrop;
    const char* pText = TextOf(row) + nDrop;
    row.Set(row.nPosition + nDrop, nLength, row.Trimmed() || nDrop > 0, change.bMarked,
            change.bMarked || ::IsCommented(pText, nLength));
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
        Row& row = RowAt(m_nRows - 1);
        row.Set(row.nPosition, row.Length(), false, true, true);
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

bool CEntryList::BuildFromBuffer(std::unique_ptr<char[]> pData, size_t nSize)
{
    // The bytes are kept even when no line is in them (blank lines, a
    // Ctrl-Z tail): a save writes them back.
    const char* pBase = pData.get();
    if (nSize > 0)
    {
        if (!AddBlock(std::move(pData), nSize, nSize))
            return false;
        m_nFileSize = nSize;
    }
    const TextEncoding encoding = ClassifyText(pBase, nSize);
    m_bUtf8 = encoding == TextEncoding::utf8;
    m_bAscii = encoding == TextEncoding::ascii;
    m_nTextStart = HostsTextStart(pBase, nSize);
    m_nTextEnd = HostsTextEnd(pBase, nSize);
    bool bStored = true;
    ScanHostsLineRanges(pBase, nSize, [&](size_t nStart, size_t nLength) {
        if (!bStored)
            return;
        Row row;
        row.Set(nStart, nLength, false, false, ::IsCommented(pBase + nStart, nLength));
        bStored = nLength <= kMaxLength && AddRow(row);
    });
    m_nFileRows = m_nRows;
    m_nSavedRows = m_nRows;
    return bStored;
}

size_t CEntryList::LineStart(int nRow, const Row& row) const
{
    // A row's text is what is left of its line's text, which still ends
    // where it ended; so the reading rules find where it started, from the
    // end of the row before.
    if (!row.Trimmed())
        return row.nPosition;
    const char* pFile = At(0);
    return nRow == 0 ? FirstHostsLineStart(pFile, m_nTextStart, m_nTextEnd)
                     : NextHostsLineStart(pFile, m_nTextEnd, RowAt(nRow - 1).End());
}

bool CEntryList::FollowsBlankLine(int nRow) const
{
    if (nRow <= 0 || nRow > m_nFileRows || nRow >= m_nRows)
        return false;
    // Between the line feed that ends the row before and where this row's
    // line starts lies only white space: a line feed there ends a line that
    // held nothing else. The first added row follows whatever comes after
    // the file's last line (blank lines, or white space that a save ends
    // with a line end before the row).
    const char* pFile = At(0);
    const size_t nPrevious = RowAt(nRow - 1).End();
    const size_t nStart = nRow < m_nFileRows ? LineStart(nRow, RowAt(nRow)) : m_nTextEnd;
    const void* pLf = std::memchr(pFile + nPrevious, '\n', nStart - nPrevious);
    if (!pLf)
        return false;
    const char* pAfter = static_cast<const char*>(pLf) + 1;
    const size_t nRest = static_cast<size_t>(pFile + nStart - pAfter);
    return nRow < m_nFileRows ? std::memchr(pAfter, '\n', nRest) != nullptr : nRest > 0;
}

void CEntryList::ForEachPiece(const std::function<bool(const char*, size_t)>& sink) const
{
    Pieces(false, sink);
}

void CEntryList::ForEachSavedPiece(const std::function<bool(const char*, size_t)>& sink) const
{
    Pieces(true, sink);
}

void CEntryList::Pieces(bool bSaved, const std::function<bool(const char*, size_t)>& sink) const
{
    // The rows as they are, or as the file held them: the first
    // m_nSavedRows rows as they were at the last load or save.
    const int nRows = bSaved ? m_nSavedRows : m_nRows;
    auto rowAt = [&](int nRow) { return bSaved ? SavedRow(nRow) : RowAt(nRow); };
    const char* pFile = m_nFileSize ? At(0) : "";
    size_t nDone = 0;  // the file's bytes before this are given out or replaced
    auto put = [&sink](const char* pch, size_t nLength) { return nLength == 0 || sink(pch, nLength); };
    for (int nRow = 0; nRow < m_nFileRows; ++nRow)
    {
        // A row as read is part of a run of the file's bytes. A changed one
        // ends the run where its line's text started; its new text is the
        // mark, if any, and the rest of the old text, which is where the
        // next run starts.
        const Row row = rowAt(nRow);
        if (!row.Marked() && !row.Trimmed())
            continue;
        if (!put(pFile + nDone, LineStart(nRow, row) - nDone) ||
            (row.Marked() && !put(kCommentMark, kCommentMarkLength)))
            return;
        nDone = row.nPosition;
    }
    if (m_nFileRows < nRows)
    {
        if (!put(pFile + nDone, m_nTextEnd - nDone))
            return;
        nDone = m_nTextEnd;
        if (m_nTextEnd > m_nTextStart && pFile[m_nTextEnd - 1] != '\n' && !put(kHostsLineEnd, kHostsLineEndLength))
            return;
        for (int nRow = m_nFileRows; nRow < nRows; ++nRow)
        {
            const Row row = rowAt(nRow);
            if ((row.Marked() && !put(kCommentMark, kCommentMarkLength)) || !put(TextOf(row), row.Length()) ||
                !put(kHostsLineEnd, kHostsLineEndLength))
                return;
        }
    }
    put(pFile + nDone, m_nFileSize - nDone);
}

int CEntryList::FindRowByText(const char* pszText, bool bMatchCase, bool bDown, int nFrom) const
{
    const CTextMatch match(pszText, bMatchCase, m_bUtf8);
    if (match.IsEmpty() || m_nRows == 0)
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
        Text text = GetText(nRow);
        if (match.FoundIn(text.pchMark, text.nMark, text.pch, text.nLength))
            return nRow;
    }
    return -1;
}
