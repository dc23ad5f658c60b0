// Bytes as a hosts file built of pieces that the check's problems are made
// of (addresses written in several ways, names with ports, web addresses,
// swapped words, long lines, comments, blank lines), then a fix of some of
// its problems, a fix of all of them until none can be mended, and a
// compaction. The laws:
//  - a fix or a compaction never changes what Windows resolves: for every
//    name that the first 9 names of active entry lines map, the address it
//    resolves to (its value, by inet_pton for IPv6) is the same after;
//  - the rows that neither changes stay, in their order, byte for byte;
//  - after a fix of every problem, no port on an address and no swapped
//    words are left but on rows left as they were; fixing again ends, with
//    nothing left to mend, within a few presses;
//  - compacting again finds nothing, and the lines it said go do;
//  - Undo gives the rows back.
#include "FuzzCheck.h"
#include "hosts/document/EntryList.h"
#include "hosts/lines/LineParts.h"
#include "hosts/review/Compaction.h"
#include "hosts/review/EntryCheck.h"
#include "hosts/review/EntryFix.h"
#include "tests/support/Resolved.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace
{
const char* const kAddresses[] = {"0.0.0.0", "000.0.0.0", "127.0.0.1", "10.0.0.1", "::1",
                                  "0:0::1",  "::0.0.0.1", "fe80::1%1", "fe80::1%2", "::2"};
const char* const kNames[] = {"a", "A", "b.example", "c", "https://a/", "a:80", "*.x", "bad..n",
                              "x/y", "d", "e", "http://b.example:8/", "f", "g", "h", ":1"};
const char* const kSeparators[] = {" ", "\t", "  "};

std::vector<std::string> Rows(const CEntryList& list)
{
    std::vector<std::string> rows;
    for (int nRow = 0; nRow < list.GetCount(); ++nRow)
        rows.push_back((list.IsCommented(nRow) ? "#|" : "|") + Bytes(list.GetTextString(nRow)));
    return rows;
}

void CheckResolvesAsBefore(const std::map<std::string, std::string>& before, const CEntryList& list,
                           const char* pszLaw, const std::vector<std::string>& lines)
{
    const std::map<std::string, std::string> after = Resolved(list);
    for (const auto& mapping : before)
    {
        auto it = after.find(mapping.first);
        FUZZ_CHECK(it != after.end() && it->second == mapping.second, pszLaw,
                   Shown(lines) + "\nname " + Shown(mapping.first) + "\nafter:\n" + Shown(Rows(list)));
    }
}

// Whether kept is a subsequence of rows.
bool KeptInOrder(const std::vector<std::string>& kept, const std::vector<std::string>& rows)
{
    size_t n = 0;
    for (const std::string& row : rows)
        if (n < kept.size() && row == kept[n])
            ++n;
    return n == kept.size();
}

std::string Line(const uint8_t*& p, const uint8_t* pEnd)
{
    auto next = [&]() -> unsigned { return p < pEnd ? *p++ : 0; };
    const unsigned nShape = next();
    auto address = [&] { return std::string(kAddresses[next() % 10]); };
    auto separator = [&] { return std::string(kSeparators[next() % 3]); };
    std::string names;
    const unsigned nNames = nShape & 0x10 ? 9 + next() % 12 : 1 + next() % 4;
    for (unsigned n = 0; n < nNames; ++n)
        names += separator() + kNames[next() % 16];
    switch (nShape % 8)
    {
    case 0:
    case 1:
        return address() + names;
    case 2:
        return address() + ":" + std::to_string(next()) + names;
    case 3:
        return std::string(kNames[next() % 16]) + separator() + address() + names;
    case 4:
        return "# " + address() + names;
    case 5:
        return address() + names + separator() + "# note";
    case 6:
        return "";
    default:
        return address();
    }
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const uint8_t* p = pData;
    const uint8_t* pEnd = pData + nSize;
    std::string bytes;
    std::vector<std::string> lines;
    while (p < pEnd && lines.size() < 60)
    {
        lines.push_back(Line(p, pEnd));
        bytes += lines.back() + (p < pEnd && (*p & 1) ? "\n" : "\r\n");
    }
    CEntryList list;
    {
        std::FILE* pFile = std::tmpfile();
        if (!pFile)
            return 0;
        std::fwrite(bytes.data(), 1, bytes.size(), pFile);
        std::rewind(pFile);
        const CEntryList::LoadResult result = list.Load(pFile);
        std::fclose(pFile);
        if (result != CEntryList::loaded)
            return 0;
    }
    const std::vector<std::string> loaded = Rows(list);
    const std::map<std::string, std::string> resolved = Resolved(list);

    // Some of the problems, chosen by the input's bytes from the start.
    CEntryCheck check;
    FUZZ_CHECK(check.Run(list), "the check has memory", Shown(lines));
    std::vector<uint32_t> chosen;
    std::vector<std::string> untouched;
    std::vector<bool> rowChosen(static_cast<size_t>(list.GetCount()), false);
    for (size_t n = 0; n < check.GetCount(); ++n)
        if (pData[n % nSize] & 2)
        {
            chosen.push_back(static_cast<uint32_t>(n));
            rowChosen[static_cast<size_t>(check.GetRow(n))] = true;
        }
    for (int nRow = 0; nRow < list.GetCount(); ++nRow)
        if (!rowChosen[static_cast<size_t>(nRow)])
            untouched.push_back(loaded[static_cast<size_t>(nRow)]);
    list.BeginStep();
    FUZZ_CHECK(CEntryFix::Mend(list, check, chosen) != CEntryFix::noMemory, "a fix has memory", Shown(lines));
    list.EndStep();
    CheckResolvesAsBefore(resolved, list, "a fix never changes what Windows resolves", lines);
    FUZZ_CHECK(KeptInOrder(untouched, Rows(list)), "a fix leaves the rows of problems not chosen as they were",
               Shown(lines) + "\nafter:\n" + Shown(Rows(list)));

    // Then every problem, press after press.
    int nPresses = 0;
    for (;; ++nPresses)
    {
        FUZZ_CHECK(nPresses < 6, "fixing every problem ends within a few presses", Shown(lines));
        FUZZ_CHECK(check.Run(list), "the check has memory", Shown(lines));
        std::vector<uint32_t> all;
        for (size_t n = 0; n < check.GetCount(); ++n)
            all.push_back(static_cast<uint32_t>(n));
        const std::vector<std::string> before = Rows(list);
        list.BeginStep();
        const CEntryFix::Result result = CEntryFix::Mend(list, check, all);
        list.EndStep();
        FUZZ_CHECK(result != CEntryFix::noMemory, "a fix has memory", Shown(lines));
        CheckResolvesAsBefore(resolved, list, "fixes never change what Windows resolves", lines);
        if (result == CEntryFix::nothingMended)
        {
            FUZZ_CHECK(Rows(list) == before, "a fix that mends nothing changes nothing", Shown(lines));
            break;
        }
        FUZZ_CHECK(check.Run(list), "the check has memory", Shown(lines));
        for (size_t n = 0; n < check.GetCount(); ++n)
        {
            const CEntryCheck::Kind kind = check.GetKind(n);
            const std::string row = Rows(list)[static_cast<size_t>(check.GetRow(n))];
            FUZZ_CHECK((kind != CEntryCheck::addressWithPort && kind != CEntryCheck::swapped) ||
                           std::find(before.begin(), before.end(), row) != before.end(),
                       "a fix leaves no port on an address and no swapped words but on rows it left",
                       Shown(lines) + "\nrow " + Shown(row));
        }
    }

    // A compaction, then one more.
    const std::vector<std::string> fixedRows = Rows(list);
    CCompaction compaction;
    FUZZ_CHECK(compaction.Find(list), "a compaction has memory", Shown(lines));
    list.BeginStep();
    FUZZ_CHECK(compaction.Apply(list), "a compaction has memory", Shown(lines));
    list.EndStep();
    CheckResolvesAsBefore(resolved, list, "a compaction never changes what Windows resolves", lines);
    FUZZ_CHECK(list.GetCount() == static_cast<int>(fixedRows.size()) - compaction.GetLinesBefore() +
                                      compaction.GetLinesAfter(),
               "a compaction takes the lines it says", Shown(lines));
    std::vector<std::string> kept;
    for (const std::string& row : fixedRows)
        if (row.find('#') != std::string::npos || row.size() < 2)
            kept.push_back(row);
    FUZZ_CHECK(KeptInOrder(kept, Rows(list)), "a compaction leaves commented rows and comments as they were",
               Shown(lines));
    CCompaction again;
    const std::vector<std::string> compacted = Rows(list);
    FUZZ_CHECK(again.Find(list) && again.IsEmpty(), "compacted entries are compact",
               Shown(std::vector<std::string>(compacted.begin() + (compacted.size() > 20 ? compacted.size() - 20 : 0), compacted.end())));

    // Undo of every step gives the rows as loaded.
    CRowHistory::Pick pick;
    while (list.CanUndo())
        FUZZ_CHECK(list.Undo(pick), "Undo has memory", Shown(lines));
    FUZZ_CHECK(Rows(list) == loaded, "undoing every fix and the compaction gives the rows as loaded", Shown(lines));
    return 0;
}
