// Under Wine every file reads back with the archive bit, so which attributes
// a save gives the hosts file is checked here, on the rule itself.
#include "hosts/disk/SavedAttributes.h"

#include <gtest/gtest.h>

TEST(SavedAttributesTest, ASavedFileHasArchiveAndKeepsReadOnlyHiddenAndSystem)
{
    struct Case
    {
        uint32_t nOld, nSaved, nUnsaved;
    };
    const Case cases[] = {
        {0x80, 0x20, 0x80},       // normal: archive after a save, normal again after none
        {0x00, 0x20, 0x80},
        {0x20, 0x20, 0x20},
        {0x01, 0x21, 0x01},       // read-only without archive: incremental backups must still see it
        {0x06, 0x26, 0x06},       // hidden and system
        {0x27, 0x27, 0x27},
        {0x2001, 0x2021, 0x2001}, // not content-indexed stays
        {0x400 | 0x800 | 0x100 | 0x1, 0x21, 0x01},  // reparse point, compressed, temporary: not carried
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.nSaved, AttributesAfterSave(c.nOld)) << std::hex << c.nOld;
        EXPECT_EQ(c.nUnsaved, AttributesAsBefore(c.nOld)) << std::hex << c.nOld;
    }
}
