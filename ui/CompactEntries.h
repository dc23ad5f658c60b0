// "Compact Entries": lines of one address that follow each other share
// lines of 9 names (hosts/review/Compaction.h), after a question that says
// how many lines become how many. Asked from the Edit menu and from the
// Check Entries dialog's Fix.
#pragma once

class CEntryList;
class CWnd;

enum class CCompactResult
{
    compacted,
    unchanged,  // nothing to compact, or the user said No
    noMemory    // said to the user; what was done stays in the open step, to be cancelled
};

// Finds the runs in the rows as they are, asks, and compacts them in the
// list's open step; the messages' owner is owner.
CCompactResult AskAndCompact(CWnd& owner, CEntryList& entries);
