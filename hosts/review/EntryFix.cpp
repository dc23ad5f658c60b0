#include "hosts/review/EntryFix.h"

#include "hosts/document/EntryList.h"
#include "hosts/lines/LineParts.h"
#include "hosts/review/EntryCheck.h"
#include "hosts/review/NameText.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

using namespace HostNames;

namespace
{
const uint32_t kNamesRead = CEntryCheck::kNamesRead;

// The chosen problems with a mend on one row, [nFirst, nEnd) of them.
struct CPlan
{
    int nRow;  // -1 once left as it is
    uint32_t nFirst;
    uint32_t nEnd;
};

// A name made live by a mend: its hash, its plan, and where its bytes and
// its line's address are in the pool.
struct CCandidate
{
    uint32_t nHash;
    uint32_t nPlan;
    uint32_t nName;
    uint32_t nNameLength;
    uint32_t nAddress;
    uint32_t nAddressLength;
    bool bFound;  // its first mapping today has been seen
};

int ByHash(const void* pA, const void* pB)
{
    const uint32_t nA = static_cast<const CCandidate*>(pA)->nHash, nB = static_cast<const CCandidate*>(pB)->nHash;
    return nA < nB ? -1 : nA > nB;
}

void ReadWords(const char* pch, size_t nLength, std::vector<CLineWord>& words)
{
    words.clear();
    CLineWords reader(pch, nLength);
    CLineWord word;
    while (reader.Next(&word))
        words.push_back(word);
}

// The names Windows reads on a line: those of its first 9 (bAll: of all)
// that it can match, when the line's first word is an address.
void AddLiveNames(const std::vector<CLineWord>& words, std::vector<CLineWord>& live, bool bAll)
{
    if (words.empty() || !IsHostsAddress(words[0].pch, words[0].nLength))
        return;
    for (size_t n = 1; n < words.size() && (bAll || n <= kNamesRead); ++n)
        if (CEntryCheck::IsMatchableName(words[n].pch, words[n].nLength))
            live.push_back(words[n]);
}

class CMender
{
public:
    CMender(CEntryList& list, const CEntryCheck& check) : m_list(list), m_check(check) {}

    CEntryFix::Result Run(const std::vector<uint32_t>& chosen)
    {
        try
        {
            for (uint32_t nProblem : chosen)
            {
                if (!CEntryFix::HasMend(m_list, m_check, nProblem))
                    continue;
                const int nRow = m_check.GetRow(nProblem);
                const uint32_t n = static_cast<uint32_t>(m_mended.size());
                m_mended.push_back(nProblem);
                if (m_plans.empty() || m_plans.back().nRow != nRow)
                    m_plans.push_back(CPlan{nRow, n, n});
                m_plans.back().nEnd = n + 1;
            }
            for (uint32_t nPlan = 0; nPlan < m_plans.size(); ++nPlan)
                FindCandidates(nPlan);
            if (!m_candidates.empty())
                Refuse();
            return Apply();
        }
        catch (const std::bad_alloc&)
        {
            return CEntryFix::noMemory;
        }
    }

private:
    // What the plan's problems ask of word n: 'd' it goes, 's' it trades
    // places with the other of the first two, 'p' it loses its port, 'h'
    // it becomes its host part; 0 for nothing. *pbSplit: the line is split.
    char MendOf(const CPlan& plan, uint32_t nWord, bool* pbSplit) const
    {
        char chMend = 0;
        for (uint32_t n = plan.nFirst; n < plan.nEnd; ++n)
        {
            const uint32_t nProblem = m_mended[n];
            const CEntryCheck::Kind kind = m_check.GetKind(nProblem);
            const bool bThisWord = m_check.GetWord(nProblem) == nWord;
            if (kind == CEntryCheck::tooManyNames)
                *pbSplit = true;
            else if (kind == CEntryCheck::swapped && nWord < 2)
                chMend = 's';
            else if (kind == CEntryCheck::addressWithPort && nWord == 0)
                chMend = 'p';
            else if (kind == CEntryCheck::sameAddress && bThisWord)
                chMend = 'd';
            else if ((kind == CEntryCheck::webAddress || kind == CEntryCheck::nameWithPort) && bThisWord)
                chMend = 'h';
        }
        return chMend;
    }

