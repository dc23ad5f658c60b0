// A random file as loaded (the base), a random version of it written by
// another program (theirs) and random changes of the user's (ours):
// carrying ours onto theirs keeps every line of theirs, in order, makes
// every change of ours whose line theirs left alone, appends ours' added
// rows, and counts as lost exactly the changes made on lines that theirs
// changed or removed, unless theirs made the same change there. The base is
// either the file as loaded or the rows as a save left them.
#include "FuzzCheck.h"
#include "hosts/CarryChanges.h"
#include "hosts/EntryList.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace
{
using Lines = std::vector<std::string>;

class CBytes
{
public:
    CBytes(const uint8_t* pData, size_t nSize) : m_p(pData), m_pEnd(pData + nSize) {}
    unsigned Next() { return m_p < m_pEnd ? *m_p++ : 0; }

private:
    const uint8_t* m_p;
    const uint8_t* m_pEnd;
};

Lines Texts(const CEntryList& list)
{
    Lines texts;
    for (int n = 0; n < list.GetCount(); ++n)
        texts.push_back(Bytes(list.GetTextString(n)));
    return texts;
}

// Lines as a file, with LF or CR LF ends and now and then a blank line.
std::string File(const Lines& lines, CBytes& bytes)
{
    std::string file;
    for (const std::string& line : lines)
    {
        file += line;
        file += bytes.Next() % 2 ? "\r\n" : "\n";
        if (bytes.Next() % 8 == 0)
            file += "\r\n";
    }
    return file;
}

void Load(CEntryList& list, const std::string& file)
{
    if (file.empty())
    {
        list.Empty();
        return;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(
        fmemopen(const_cast<char*>(file.data()), file.size(), "rb"), std::fclose);
    FUZZ_CHECK(stream && list.Load(stream.get()) == CEntryList::loaded, "a file loads", Shown(file));
}

void Edit(CEntryList& ours, CBytes& bytes, int& nAdded)
{
    for (unsigned nEdits = bytes.Next() % 12; nEdits > 0; --nEdits)
    {
        unsigned nWhat = bytes.Next() % 4;
        bool bChanged;
        if (nWhat == 3 || ours.GetCount() == 0)
        {
            std::string text = (bytes.Next() % 3 == 0 ? "# A" : "A") + std::to_string(nAdded++);
            FUZZ_CHECK(ours.Append(text.data(), text.size()), "an append succeeds", text);
            continue;
        }
        int nRow = static_cast<int>(bytes.Next() % static_cast<unsigned>(ours.GetCount()));
        if (nWhat == 0)
            FUZZ_CHECK(ours.Comment(nRow, &bChanged), "commenting succeeds", "");
        else
            FUZZ_CHECK(ours.Uncomment(nRow, &bChanged), "uncommenting succeeds", "");
    }
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    CBytes bytes(pData, nSize);

    // The base: distinct lines, some commented, some with the mark without
    // its blank.
    Lines base;
    for (unsigned n = 0, nLines = bytes.Next() % 40; n < nLines; ++n)
    {
        unsigned nForm = bytes.Next() % 4;
        base.push_back((nForm == 0 ? "# " : nForm == 1 ? "#" : "") + std::string("L") + std::to_string(n));
    }
    CEntryList ours;
    Load(ours, File(base, bytes));
    int nAdded = 0;
    Edit(ours, bytes, nAdded);
    if (bytes.Next() % 3 == 0)
    {
        // Saved: the file is now what the rows show, and the user changes
        // them further.
        ours.MarkSaved();
        base = Texts(ours);
        Edit(ours, bytes, nAdded);
    }
    FUZZ_CHECK(ours.GetSavedCount() == static_cast<int>(base.size()), "the base is the saved rows", "");
    for (size_t n = 0; n < base.size(); ++n)
        FUZZ_CHECK(Bytes(CString(ours.GetSavedText(static_cast<int>(n)).pchMark,
                                 static_cast<int>(ours.GetSavedText(static_cast<int>(n)).nMark)) +
                         CString(ours.GetSavedText(static_cast<int>(n)).pch,
                                 static_cast<int>(ours.GetSavedText(static_cast<int>(n)).nLength))) == base[n],
                   "a row's saved text is the base line", base[n]);

    // Theirs: each base line kept, removed, or replaced by another line
    // (sometimes the same change as ours made), with new lines between.
    Lines theirs;
    std::vector<int> survivor(base.size(), -1);  // where a base line left alone is in theirs
    for (size_t n = 0; n <= base.size(); ++n)
    {
        if (bytes.Next() % 5 == 0)
            theirs.push_back("N" + std::to_string(n));
        if (n == base.size())
            break;
        unsigned nWhat = bytes.Next() % 6;
        if (nWhat == 0)
            continue;
        if (nWhat == 1)
            theirs.push_back("C" + std::to_string(n));
        else if (nWhat == 2)
            theirs.push_back(Bytes(ours.GetTextString(static_cast<int>(n))));
        else
        {
            survivor[n] = static_cast<int>(theirs.size());
            theirs.push_back(base[n]);
        }
    }
    CEntryList result;
    Load(result, File(theirs, bytes));
    FUZZ_CHECK(Texts(result) == theirs, "theirs loads as its lines", Shown(theirs));

    const Lines ourTexts = Texts(ours);
    const int nLost = CarryChanges(ours, result);
    const Lines after = Texts(result);
    const std::string where = "base " + Shown(base) + "\nours " + Shown(ourTexts) + "\ntheirs " + Shown(theirs) +
                              "\nresult " + Shown(after);

    const size_t nOursAdded = ourTexts.size() - base.size();
    FUZZ_CHECK(after.size() == theirs.size() + nOursAdded, "theirs' rows and ours' added ones", where);
    std::vector<int> from(theirs.size(), -1);  // the base line left alone at each row of theirs
    for (size_t n = 0; n < base.size(); ++n)
        if (survivor[n] >= 0)
            from[static_cast<size_t>(survivor[n])] = static_cast<int>(n);
    for (size_t j = 0; j < theirs.size() && j < after.size(); ++j)
    {
        if (from[j] >= 0)
            FUZZ_CHECK(after[j] == ourTexts[static_cast<size_t>(from[j])],
                       "a line theirs left alone carries ours' change", where + "\nrow " + std::to_string(j));
        else
            FUZZ_CHECK(after[j] == theirs[j], "a line of theirs stays as theirs made it",
                       where + "\nrow " + std::to_string(j));
    }
    for (size_t n = 0; n < nOursAdded && theirs.size() + n < after.size(); ++n)
        FUZZ_CHECK(after[theirs.size() + n] == ourTexts[base.size() + n], "ours' added rows follow, in order", where);

    // Lost: changed lines that theirs did not leave alone, unless theirs
    // holds ours' text between the lines around it that it left alone.
    int nExpectedLost = 0;
    for (size_t n = 0; n < base.size(); ++n)
    {
        if (survivor[n] >= 0 || ourTexts[n] == base[n])
            continue;
        int nBefore = -1, nAfter = static_cast<int>(theirs.size());
        for (size_t k = n; k-- > 0;)
            if (survivor[k] >= 0)
            {
                nBefore = survivor[k];
                break;
            }
        for (size_t k = n + 1; k < base.size(); ++k)
            if (survivor[k] >= 0)
            {
                nAfter = survivor[k];
                break;
            }
        bool bSame = false;
        for (int j = nBefore + 1; j < nAfter; ++j)
            bSame = bSame || theirs[static_cast<size_t>(j)] == ourTexts[n];
        if (!bSame)
            ++nExpectedLost;
    }
    FUZZ_CHECK(nLost == nExpectedLost,
               "lost: exactly the changes on lines theirs changed or removed, unless it made the same change",
               where + "\nlost " + std::to_string(nLost) + " expected " + std::to_string(nExpectedLost));
    FUZZ_CHECK(result.HasChanges() == (after != theirs), "the result is unchanged exactly when it is theirs", where);
    return 0;
}
