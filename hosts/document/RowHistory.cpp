#include "hosts/document/RowHistory.h"

#include <algorithm>
#include <new>

size_t CRowHistory::s_nByteLimitForTesting = static_cast<size_t>(-1);

void CRowHistory::Clear()
{
    std::vector<Step>().swap(m_undo);
    std::vector<Step>().swap(m_redo);
    m_open = Step();
    m_bOpen = false;
    m_nBytes = 0;
}

void CRowHistory::Begin()
{
    m_open = Step();
    m_bOpen = true;
}

void CRowHistory::End()
{
    m_bOpen = false;
    bool bAny = false;
    for (const Part& part : m_open.parts)
        bAny = bAny || !part.rows.empty();
    if (!bAny)
    {
        m_nBytes -= m_open.nBytes;
        m_open = Step();
        return;
    }
    for (Part& part : m_open.parts)
    {
        // A step's records are kept as long as it is: no room to spare.
        part.at.shrink_to_fit();
        part.rows.shrink_to_fit();
    }
    for (const Step& step : m_redo)
        m_nBytes -= step.nBytes;
    std::vector<Step>().swap(m_redo);
    m_undo.push_back(std::move(m_open));
    m_open = Step();
}

void CRowHistory::Cancel(std::vector<CStoredRow>& rows)
{
    m_bOpen = false;
    try
    {
        // Rows taken out left their room behind: putting them back needs
        // no memory.
        Apply(m_open, true, rows, nullptr);
    }
    catch (const std::bad_alloc&)
    {
    }
    m_nBytes -= m_open.nBytes;
    m_open = Step();
}

template <typename GrowFn>
bool CRowHistory::Grow(size_t nBytes, GrowFn grow)
{
    for (;;)
    {
        if (m_nBytes + nBytes <= s_nByteLimitForTesting)
        {
            try
            {
                grow();
                m_open.nBytes += nBytes;
                m_nBytes += nBytes;
                return true;
            }
            catch (const std::bad_alloc&)
            {
            }
        }
        // The oldest step goes first; what could be redone goes with the
        // next step anyway.
        if (!m_undo.empty())
        {
            m_nBytes -= m_undo.front().nBytes;
            m_undo.erase(m_undo.begin());
        }
        else if (!m_redo.empty())
        {
            m_nBytes -= m_redo.front().nBytes;
            m_redo.erase(m_redo.begin());
        }
        else
        {
            return false;
        }
    }
}

CRowHistory::Part& CRowHistory::OpenPart(Part::Kind kind)
{
    if (m_open.parts.empty() || m_open.parts.back().kind != kind || kind != Part::changed)
    {
        m_open.parts.emplace_back();
        m_open.parts.back().kind = kind;
    }
    return m_open.parts.back();
}

bool CRowHistory::RecordChange(uint32_t nRow, const CStoredRow& before)
{
    if (!m_bOpen)
        return true;
    CStoredRow text = before;
    text.nLine = nRow;
    return Grow(sizeof(CStoredRow), [&] { OpenPart(Part::changed).rows.push_back(text); });
}

CStoredRow* CRowHistory::RecordRemoval(const uint32_t* at, size_t nCount)
{
    if (!m_bOpen || nCount == 0)
        return nullptr;
    Part* pPart = nullptr;
    bool bDone = Grow(nCount * (sizeof(uint32_t) + sizeof(CStoredRow)), [&] {
        Part part;
        part.kind = Part::removed;
        part.at.assign(at, at + nCount);
        part.rows.resize(nCount);
        m_open.parts.push_back(std::move(part));
        pPart = &m_open.parts.back();
    });
    return bDone ? pPart->rows.data() : nullptr;
}

bool CRowHistory::RecordInsertion(const uint32_t* at, const CStoredRow* pRows, size_t nCount)
{
    if (!m_bOpen || nCount == 0)
        return true;
    return Grow(nCount * (sizeof(uint32_t) + sizeof(CStoredRow)), [&] {
        Part part;
        part.kind = Part::inserted;
        part.at.assign(at, at + nCount);
        part.rows.assign(pRows, pRows + nCount);
        m_open.parts.push_back(std::move(part));
    });
}

