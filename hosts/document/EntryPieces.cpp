// The entry list's file as a save writes it: each row where its line was,
// what lay around the lines kept, and the file as last saved taken in anew.
#include "hosts/document/EntryList.h"

#include "hosts/lines/CommentRules.h"
#include "hosts/lines/Utf8Text.h"

#include <cstring>
#include <new>

namespace
{
// What ends a row the file does not hold when the line before it has no
// line end of its own.
const char kHostsLineEnd[] = "\r\n";
const size_t kHostsLineEndLength = sizeof(kHostsLineEnd) - 1;
}

size_t CEntryList::LineStart(size_t nLine) const
{
    // After the last line feed between the line before (or where the lines
    // start) and the text: the first line may keep white space in its text.
    const size_t nText = LineOffset(nLine);
    const size_t nFrom = nLine == 0 ? m_nTextStart : LineOffset(nLine - 1) + m_lines[nLine - 1].nLength;
    for (size_t n = nText; n > nFrom; --n)
        if (m_pFile[n - 1] == '\n')
            return n;
    return nFrom;
}

size_t CEntryList::LineEnd(size_t nLine) const
{
    const size_t nFrom = LineOffset(nLine) + m_lines[nLine].nLength;
    const size_t nTo = nLine + 1 < m_lines.size() ? LineOffset(nLine + 1) : m_nTextEnd;
    const void* pLf = std::memchr(m_pFile + nFrom, '\n', nTo - nFrom);
    return pLf ? static_cast<size_t>(static_cast<const char*>(pLf) - m_pFile) + 1 : nTo;
}

bool CEntryList::BlankBefore(long long nAfter, size_t nLast) const
{
    // A line of white space lies before line j when its line does not start
    // where the line before it ended.
    for (size_t j = static_cast<size_t>(nAfter + 1); j <= nLast; ++j)
    {
        const size_t nPrevious = j == 0 ? m_nTextStart : LineEnd(j - 1);
        if ((j == m_lines.size() ? m_nTextEnd : LineStart(j)) > nPrevious)
            return true;
    }
    return false;
}

bool CEntryList::FollowsBlankLine(int nRow) const
{
    if (nRow <= 0 || nRow >= GetCount())
        return false;
    const CStoredRow& row = m_rows[static_cast<size_t>(nRow)];
    if (row.nLine == CStoredRow::kNoLine)
    {
        // Right after the line before it, unless it stands after the
        // file's last line: then after the blank lines there.
        const CStoredRow& before = m_rows[static_cast<size_t>(nRow) - 1];
        if (before.nLine == CStoredRow::kNoLine)
            return false;
        for (size_t n = static_cast<size_t>(nRow) + 1; n < m_rows.size(); ++n)
            if (m_rows[n].nLine != CStoredRow::kNoLine)
                return false;
        return BlankBefore(before.nLine, m_lines.size());
    }
    // Rows the file does not hold before it stand right after the line
    // before them: the blank lines of the lines in between come after them.
    long long nAfter = -1;
    for (size_t n = static_cast<size_t>(nRow); n-- > 0;)
        if (m_rows[n].nLine != CStoredRow::kNoLine)
        {
            nAfter = m_rows[n].nLine;
            break;
        }
    return BlankBefore(nAfter, row.nLine);
}

void CEntryList::ForEachPiece(const std::function<bool(const char*, size_t)>& sink) const
{
    Pieces(sink, nullptr);
}

void CEntryList::ForEachSavedPiece(const std::function<bool(const char*, size_t)>& sink) const
{
    if (m_nFileSize > 0)
        sink(m_pFile, m_nFileSize);
}