    // The plan's row after its mends in m_row, and the lines a split adds
    // at the end of m_added (each one's length in m_lengths). Whether a
    // line that had names has none left.
    bool Build(const CPlan& plan)
    {
        const CEntryList::Text text = m_list.GetText(plan.nRow);
        ReadWords(text.pch, text.nLength, m_words);
        m_row.clear();
        size_t nAt = 0;  // the first byte of the text not written yet
        bool bSplit = false, bDropped = false;
        uint32_t nNames = 0;
        for (uint32_t n = 0; n < m_words.size(); ++n)
        {
            const CLineWord& word = m_words[n];
            const size_t nStart = static_cast<size_t>(word.pch - text.pch);
            const char chMend = MendOf(plan, n, &bSplit);
            if (chMend != 'd')
                m_row.append(text.pch + nAt, nStart - nAt);
            nAt = nStart + word.nLength;  // a name that goes takes the white space before it
            CLineWord written = word;
            if (chMend == 'd')
            {
                bDropped = true;
                continue;
            }
            if (chMend == 's' && m_words.size() > 1)
                written = m_words[1 - n];
            else if (chMend == 'p')
                written.nLength = static_cast<size_t>(static_cast<const char*>(std::memchr(word.pch, ':', word.nLength)) - word.pch);
            else if (chMend == 'h')
                written = HostPart(word);
            m_row.append(written.pch, written.nLength);
            nNames += n > 0;
        }
        m_row.append(text.pch + nAt, text.nLength - nAt);
        if (!bSplit)
            return bDropped && nNames == 0;
        ReadWords(m_row.data(), m_row.size(), m_words);
        if (m_words.size() <= kNamesRead + 1)
            return false;
        // The first 9 names and the comment stay; the rest, 9 a line.
        for (size_t n = kNamesRead + 1; n < m_words.size(); ++n)
        {
            if ((n - 1) % kNamesRead == 0)
            {
                m_lengths.push_back(0);
                m_added.append(m_words[0].pch, m_words[0].nLength);
                m_lengths.back() = static_cast<uint32_t>(m_words[0].nLength);
            }
            m_added += ' ';
            m_added.append(m_words[n].pch, m_words[n].nLength);
            m_lengths.back() += static_cast<uint32_t>(m_words[n].nLength + 1);
        }
        const size_t nCut = static_cast<size_t>(m_words[kNamesRead].pch - m_row.data()) + m_words[kNamesRead].nLength;
        const size_t nComment = m_row.find('#', nCut);
        m_row.erase(nCut, nComment == std::string::npos ? std::string::npos : nComment - nCut);
        return false;
    }

    // The names a row's mends make live: those Windows reads after them
    // and did not read on the row before.
    void FindCandidates(uint32_t nPlan)
    {
        const CEntryList::Text text = m_list.GetText(m_plans[nPlan].nRow);
        std::vector<CLineWord>& before = m_before;
        std::vector<CLineWord>& after = m_after;
        before.clear();
        after.clear();
        ReadWords(text.pch, text.nLength, m_words);
        // Names gone from a line of at most 9 bring no other name in.
        bool bOnlyDropped = m_words.size() <= kNamesRead + 1;
        for (uint32_t n = m_plans[nPlan].nFirst; n < m_plans[nPlan].nEnd; ++n)
            bOnlyDropped = bOnlyDropped && m_check.GetKind(m_mended[n]) == CEntryCheck::sameAddress;
        if (bOnlyDropped)
            return;
        AddLiveNames(m_words, before, false);
        const size_t nAdded = m_added.size();
        const size_t nLines = m_lengths.size();
        Build(m_plans[nPlan]);
        ReadWords(m_row.data(), m_row.size(), m_words);
        if (m_words.empty())
            return;
        const CLineWord address = m_words[0];
        AddLiveNames(m_words, after, false);
        for (size_t n = nLines, nAt = nAdded; n < m_lengths.size(); nAt += m_lengths[n++])
        {
            ReadWords(m_added.data() + nAt, m_lengths[n], m_line);
            AddLiveNames(m_line, after, true);
        }
        for (const CLineWord& name : after)
        {
            bool bRead = false;
            for (const CLineWord& old : before)
                bRead = bRead || SameText(old, name);
            if (bRead)
                continue;
            // The texts built here change with the next row: the bytes go
            // to the pool.
            const uint32_t nName = static_cast<uint32_t>(m_pool.size());
            m_pool.append(name.pch, name.nLength);
            m_pool.append(address.pch, address.nLength);
            m_candidates.push_back(CCandidate{HashName(name), nPlan, nName, static_cast<uint32_t>(name.nLength),
                                              nName + static_cast<uint32_t>(name.nLength),
                                              static_cast<uint32_t>(address.nLength), false});
        }
        m_added.resize(nAdded);
        m_lengths.resize(nLines);
    }

    CLineWord PoolWord(uint32_t nAt, uint32_t nLength) const { return CLineWord{m_pool.data() + nAt, nLength}; }

