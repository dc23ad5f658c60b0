// Which attributes the hosts file has after a save. No windows.h: the values
// are the system's FILE_ATTRIBUTE_ bits, and the rule is tested natively
// (under Wine every file reads back with the archive bit, so there it cannot
// be seen).
#pragma once

#include <cstdint>

namespace SavedAttributes
{
const uint32_t kReadOnly = 0x1;
const uint32_t kHidden = 0x2;
const uint32_t kSystem = 0x4;
const uint32_t kArchive = 0x20;
const uint32_t kNormal = 0x80;
const uint32_t kNotContentIndexed = 0x2000;
// The attributes a save carries from the old file to the new; the others
// (a reparse point, compression, encryption) are the file system's own.
const uint32_t kCarried = kReadOnly | kHidden | kSystem | kNotContentIndexed;
}

// A saved file: read-only, hidden and system (and not content-indexed) as the
// old file had them, and archive set, as the system sets it on any write, so
// that incremental backups (robocopy /M, xcopy /M) take the changed file.
inline uint32_t AttributesAfterSave(uint32_t nOld)
{
    return (nOld & SavedAttributes::kCarried) | SavedAttributes::kArchive;
}

// A save that wrote nothing: the attributes the file had, archive included;
// "normal" stands for none.
inline uint32_t AttributesAsBefore(uint32_t nOld)
{
    uint32_t nKept = nOld & (SavedAttributes::kCarried | SavedAttributes::kArchive);
    return nKept ? nKept : SavedAttributes::kNormal;
}