void CEntryList::Pieces(const std::function<bool(const char*, size_t)>& sink,
                        const std::function<void(size_t, size_t)>& onRow) const
{
    // The file's bytes in runs: a run ends where a changed row's text
    // starts, or where a removed row's line starts; the next one starts
    // after that text, or after that line's line feed.
    size_t nDone = 0;  // the file's bytes before this are given out or replaced
    size_t nOut = 0;   // bytes given out
    char chLast = 0;
    auto put = [&](const char* pch, size_t nLength) {
        if (nLength == 0)
            return true;
        nOut += nLength;
        chLast = pch[nLength - 1];
        return sink(pch, nLength);
    };
    const size_t nLines = m_lines.size();
    size_t nNext = 0;  // the first line not yet passed
    auto passRemoved = [&](size_t nUpTo) {
        for (; nNext < nUpTo; ++nNext)
        {
            if (!put(FileAt(nDone), LineStart(nNext) - nDone))
                return false;
            nDone = LineEnd(nNext);
        }
        return true;
    };
    // The rows after the last one the file holds follow its last line.
    size_t nAfterLines = 0;
    for (size_t n = m_rows.size(); n-- > 0;)
        if (m_rows[n].nLine != CStoredRow::kNoLine)
        {
            nAfterLines = n + 1;
            break;
        }
    // The line end of the line before a row the file does not hold.
    const char* pEnd = kHostsLineEnd;
    size_t nEnd = kHostsLineEndLength;
    size_t nEndOf = static_cast<size_t>(-1);  // the line pEnd is of, until it is found
    bool bAtEnd = false;
    bool bLastWritten = false;  // the file's last line is a row's
    for (size_t n = 0; n < m_rows.size(); ++n)
    {
        const CStoredRow& row = m_rows[n];
        // Rows keep their lines' order; one that did not would be written as
        // a row the file does not hold, rather than over bytes gone by.
        if (row.nLine != CStoredRow::kNoLine && row.nLine >= nNext)
        {
            if (!passRemoved(row.nLine))
                return;
            const size_t nText = LineOffset(row.nLine);
            if (IsLineText(row))
            {
                if (onRow)
                    onRow(n, nOut + (nText - nDone));
            }
            else
            {
                if (!put(FileAt(nDone), nText - nDone))
                    return;
                if (onRow)
                    onRow(n, nOut);
                if ((row.Marked() && !put(kCommentMark, kCommentMarkLength)) || !put(TextOf(row), row.Length()))
                    return;
                nDone = nText + m_lines[row.nLine].nLength;
            }
            nNext = row.nLine + 1;
            nEndOf = row.nLine;
            bLastWritten = nNext == nLines;
            continue;
        }
        if (n >= nAfterLines)
        {
            if (!bAtEnd)
            {
                bAtEnd = true;
                if (!passRemoved(nLines) || !put(FileAt(nDone), m_nTextEnd - nDone))
                    return;
                nDone = m_nTextEnd;
                // The last line, even emptied, or white space after it, ends
                // before the rows. Its own line end is a line feed after its
                // text: an empty last line may follow the line feed of the
                // line before.
                const size_t nLastText = bLastWritten ? LineOffset(nLines - 1) + m_lines[nLines - 1].nLength : 0;
                const bool bLastOpen =
                    bLastWritten && !std::memchr(FileAt(nLastText), '\n', m_nTextEnd - nLastText);
                if ((bLastOpen || (nOut > m_nTextStart && chLast != '\n')) &&
                    !put(kHostsLineEnd, kHostsLineEndLength))
                    return;
            }
        }
        else
        {
            const size_t nAt = nNext == 0 ? m_nTextStart : LineEnd(nNext - 1);
            if (!put(FileAt(nDone), nAt - nDone))
                return;
            nDone = nAt;
        }
        if (nEndOf != static_cast<size_t>(-1))
        {
            // CR LF, or a line feed alone, as that line ends.
            const size_t nLineEnd = LineEnd(nEndOf);
            const size_t nTextEnd = LineOffset(nEndOf) + m_lines[nEndOf].nLength;
            pEnd = kHostsLineEnd;
            nEnd = kHostsLineEndLength;
            if (nLineEnd > nTextEnd && m_pFile[nLineEnd - 1] == '\n')
            {
                nEnd = nLineEnd - 1 > nTextEnd && m_pFile[nLineEnd - 2] == '\r' ? 2 : 1;
                pEnd = m_pFile + nLineEnd - nEnd;
            }
            nEndOf = static_cast<size_t>(-1);
        }
        if (onRow)
            onRow(n, nOut);
        if ((row.Marked() && !put(kCommentMark, kCommentMarkLength)) || !put(TextOf(row), row.Length()) ||
            !put(pEnd, nEnd))
            return;
    }
    if (passRemoved(nLines))
        put(FileAt(nDone), m_nFileSize - nDone);
}

bool CEntryList::MarkSaved()
{
    // The bytes saved become the file's block, and every row a line of it;
    // the old blocks stay, as the history's records may point into them.
    size_t nSize = 0;
    Pieces(
        [&](const char*, size_t nLength) {
            nSize += nLength;
            return true;
        },
        nullptr);
    std::unique_ptr<char[]> pData(new (std::nothrow) char[nSize ? nSize : 1]);
    if (!pData)
        return false;
    std::vector<Line> lines;
    std::vector<uint32_t> lineNow;
    try
    {
        lines.resize(m_rows.size());
        lineNow.assign(m_lines.size(), CStoredRow::kNoLine);
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    char* pTo = pData.get();
    Pieces(
        [&](const char* pch, size_t nLength) {
            std::memcpy(pTo, pch, nLength);
            pTo += nLength;
            return true;
        },
        [&](size_t nRow, size_t nOffset) {
            const CStoredRow& row = m_rows[nRow];
            lines[nRow] = Line{static_cast<uint32_t>(nOffset),
                               static_cast<uint32_t>(row.Length() + (row.Marked() ? kCommentMarkLength : 0))};
        });
    const size_t nTail = m_nFileSize - m_nTextEnd;  // from a Ctrl-Z on, as it was
    const char* pBase = pData.get();
    if (!TakeFile(std::move(pData), nSize))
        return false;
    for (size_t n = 0; n < m_rows.size(); ++n)
    {
        CStoredRow& row = m_rows[n];
        if (row.nLine != CStoredRow::kNoLine)
            lineNow[row.nLine] = static_cast<uint32_t>(n);
        lines[n].nPosition += static_cast<uint32_t>(m_nFilePosition);
        row.Set(lines[n].nPosition, lines[n].nLength, false, row.Commented());
        row.nLine = static_cast<uint32_t>(n);
    }
    m_lines.swap(lines);
    m_history.RenumberLines(lineNow);
    m_nTextEnd = nSize - nTail;
    m_bAscii = ClassifyText(pBase, nSize) == TextEncoding::ascii;
    return true;
}
