#include "ui/CompactEntries.h"

#include "framework/CString.h"
#include "framework/CWaitCursor.h"
#include "framework/CWnd.h"
#include "hosts/review/Compaction.h"

namespace
{
const char kAskCompact[] =
    "Compacting puts up to 9 names of one address on a line: %d lines of entries become %d.\n"
    "Windows reads the same entries, and its DNS Client reads a much shorter file.\nCompact now?";
const char kAlreadyCompact[] = "The entries are already compact: no two lines of one address follow each other.";
}

CCompactResult AskAndCompact(CWnd& owner, CEntryList& entries)
{
    CCompaction compaction;
    bool bFound;
    {
        CWaitCursor wait;
        bFound = compaction.Find(entries);
    }
    if (!bFound)
    {
        owner.MessageBox(kOutOfMemoryText, nullptr, MB_ICONERROR);
        return CCompactResult::noMemory;
    }
    if (compaction.IsEmpty())
    {
        owner.MessageBox(kAlreadyCompact, nullptr, MB_ICONINFORMATION);
        return CCompactResult::unchanged;
    }
    CString question;
    question.Format(kAskCompact, compaction.GetLinesBefore(), compaction.GetLinesAfter());
    if (owner.MessageBox(question.c_str(), nullptr, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return CCompactResult::unchanged;
    bool bDone;
    {
        CWaitCursor wait;
        bDone = compaction.Apply(entries);
    }
    if (!bDone)
    {
        owner.MessageBox(kOutOfMemoryText, nullptr, MB_ICONERROR);
        return CCompactResult::noMemory;
    }
    return CCompactResult::compacted;
}
