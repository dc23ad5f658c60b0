#include "hosts/CarryChanges.h"

#include "TempFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using Lines = std::vector<std::string>;

Lines Texts(const CEntryList& list)
{
    Lines texts;
    for (int n = 0; n < list.GetCount(); ++n)
        texts.emplace_back(list.GetTextString(n).c_str());
    return texts;
}

void Load(CEntryList& list, const std::string& bytes)
{
    CTempFile file(bytes);
    ASSERT_EQ(CEntryList::loaded, list.Load(file.Path()));
}

void Set(CEntryList& list, int nRow, bool bComment)
{
    bool bChanged;
    ASSERT_TRUE(bComment ? list.Comment(nRow, &bChanged) : list.Uncomment(nRow, &bChanged));
    ASSERT_TRUE(bChanged);
}
}

TEST(CarryChanges, KeepsTheUsersChangesWhereTheOtherProgramLeftTheLinesAlone)
{
    CEntryList ours;
    Load(ours, "127.0.0.1 a\r\n127.0.0.1 b\r\n# 127.0.0.1 c\r\n127.0.0.1 d\r\n");
    Set(ours, 0, true);   // their line too
    Set(ours, 1, true);   // they change it
    Set(ours, 2, false);  // they remove it
    Set(ours, 3, true);   // they make the same change
    ASSERT_TRUE(ours.Append(CString("0.0.0.0 added.example")));

    CEntryList theirs;
    Load(theirs, "10.0.0.1 vpn.example\n127.0.0.1 a\n127.0.0.1 b2\n# 127.0.0.1 d\n");
    EXPECT_EQ(2, CarryChanges(ours, theirs));
    EXPECT_EQ((Lines{"10.0.0.1 vpn.example", "# 127.0.0.1 a", "127.0.0.1 b2", "# 127.0.0.1 d",
                     "0.0.0.0 added.example"}),
              Texts(theirs));
    EXPECT_TRUE(theirs.HasChanges());

    // With nothing of ours left to carry, the list is what the file holds.
    CEntryList clean;
    Load(clean, "127.0.0.1 a\r\n");
    CEntryList again;
    Load(again, "127.0.0.1 a\r\n# 127.0.0.1 e\r\n");
    EXPECT_EQ(0, CarryChanges(clean, again));
    EXPECT_FALSE(again.HasChanges());
}

TEST(CarryChanges, AfterASaveTheBaseIsWhatWasSaved)
{
    // Commented and saved, then uncommented: the change to carry is the
    // uncommenting, made on the line as saved.
    CEntryList ours;
    Load(ours, "127.0.0.1 a\r\n127.0.0.1 b\r\n");
    Set(ours, 0, true);
    ours.MarkSaved();
    EXPECT_FALSE(ours.HasChanges());
    Set(ours, 0, false);
    EXPECT_TRUE(ours.IsChanged(0));
    EXPECT_FALSE(ours.IsChanged(1));

    CEntryList theirs;
    Load(theirs, "# 127.0.0.1 a\r\n127.0.0.1 b\r\n10.0.0.1 vpn.example\r\n");
    EXPECT_EQ(0, CarryChanges(ours, theirs));
    EXPECT_EQ((Lines{"127.0.0.1 a", "127.0.0.1 b", "10.0.0.1 vpn.example"}), Texts(theirs));
}
