// Any bytes as the lines of a hosts file (split at line feeds; a line that
// starts with 0x01 is commented here, with the list's own mark): every
// problem is on an active row, in file order, with a text; a row whose
// first word is no address has that one problem; a row's problems other
// than names mapped before are exactly those of the row checked alone, so
// the check reads nothing of the rows around it. Each line's first word is
// also checked against inet_pton (AddressLaw.h, which lists the deliberate
// differences).
#include "AddressLaw.h"
#include "FuzzCheck.h"
#include "hosts/document/EntryList.h"
#include "hosts/lines/LineParts.h"
#include "hosts/review/EntryCheck.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
bool IsMapping(CEntryCheck::Kind kind)
{
    return kind == CEntryCheck::sameAddress || kind == CEntryCheck::otherAddress;
}

// The row's problems' texts but for names mapped before.
std::vector<std::string> OwnProblems(const CEntryList& list, const CEntryCheck& check, int nRow)
{
    std::vector<std::string> texts;
    for (size_t n = 0; n < check.GetCount(); ++n)
        if (check.GetRow(n) == nRow && !IsMapping(check.GetKind(n)))
            texts.push_back(Bytes(check.GetText(list, n)));
    return texts;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    std::string input(reinterpret_cast<const char*>(pData), nSize);
    std::vector<std::string> lines;
    CEntryList list;
    for (size_t nStart = 0; nStart <= input.size();)
    {
        size_t nEnd = input.find('\n', nStart);
        if (nEnd == std::string::npos)
            nEnd = input.size();
        std::string line = input.substr(nStart, nEnd - nStart);
        bool bComment = !line.empty() && line[0] == '\x01';
        if (bComment)
            line.erase(0, 1);
        lines.push_back(line);
        bool bChanged = false;
        if (!list.Append(line.data(), line.size()) || (bComment && !list.Comment(list.GetCount() - 1, &bChanged)))
            return 0;
        nStart = nEnd + 1;

        CLineWords words(line.data(), line.size());
        CLineWord first;
        if (words.Next(&first))
        {
            std::string problem = AddressLawProblem(std::string(first.pch, first.nLength));
            FUZZ_CHECK(problem.empty(), "the address reader agrees with inet_pton", problem + ": '" + Shown(std::string(first.pch, first.nLength)) + "'");
        }
    }

    CEntryCheck check;
    FUZZ_CHECK(check.Run(list), "the check has memory", Shown(lines));
    int nLastRow = 0;
    for (size_t n = 0; n < check.GetCount(); ++n)
    {
        int nRow = check.GetRow(n);
        FUZZ_CHECK(nRow >= nLastRow && nRow < list.GetCount() && !list.IsCommented(nRow),
                   "every problem is on an active row, in file order", Shown(lines) + "\nproblem " + std::to_string(n));
        FUZZ_CHECK(!check.GetText(list, n).IsEmpty(), "every problem has a text", Shown(lines));
        nLastRow = nRow;
    }
    // Each list of its own costs a page of rows: the first 64 rows are
    // enough for inputs of this size.
    for (int nRow = 0; nRow < list.GetCount() && nRow < 64; ++nRow)
    {
        // The row alone as a whole file, in a block of its own size, so that
        // the sanitizer sees a read past its end. Bytes that a file reads
        // otherwise (NUL, Ctrl-Z, a byte-order mark first) are left out.
        CEntryList::Text text = list.GetText(nRow);
        std::string bytes(text.pch, text.nLength);
        if (bytes.find_first_of(std::string("\0\x1A", 2)) != std::string::npos || bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
            continue;
        std::FILE* pFile = fmemopen(&bytes[0], bytes.size() + 1, "r");  // +1: fmemopen takes no empty buffer
        CEntryList alone;
        bool bLoaded = pFile && std::fseek(pFile, 0, SEEK_SET) == 0 && alone.Load(pFile) == CEntryList::loaded;
        if (pFile)
            std::fclose(pFile);
        bool bChanged = false;
        // A file of its own may be read as UTF-8 where the list is not, which
        // cuts long quoted words elsewhere.
        if (!bLoaded || alone.GetCount() != 1 || alone.IsUtf8() != list.IsUtf8() ||
            (text.nMark && !alone.Comment(0, &bChanged)))
            continue;
        CEntryCheck aloneCheck;
        FUZZ_CHECK(aloneCheck.Run(alone), "the check has memory", Shown(lines));
        std::vector<std::string> own = OwnProblems(list, check, nRow);
        FUZZ_CHECK(own == OwnProblems(alone, aloneCheck, 0), "a row's own problems are those of the row alone",
                   Shown(lines) + "\nrow " + std::to_string(nRow + 1));
        if (!list.IsCommented(nRow) && !IsEntryText(text.pch, text.nLength) && !own.empty())
            FUZZ_CHECK(own.size() == 1, "a row whose first word is no address has one problem", Shown(lines));
    }
    return 0;
}
