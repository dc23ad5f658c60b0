// What the entry list's tests share: the rows' texts and statuses, the bytes
// a save would write, a load from bytes, and commenting rows.
#pragma once

#include "hosts/document/EntryList.h"

#include "tests/support/TempFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Lines = std::vector<std::string>;

inline Lines Texts(const CEntryList& list)
{
    Lines texts;
    for (int nRow = 0; nRow < list.GetCount(); ++nRow)
    {
        CString text = list.GetTextString(nRow);
        texts.emplace_back(text.c_str(), static_cast<size_t>(text.GetLength()));
    }
    return texts;
}

inline std::vector<bool> Flags(const CEntryList& list)
{
    std::vector<bool> flags;
    for (int nRow = 0; nRow < list.GetCount(); ++nRow)
        flags.push_back(list.IsCommented(nRow));
    return flags;
}

// Every row commented (or uncommented), as "Comment Selected" with every row
// selected does.
inline void SetAll(CEntryList& list, bool bComment)
{
    for (int nRow = 0; nRow < list.GetCount(); ++nRow)
    {
        bool bChanged;
        if (bComment)
            list.Comment(nRow, &bChanged);
        else
            list.Uncomment(nRow, &bChanged);
    }
}

// What a save would write.
inline std::string Saved(const CEntryList& list)
{
    std::string bytes;
    list.ForEachPiece([&](const char* pch, size_t nLength) {
        bytes.append(pch, nLength);
        return true;
    });
    return bytes;
}

inline CEntryList::LoadResult LoadBytes(CEntryList& list, const std::string& bytes)
{
    CTempFile file(bytes);
    return list.Load(file.Path());
}

inline void SetRow(CEntryList& list, int nRow, bool bComment)
{
    bool bChanged;
    if (bComment)
        list.Comment(nRow, &bChanged);
    else
        list.Uncomment(nRow, &bChanged);
    EXPECT_TRUE(bChanged) << "row " << nRow;
}
