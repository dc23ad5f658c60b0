#include "hosts/review/EntryFix.h"

#include "hosts/document/EntryList.h"
#include "hosts/lines/LineParts.h"
#include "hosts/review/EntryCheck.h"
#include "hosts/review/NameText.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

using namespace HostNames;

namespace
{
const uint32_t kNamesRead = CEntryCheck::kNamesRead;

// What the chosen problems of one row ask for.
struct CRowMends
{
    int nRow;
    bool bDropPort = false;  // the address loses its port
    bool bSwap = false;      // the first two words trade places
    bool bSplit = false;     // names after the 9th go to lines of their own
    std::vector<uint32_t> hostWords;  // words that become their host part
    std::vector<uint32_t> dropWords;  // names that go
};

// A name made live by a mend, and the first row that maps it today.
struct CCandidate
{
    uint32_t nHash;
    uint32_t nPlan;  // the row's mends
    size_t nName;    // where the name's bytes are in the pool
    size_t nNameLength;
    size_t nAddress;  // and the address's
    size_t nAddressLength;
    bool bIpv6;
};

struct CWordsOf
{
    std::vector<CLineWord> words;

    void Read(const char* pch, size_t nLength)
    {
        words.clear();
        CLineWords reader(pch, nLength);
        CLineWord word;
        while (reader.Next(&word))
            words.push_back(word);
    }
};

bool Contains(const std::vector<uint32_t>& words, uint32_t nWord)
{
    return std::find(words.begin(), words.end(), nWord) != words.end();
}

void Append(std::string& text, const char* pch, size_t nLength)
{
    text.append(pch, nLength);
}

// A row's text after its mends, and the lines a split adds (each line's
// length in lengths). *pbEmptied: a line that had names has none left.
void BuildRow(const CEntryList::Text& text, const CRowMends& mends, CWordsOf& parts, std::string& row,
              std::string& added, std::vector<uint32_t>& lengths, bool* pbEmptied)
{
    parts.Read(text.pch, text.nLength);
    const std::vector<CLineWord>& words = parts.words;
    row.clear();
    size_t nAt = 0;  // the first byte of the text not written yet
    uint32_t nNamesLeft = 0;
    for (uint32_t n = 0; n < words.size(); ++n)
    {
        const CLineWord& word = words[n];
        const size_t nStart = static_cast<size_t>(word.pch - text.pch);
        if (Contains(mends.dropWords, n))
        {
            nAt = nStart + word.nLength;  // with the white space before it
            continue;
        }
        Append(row, text.pch + nAt, nStart - nAt);
        nAt = nStart + word.nLength;
        CLineWord written = word;
        if (mends.bSwap && n < 2 && words.size() > 1)
            written = words[1 - n];
        else if (n == 0 && mends.bDropPort)
            written.nLength = static_cast<size_t>(static_cast<const char*>(std::memchr(word.pch, ':', word.nLength)) - word.pch);
        else if (Contains(mends.hostWords, n))
            written = HostPart(word);
        Append(row, written.pch, written.nLength);
        nNamesLeft += n > 0;
    }
    Append(row, text.pch + nAt, text.nLength - nAt);
    *pbEmptied = !mends.dropWords.empty() && nNamesLeft == 0;
    if (!mends.bSplit)
        return;
    parts.Read(row.data(), row.size());
    if (words.size() <= kNamesRead + 1)
        return;
    // The first 9 names and the comment stay; the rest, 9 a line.
    const CLineWord& address = words[0];
    for (size_t n = kNamesRead + 1; n < words.size(); n += kNamesRead)
    {
        const size_t nBefore = added.size();
        Append(added, address.pch, address.nLength);
        for (size_t k = n; k < n + kNamesRead && k < words.size(); ++k)
        {
            added += ' ';
            Append(added, words[k].pch, words[k].nLength);
        }
        lengths.push_back(static_cast<uint32_t>(added.size() - nBefore));
    }
    const size_t nCut = static_cast<size_t>(words[kNamesRead].pch - row.data()) + words[kNamesRead].nLength;
    const size_t nComment = row.find('#', nCut);
    row.erase(nCut, nComment == std::string::npos ? std::string::npos : nComment - nCut);
}

// The names Windows reads on a line: its first 9 that it can match, when
// the line's first word is an address.
void LiveNames(const std::vector<CLineWord>& words, std::vector<CLineWord>& live, bool bAll)
{
    live.clear();
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
            Plan(chosen);
            if (m_plans.empty())
                return CEntryFix::nothingMended;
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
    void Plan(const std::vector<uint32_t>& chosen)
    {
        for (uint32_t nProblem : chosen)
        {
            if (!CEntryFix::HasMend(m_list, m_check, nProblem))
                continue;
            const int nRow = m_check.GetRow(nProblem);
            if (m_plans.empty() || m_plans.back().nRow != nRow)
            {
                m_plans.emplace_back();
                m_plans.back().nRow = nRow;
            }
            CRowMends& mends = m_plans.back();
            const uint32_t nWord = m_check.GetWord(nProblem);
            switch (m_check.GetKind(nProblem))
            {
            case CEntryCheck::addressWithPort:
                mends.bDropPort = true;
                break;
            case CEntryCheck::swapped:
                mends.bSwap = true;
                break;
            case CEntryCheck::tooManyNames:
                mends.bSplit = true;
                break;
            case CEntryCheck::sameAddress:
                mends.dropWords.push_back(nWord);
                break;
            default:
                mends.hostWords.push_back(nWord);
                break;
            }
        }
        for (uint32_t nPlan = 0; nPlan < m_plans.size(); ++nPlan)
            FindCandidates(nPlan);
    }

    // The names a row's mends make live: those Windows reads after them
    // and did not read on the row before.
    void FindCandidates(uint32_t nPlan)
    {
        const CRowMends& mends = m_plans[nPlan];
        const CEntryList::Text text = m_list.GetText(mends.nRow);
        std::vector<CLineWord> before, after, added;
        m_parts.Read(text.pch, text.nLength);
        LiveNames(m_parts.words, before, false);
        m_lengths.clear();
        m_added.clear();
        bool bEmptied;
        BuildRow(text, mends, m_parts, m_row, m_added, m_lengths, &bEmptied);
        m_parts.Read(m_row.data(), m_row.size());
        if (m_parts.words.empty())
            return;
        LiveNames(m_parts.words, after, false);
        for (size_t n = 0, nAt = 0; n < m_lengths.size(); nAt += m_lengths[n++])
        {
            CWordsOf line;
            line.Read(m_added.data() + nAt, m_lengths[n]);
            LiveNames(line.words, added, true);
            after.insert(after.end(), added.begin(), added.end());
        }
        const CLineWord address = m_parts.words[0];
        bool bIpv6 = false;
        IsHostsAddress(address.pch, address.nLength, &bIpv6);
        for (const CLineWord& name : after)
        {
            bool bRead = false;
            for (const CLineWord& old : before)
                bRead = bRead || SameText(old, name);
            if (bRead)
                continue;
            // The bytes go to the pool: the texts built here are gone by the
            // time the rows are read.
            CCandidate candidate{HashName(name), nPlan, m_pool.size(), name.nLength, 0, address.nLength, bIpv6};
            m_pool.append(name.pch, name.nLength);
            candidate.nAddress = m_pool.size();
            m_pool.append(address.pch, address.nLength);
            m_candidates.push_back(candidate);
        }
    }

    CLineWord PoolWord(size_t nAt, size_t nLength) const { return CLineWord{m_pool.data() + nAt, nLength}; }

    // Leaves the rows whose mends would make a name live that a later row
    // maps to another address: Windows resolves it to that row's today.
    void Refuse()
    {
        std::sort(m_candidates.begin(), m_candidates.end(),
                  [](const CCandidate& a, const CCandidate& b) { return a.nHash < b.nHash; });
        std::vector<uint8_t> found(m_candidates.size(), 0);
        for (int nRow = 0; nRow < m_list.GetCount(); ++nRow)
        {
            if (m_list.IsCommented(nRow))
                continue;
            const CEntryList::Text text = m_list.GetText(nRow);
            m_parts.Read(text.pch, text.nLength);
            std::vector<CLineWord> live;
            LiveNames(m_parts.words, live, false);
            for (const CLineWord& name : live)
            {
                const uint32_t nHash = HashName(name);
                auto it = std::lower_bound(m_candidates.begin(), m_candidates.end(), nHash,
                                           [](const CCandidate& c, uint32_t h) { return c.nHash < h; });
                for (; it != m_candidates.end() && it->nHash == nHash; ++it)
                {
                    const size_t n = static_cast<size_t>(it - m_candidates.begin());
                    if (found[n] || !SameText(PoolWord(it->nName, it->nNameLength), name))
                        continue;
                    bool bIpv6 = false;
                    const CLineWord address = m_parts.words[0];
                    IsHostsAddress(address.pch, address.nLength, &bIpv6);
                    if (bIpv6 != it->bIpv6)
                        continue;
                    found[n] = 1;
                    const CLineWord mine = PoolWord(it->nAddress, it->nAddressLength);
                    const bool bSame = bIpv6 ? SameText(mine, address) : Ipv4Value(mine) == Ipv4Value(address);
                    CRowMends& mends = m_plans[it->nPlan];
                    if (nRow > mends.nRow && !bSame)
                        mends.nRow = -1;  // left as it is
                }
            }
        }
    }

    CEntryFix::Result Apply()
    {
        std::vector<uint32_t> removed, at;
        m_added.clear();
        m_lengths.clear();
        bool bAny = false;
        for (const CRowMends& mends : m_plans)
        {
            if (mends.nRow < 0)
                continue;
            bAny = true;
            const size_t nLines = m_lengths.size();
            bool bEmptied;
            BuildRow(m_list.GetText(mends.nRow), mends, m_parts, m_row, m_added, m_lengths, &bEmptied);
            // The rows after it move up by the rows taken out before them,
            // and down by the lines added before them.
            const uint32_t nNow = static_cast<uint32_t>(mends.nRow) - static_cast<uint32_t>(removed.size()) +
                                  static_cast<uint32_t>(nLines);
            if (bEmptied)
            {
                removed.push_back(static_cast<uint32_t>(mends.nRow));
                continue;
            }
            for (size_t n = nLines; n < m_lengths.size(); ++n)
                at.push_back(nNow + 1 + static_cast<uint32_t>(n - nLines));
            if (!m_list.SetText(mends.nRow, m_row.data(), m_row.size()))
                return CEntryFix::noMemory;
        }
        if (!bAny)
            return CEntryFix::nothingMended;
        if (!m_list.RemoveRows(removed) || !m_list.InsertRows(at, m_added.data(), m_lengths))
            return CEntryFix::noMemory;
        return CEntryFix::mended;
    }

    CEntryList& m_list;
    const CEntryCheck& m_check;
    std::vector<CRowMends> m_plans;
    std::vector<CCandidate> m_candidates;
    std::string m_pool;
    CWordsOf m_parts;
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
        const CEntryList::Text text = list.GetText(check.GetRow(nProblem));
        CLineWords words(text.pch, text.nLength);
        CLineWord word{text.pch, 0};
        for (uint32_t n = 0; n <= check.GetWord(nProblem); ++n)
            words.Next(&word);
        return HostPart(word).nLength > 0;
    }
    default:
        return false;
    }
}

CEntryFix::Result CEntryFix::Mend(CEntryList& list, const CEntryCheck& check, const std::vector<uint32_t>& chosen)
{
    return CMender(list, check).Run(chosen);
}
