// The history of the entry list's steps, for Undo and Redo.
//
// A step is what one command did to the rows: some rows' texts changed,
// some rows taken out, some put in, in parts kept in the order they were
// done. A changed row costs its index and its text before (12 bytes); a row
// taken out or put in, its index and the whole row (16 bytes). Undo and Redo
// swap a changed row's text with the one kept, so that the same record
// serves both ways, and nothing is copied twice.
//
// Steps are kept from the last load; the list clears them when it holds
// another file's rows. When memory runs short, the oldest steps go first;
// only a step that cannot be recorded at all fails.
//
// No windows.h: this builds natively too.
#pragma once

#include "hosts/document/StoredRow.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CRowHistory
{
public:
    // The rows an Undo or a Redo leaves selected (one byte a row, 1 for
    // selected) and the focused one; -1 when there is no row.
    struct Pick
    {
        std::vector<uint8_t> rows;
        int nFocus = -1;
    };

    void Clear();

    // A step is open from Begin to End; changes made outside one are not
    // recorded. End keeps the step when it recorded anything, and drops
    // what could have been redone.
    void Begin();
    bool IsOpen() const { return m_bOpen; }
    void End();
    // Puts back every row the open step changed, and closes it unkept.
    void Cancel(std::vector<CStoredRow>& rows);

    // What the open step does, recorded before it is done; false when there
    // is no memory for it even with every older step dropped.
    bool RecordChange(uint32_t nRow, const CStoredRow& before);
    // Where the rows at the ascending indices go when they are taken out
    // (RemoveAt); nullptr without memory.
    CStoredRow* RecordRemoval(const uint32_t* at, size_t nCount);
    // Rows put in at the ascending indices of the result (InsertAt).
    bool RecordInsertion(const uint32_t* at, const CStoredRow* pRows, size_t nCount);

    bool CanUndo() const { return !m_undo.empty(); }
    bool CanRedo() const { return !m_redo.empty(); }
    // Undoes the last step (Redo: does the undone one again) on the rows;
    // false, with the rows as they were, when there is nothing to undo or no
    // memory to put rows back.
    bool Undo(std::vector<CStoredRow>& rows, Pick& pick) { return Move(m_undo, m_redo, true, rows, pick); }
    bool Redo(std::vector<CStoredRow>& rows, Pick& pick) { return Move(m_redo, m_undo, false, rows, pick); }

    // After a save the file's lines are numbered anew: line n of the file
    // before is line lineNow[n] now, or none (kNoLine).
    void RenumberLines(const std::vector<uint32_t>& lineNow);

    // Bytes the steps hold.
    size_t GetMemorySize() const { return m_nBytes; }
    // Test hook: the steps may hold at most this many bytes, as when memory
    // runs out.
    static size_t s_nByteLimitForTesting;

private:
    struct Part
    {
        enum Kind : uint8_t
        {
            changed,
            removed,
            inserted
        } kind;
        // Removed or inserted: the rows' indices, and the rows. Changed:
        // each row's text before, and its index in place of its line.
        std::vector<uint32_t> at;
        std::vector<CStoredRow> rows;
    };
    struct Step
    {
        std::vector<Part> parts;
        size_t nBytes = 0;
    };

    // Makes room for nBytes more in the open step, dropping the oldest steps
    // while the limit or memory says no; false when none is left to drop.
    template <typename Grow>
    bool Grow(size_t nBytes, Grow grow);
    Part& OpenPart(Part::Kind kind);
    static void Apply(Step& step, bool bUndo, std::vector<CStoredRow>& rows, Pick* pPick);
    // Undoes (or does again) the last step of from, which then goes to to.
    bool Move(std::vector<Step>& from, std::vector<Step>& to, bool bUndo, std::vector<CStoredRow>& rows, Pick& pick);

    std::vector<Step> m_undo;  // the oldest first
    std::vector<Step> m_redo;
    Step m_open;
    bool m_bOpen = false;
    size_t m_nBytes = 0;
};