void CRowHistory::Apply(Step& step, bool bUndo, std::vector<CStoredRow>& rows, Pick* pPick)
{
    // Rows put back need room, and so does the pick: both are made before
    // any row moves, so that the step is done whole or not at all.
    size_t nMost = rows.size();
    size_t nMostPut = 0;  // by one part
    for (const Part& part : step.parts)
        if ((part.kind == Part::removed) == bUndo && part.kind != Part::changed)
        {
            nMost += part.at.size();
            nMostPut = std::max(nMostPut, part.at.size());
        }
    rows.reserve(nMost);
    std::vector<uint8_t> marks;
    std::vector<uint8_t> ones;  // the marks of rows put back
    if (pPick)
    {
        marks.reserve(nMost);
        marks.assign(rows.size(), 0);
        ones.assign(nMostPut, 1);
    }

    long long nHint = 0;  // the row to focus when no row is marked
    const size_t nParts = step.parts.size();
    for (size_t n = 0; n < nParts; ++n)
    {
        Part& part = step.parts[bUndo ? nParts - 1 - n : n];
        const size_t nCount = part.rows.size();
        if (part.kind == Part::changed)
        {
            // Swapped back in the reverse order, so that a row changed twice
            // in one step gets its first text back.
            for (size_t i = 0; i < nCount; ++i)
            {
                CStoredRow& kept = part.rows[bUndo ? nCount - 1 - i : i];
                CStoredRow& row = rows[kept.nLine];
                std::swap(row.nPosition, kept.nPosition);
                std::swap(row.nBits, kept.nBits);
                if (pPick)
                    marks[kept.nLine] = 1;
            }
        }
        else if ((part.kind == Part::removed) == bUndo)
        {
            InsertAt(rows, part.at.data(), part.rows.data(), nCount);
            if (pPick)
                InsertAt(marks, part.at.data(), ones.data(), nCount);
        }
        else
        {
            RemoveAt(rows, part.at.data(), nCount, part.rows.data());
            if (pPick)
                RemoveAt(marks, part.at.data(), nCount);
            // Undoing rows put in leaves the row before them; doing a
            // removal again, the row after the last one taken.
            nHint = bUndo ? static_cast<long long>(part.at[0]) - 1
                          : static_cast<long long>(part.at[nCount - 1]) + 1 - static_cast<long long>(nCount);
        }
    }
    if (!pPick)
        return;
    pPick->nFocus = -1;
    for (size_t n = 0; n < marks.size(); ++n)
        if (marks[n])
        {
            pPick->nFocus = static_cast<int>(n);
            break;
        }
    if (pPick->nFocus < 0 && !rows.empty())
    {
        nHint = std::max(0LL, std::min(nHint, static_cast<long long>(rows.size()) - 1));
        pPick->nFocus = static_cast<int>(nHint);
        marks[static_cast<size_t>(nHint)] = 1;
    }
    pPick->rows.swap(marks);
}

bool CRowHistory::Move(std::vector<Step>& from, std::vector<Step>& to, bool bUndo, std::vector<CStoredRow>& rows,
                       Pick& pick)
{
    if (from.empty())
        return false;
    try
    {
        Apply(from.back(), bUndo, rows, &pick);
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    try
    {
        to.push_back(std::move(from.back()));
    }
    catch (const std::bad_alloc&)
    {
        // Done all the same: it only cannot be taken back.
        m_nBytes -= from.back().nBytes;
    }
    from.pop_back();
    return true;
}

void CRowHistory::RenumberLines(const std::vector<uint32_t>& lineNow)
{
    auto renumber = [&](Step& step) {
        for (Part& part : step.parts)
            if (part.kind != Part::changed)
                for (CStoredRow& row : part.rows)
                    row.nLine = row.nLine < lineNow.size() ? lineNow[row.nLine] : CStoredRow::kNoLine;
    };
    for (Step& step : m_undo)
        renumber(step);
    for (Step& step : m_redo)
        renumber(step);
}