    // Leaves the rows whose mends would make a name live that a later row
    // maps to another address: Windows resolves it to that row's today.
    void Refuse()
    {
        std::qsort(m_candidates.data(), m_candidates.size(), sizeof(CCandidate), ByHash);
        std::vector<CLineWord>& live = m_line;
        for (int nRow = 0; nRow < m_list.GetCount(); ++nRow)
        {
            if (m_list.IsCommented(nRow))
                continue;
            const CEntryList::Text text = m_list.GetText(nRow);
            ReadWords(text.pch, text.nLength, m_words);
            live.clear();
            AddLiveNames(m_words, live, false);
            for (const CLineWord& name : live)
            {
                const uint32_t nHash = HashName(name);
                size_t nLow = 0, nHigh = m_candidates.size();
                while (nLow < nHigh)
                {
                    const size_t nMiddle = (nLow + nHigh) / 2;
                    if (m_candidates[nMiddle].nHash < nHash)
                        nLow = nMiddle + 1;
                    else
                        nHigh = nMiddle;
                }
                for (size_t n = nLow; n < m_candidates.size() && m_candidates[n].nHash == nHash; ++n)
                {
                    CCandidate& candidate = m_candidates[n];
                    const CLineWord mine = PoolWord(candidate.nAddress, candidate.nAddressLength);
                    bool bMineIpv6 = false, bIpv6 = false;
                    IsHostsAddress(mine.pch, mine.nLength, &bMineIpv6);
                    IsHostsAddress(m_words[0].pch, m_words[0].nLength, &bIpv6);
                    if (candidate.bFound || bIpv6 != bMineIpv6 ||
                        !SameText(PoolWord(candidate.nName, candidate.nNameLength), name))
                        continue;
                    candidate.bFound = true;
                    const bool bSame = bIpv6 ? SameText(mine, m_words[0]) : Ipv4Value(mine) == Ipv4Value(m_words[0]);
                    CPlan& plan = m_plans[candidate.nPlan];
                    if (nRow > plan.nRow && !bSame)
                        plan.nRow = -1;  // left as it is
                }
            }
        }
    }

    CEntryFix::Result Apply()
    {
        std::vector<uint32_t> removed, at;
        bool bAny = false;
        for (const CPlan& plan : m_plans)
        {
            if (plan.nRow < 0)
                continue;
            bAny = true;
            const size_t nLines = m_lengths.size();
            const bool bEmptied = Build(plan);
            // The rows after it move up by the rows taken out before them,
            // and down by the lines added before them.
            const uint32_t nNow =
                static_cast<uint32_t>(plan.nRow) - static_cast<uint32_t>(removed.size()) + static_cast<uint32_t>(nLines);
            if (bEmptied)
                removed.push_back(static_cast<uint32_t>(plan.nRow));
            else if (!m_list.SetText(plan.nRow, m_row.data(), m_row.size()))
                return CEntryFix::noMemory;
            for (size_t n = nLines; n < m_lengths.size(); ++n)
                at.push_back(nNow + 1 + static_cast<uint32_t>(n - nLines));
        }
        if (!bAny)
            return CEntryFix::nothingMended;
        if (!m_list.RemoveRows(removed) || !m_list.InsertRows(at, m_added.data(), m_lengths))
            return CEntryFix::noMemory;
        return CEntryFix::mended;
    }

    CEntryList& m_list;
    const CEntryCheck& m_check;
    std::vector<uint32_t> m_mended;  // the chosen problems that have a mend
    std::vector<CPlan> m_plans;
    std::vector<CCandidate> m_candidates;
    std::string m_pool;
    std::vector<CLineWord> m_words, m_line, m_before, m_after;
    std::string m_row;
    std::string m_added;
    std::vector<uint32_t> m_lengths;
};
}

bool CEntryFix::HasMend(const CEntryList& list, const CEntryCheck& check, size_t nProblem)
{
    switch (check.GetKind(nProblem))
    {
    case CEntryCheck::addressWithPort:
    case CEntryCheck::swapped:
    case CEntryCheck::tooManyNames:
    case CEntryCheck::sameAddress:
        return true;
    case CEntryCheck::webAddress:
    case CEntryCheck::nameWithPort:
    {
        // A word with nothing before its '/' or ':' has no host part to keep.
        return HostPart(WordOf(list, check.GetRow(nProblem), check.GetWord(nProblem))).nLength > 0;
    }
    default:
        return false;
    }
}

CEntryFix::Result CEntryFix::Mend(CEntryList& list, const CEntryCheck& check, const std::vector<uint32_t>& chosen)
{
    return CMender(list, check).Run(chosen);
}
