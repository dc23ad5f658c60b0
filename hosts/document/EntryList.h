// The entry list: the rows of the main window, which are the program's
// document. Each row is one line text and whether it is commented out; its
// number is its position plus one.
//
// The list also keeps every byte of the file as last loaded or saved that
// no row shows (line ends, blank lines, indentation, what follows a NUL or a
// Ctrl-Z, a byte-order mark), so that a save writes the file back as it was,
// changed only where the user changed a row (see ForEachPiece). Each row
// knows which of that file's lines it is, if any: rows are edited, removed
// and put in anywhere, and a save still finds what was around each line.
//
// Made for a million rows: the file's bytes stay as read in one block and
// each row is a small fixed record pointing into them, so nothing is
// allocated per row. A row's text is always one run of stored bytes, with
// the comment mark "# " in front when the row was commented here:
// commenting sets a flag, uncommenting moves the start of the run, so
// neither moves or copies any text. New texts are kept in blocks of their
// own, and no block moves or goes while the list holds its file.
//
// Every change made between BeginStep and EndStep is one step of the
// history (hosts/document/RowHistory.h), which Undo takes back.
//
// Texts are in the loaded file's encoding (IsUtf8): UTF-8 when the file's
// bytes are UTF-8 (hosts/lines/Utf8Text.h), the ANSI code page otherwise. New
// texts must be in that encoding too, so that the file stays in one.
//
// No windows.h: this builds natively too. Failures to get memory come back as
// false; nothing here throws.
#pragma once

#include "framework/CString.h"
#include "hosts/document/ContentDigest.h"
#include "hosts/document/RowHistory.h"
#include "hosts/document/StoredRow.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class CEntryList
{
public:
    CEntryList();
    ~CEntryList();
    CEntryList(const CEntryList&) = delete;
    CEntryList& operator=(const CEntryList&) = delete;
    CEntryList(CEntryList&&) = default;
    CEntryList& operator=(CEntryList&&) = default;

    // A row's text in two pieces: the comment mark put in front of it here
    // (nMark bytes, none when it was not), then nLength bytes at pch. Valid
    // until the list next changes.
    struct Text
    {
        const char* pchMark;
        size_t nMark;
        const char* pch;
        size_t nLength;
    };

    int GetCount() const { return static_cast<int>(m_rows.size()); }
    // Whether the loaded file is UTF-8 text (and so every row's text), as
    // decided when it was loaded; false for an empty list.
    bool IsUtf8() const { return m_bUtf8; }
    // Whether no byte of the loaded file is above 0x7F: it reads the same in
    // either encoding, and may take UTF-8 (TakeUtf8) for the rows added to it.
    bool IsAscii() const { return m_bAscii; }
    void TakeUtf8()
    {
        if (m_bAscii)
            m_bUtf8 = true;
    }
    Text GetText(int nRow) const;
    CString GetTextString(int nRow) const;
    bool IsCommented(int nRow) const { return m_rows[static_cast<size_t>(nRow)].Commented(); }

    // Appends a row; false when there is no memory for it.
    bool Append(const char* pch, size_t nLength) { return InsertRow(GetCount(), pch, nLength); }
    bool Append(const CString& text) { return Append(text.c_str(), static_cast<size_t>(text.GetLength())); }
    // Puts in a row before row nAt (GetCount(): after the last).
    bool InsertRow(int nAt, const char* pch, size_t nLength);
    // "# " in front of a row that is not commented. *pbChanged tells whether
    // the row was changed. Neither moves any text; false, with the row
    // unchanged, only when there is no memory for the step's record.
    bool Comment(int nRow, bool* pbChanged);
    // A commented row without its first character and the white space after
    // it.
    bool Uncomment(int nRow, bool* pbChanged);
    // Gives a row another text; its status is that of the text, as at a load.
    bool SetText(int nRow, const char* pch, size_t nLength);
    // Puts in rows at the ascending indices at of the result: row k's text
    // is lengths[k] bytes of pchTexts, right after row k - 1's.
    bool InsertRows(const std::vector<uint32_t>& at, const char* pchTexts, const std::vector<uint32_t>& lengths);
    // Takes out the rows at the ascending indices.
    bool RemoveRows(const std::vector<uint32_t>& rows);

    // The history. A step is open from BeginStep to EndStep, which keeps it
    // when it changed any row. CancelStep puts back what the open step did,
    // for a command that could not be done whole.
    void BeginStep() { m_history.Begin(); }
    void EndStep() { m_history.End(); }
    void CancelStep() { m_history.Cancel(m_rows); }
    bool CanUndo() const { return m_history.CanUndo(); }
    bool CanRedo() const { return m_history.CanRedo(); }
    // False when there is nothing to undo (redo), or no memory to put rows
    // back; pick gets the rows to select.
    bool Undo(CRowHistory::Pick& pick) { return m_history.Undo(m_rows, pick); }
    bool Redo(CRowHistory::Pick& pick) { return m_history.Redo(m_rows, pick); }
    size_t GetHistorySize() const { return m_history.GetMemorySize(); }

    void Empty();
    void Swap(CEntryList& other) { std::swap(*this, other); }
    // Bytes held for texts: the file's and the new texts'.
    size_t GetStoreSize() const { return m_nStored; }
    // Whether a blank or all-white line lies between the row before nRow and
    // nRow in the file as a save writes it. Such lines are no rows; rows the
    // file does not hold go right after the line before them, or, after the
    // file's last line, after the blank lines that follow it; nothing before
    // the first row counts.
    bool FollowsBlankLine(int nRow) const;

    enum LoadResult
    {
        loaded,
        notOpened,   // the file could not be opened: the rows are left as they were
        readFailed,  // a read error part-way: no rows
        noMemory,    // not enough memory for every line: no rows
        unchanged    // the file holds what pUnless says: no rows
    };
    // Replaces the rows with the lines of a file, read by the hosts file
    // reading rules; whole or not at all. A read error part-way or a want of
    // memory leaves the list marked as not holding the file's lines
    // (LoadFailed). pDigest gets the digest of the
    // bytes read (left alone when the file could not be opened). With
    // pUnless, a file whose bytes have that digest is only read. The
    // history is cleared: the rows are another file's.
    LoadResult Load(const char* pszPath, CContentDigest* pDigest = nullptr, const CContentDigest* pUnless = nullptr);
    LoadResult Load(std::FILE* pFile, CContentDigest* pDigest = nullptr, const CContentDigest* pUnless = nullptr);
    // Whether the last load into this list failed part-way or for want of
    // memory: its rows are not the file's lines, and saving them over the
    // file would lose the others. A load that succeeds, or Empty, clears it;
    // added rows and edits keep it; Swap moves it with the rows.
    bool LoadFailed() const { return m_bLoadFailed; }

    // The bytes of the file as a save writes it, in order and in pieces,
    // until the sink returns false. Each line of the file as last loaded or
    // saved that a row still is and the user did not change comes out as it
    // was, with everything between it and the next; a changed row's new text
    // takes the place of its old text, and what was around it stays; the
    // line of a row removed goes whole, its indentation, text and line end,
    // and the blank lines around it stay. A row the file does not hold goes
    // where it stands, right after the line before it, ended with that
    // line's line end (CR LF where it has none); after the file's last line
    // such rows follow the blank lines after it (with a CR LF first when
    // that line had none), before a Ctrl-Z and whatever follows it.
    void ForEachPiece(const std::function<bool(const char*, size_t)>& sink) const;
    // The same for the file as it was when last loaded or saved: the bytes
    // it held then, which the list still holds.
    void ForEachSavedPiece(const std::function<bool(const char*, size_t)>& sink) const;

    // The file as last loaded or saved, and what the user has changed since.
    //
    // The rows are what the file now holds (after a save): the list keeps
    // those bytes, and numbers the lines anew, in the history too. False,
    // with the list as it was, without memory for them.
    bool MarkSaved();
    // The file's lines then.
    int GetSavedCount() const { return static_cast<int>(m_lines.size()); }
    Text GetSavedText(int nLine) const;
    // Which of those lines a row is, or -1 when the file did not hold it.
    int GetLine(int nRow) const
    {
        const uint32_t nLine = m_rows[static_cast<size_t>(nRow)].nLine;
        return nLine == CStoredRow::kNoLine ? -1 : static_cast<int>(nLine);
    }
    // Whether a row's text differs from its line's, or it has none.
    bool IsChanged(int nRow) const;
    // Whether the rows differ from the file's lines in any way: false when
    // they are exactly what the file holds.
    bool HasChanges() const;
    // A change made by commenting and uncommenting only: the line's text
    // without its first nDrop bytes, with or without the comment mark in
    // front. False for any other change (an edit).
    struct Change
    {
        size_t nDrop;
        bool bMarked;
    };
    bool GetChange(int nRow, Change& change) const;
    // Makes the same change to a row as loaded, whose text is what the
    // change was made on.
    void ApplyChange(int nRow, const Change& change);
    // Appends a row with another list's row's text, or with pch in place
    // of the text after its mark (the same text in another encoding);
    // false without memory.
    bool AppendCopy(const CEntryList& other, int nRow, const char* pch = nullptr, size_t nLength = 0);
    // Moves the last at.size() rows to the ascending indices at of the
    // result, the others keeping their order; false without memory.
    bool PlaceLastRows(const std::vector<uint32_t>& at);

    // The first row from nStart whose number ("Sr No") is the wanted digits
    // (bPartial: begins with them), then with bWrap the rows before nStart;
    // -1 when none is. Anything but one to ten digits matches no row.
    template <typename Char>
    int FindRowByNumber(const Char* pszWanted, bool bPartial, bool bWrap, int nStart) const;

    // The next row whose text holds pszText, searching down (or up) from the
    // row after (before) nFrom, or from the first (last) row when nFrom is
    // -1, round the list once, so that nFrom itself is tried last. Without
    // bMatchCase the letters A-Z match either case; other bytes as they are.
    // pszText is in the rows' encoding, and matches whole characters only
    // (hosts/lines/TextMatch.h). -1 when no row holds it or the text is empty.
    // (Not named FindText, which windows.h turns into FindTextA.)
    int FindRowByText(const char* pszText, bool bMatchCase, bool bDown, int nFrom) const;

    // Test hooks: rows beyond this many cannot be stored, as when memory runs
    // out; reading fails after this many bytes, as on a bad disk.
    static size_t s_nRowLimitForTesting;
    static size_t s_nReadLimitForTesting;

private:
    // A line of the file as last loaded or saved: where its text is in the
    // file's block.
    struct Line
    {
        uint32_t nPosition;
        uint32_t nLength;
    };
    // What a save writes for the rows, and where each row's text goes in it
    // (onRow, with the row and the offset of its text).
    void Pieces(const std::function<bool(const char*, size_t)>& sink,
                const std::function<void(size_t, size_t)>& onRow) const;
    // Where line nLine's line starts in the file (its indentation, after the
    // blank lines before it), and where it ends (after its line feed).
    size_t LineStart(size_t nLine) const;
    size_t LineEnd(size_t nLine) const;
    // Whether blank lines lie before one of the lines after nAfter (-1: from
    // the first) up to nLast, or after the last line when nLast is the count.
    bool BlankBefore(long long nAfter, size_t nLast) const;
    bool IsLineText(const CStoredRow& row) const;
    // The stored bytes at a position of the store's space.
    char* At(size_t nPosition) const
    {
        return reinterpret_cast<char*>(m_slots[nPosition >> kSlotShift] + nPosition);
    }
    char* TextOf(const CStoredRow& row) const { return At(row.nPosition); }
    // The file's bytes from an offset.
    const char* FileAt(size_t nOffset) const { return m_pFile + nOffset; }
    size_t LineOffset(size_t nLine) const { return m_lines[nLine].nPosition - m_nFilePosition; }
    // Room in the rows for nCount more; false without memory or past the
    // limit.
    bool RoomForRows(size_t nCount);
    // Records a row's text before it changes, in the open step.
    bool RecordChange(int nRow) { return m_history.RecordChange(static_cast<uint32_t>(nRow), m_rows[static_cast<size_t>(nRow)]); }

    // The store's blocks lie side by side in one space of 32-bit positions,
    // each from the start of a slot of 64 KiB, so that a position finds its
    // bytes through the slot table without a search.
    struct Block
    {
        std::unique_ptr<char[]> pData;
        size_t nSize;
        size_t nUsed;
        size_t nPosition;  // of its first byte
    };
    static const int kSlotShift = 16;
    // Adds a block of nSize bytes after the others; false without memory or
    // positions.
    bool AddBlock(std::unique_ptr<char[]> pData, size_t nSize, size_t nUsed);
    // Room for nLength bytes at the end of the store; false without memory.
    bool Reserve(size_t nLength);
    // Stores bytes at the end of the store (Reserve first); their position.
    size_t Store(const char* pch, size_t nLength);
    // Takes a file's bytes as the file the rows are lines of.
    bool TakeFile(std::unique_ptr<char[]> pData, size_t nSize);
    bool BuildFromBuffer(std::unique_ptr<char[]> pData, size_t nSize);
    LoadResult LoadWhole(std::FILE* pFile, CContentDigest* pDigest, const CContentDigest* pUnless);

    std::vector<CStoredRow> m_rows;
    std::vector<Line> m_lines;  // of the file as last loaded or saved
    std::vector<Block> m_blocks;
    std::vector<uintptr_t> m_slots;  // per slot: its block's address less the block's position
    CRowHistory m_history;
    // The file as last loaded or saved: its bytes, from this position of
    // the store.
    const char* m_pFile = "";
    size_t m_nFilePosition = 0;
    size_t m_nFileSize = 0;
    size_t m_nTextStart = 0;   // where its lines start (after a byte-order mark)
    size_t m_nTextEnd = 0;     // and end (at a Ctrl-Z, or its end)
    size_t m_nStored = 0;      // bytes of every block
    size_t m_nFileBlock = static_cast<size_t>(-1);  // the file's block, when it has bytes
    bool m_bUtf8 = false;      // the loaded file is UTF-8 text (or ASCII taking UTF-8)
    bool m_bAscii = true;      // the loaded file has no byte above 0x7F
    bool m_bLoadFailed = false;
};

template <typename Char>
int CEntryList::FindRowByNumber(const Char* pszWanted, bool bPartial, bool bWrap, int nStart) const
{
    if (!pszWanted)
        return -1;
    char szWanted[10];
    int nWanted = 0;
    for (; pszWanted[nWanted]; ++nWanted)
    {
        if (nWanted == 10 || pszWanted[nWanted] < '0' || pszWanted[nWanted] > '9')
            return -1;
        szWanted[nWanted] = static_cast<char>(pszWanted[nWanted]);
    }
    // A number is the wanted text (or begins with it) when its first digits
    // are those digits and it has as many (or more) of them.
    auto matches = [&](int nRow) {
        char szDigits[12];  // backwards
        int nLength = 0;
        for (unsigned nNumber = static_cast<unsigned>(nRow) + 1; nNumber; nNumber /= 10)
            szDigits[nLength++] = static_cast<char>('0' + nNumber % 10);
        if (nWanted > nLength || (!bPartial && nWanted != nLength))
            return false;
        for (int n = 0; n < nWanted; ++n)
            if (szDigits[nLength - 1 - n] != szWanted[n])
                return false;
        return true;
    };
    if (nStart < 0 || nStart > GetCount())
        nStart = 0;
    for (int nRow = nStart; nRow < GetCount(); ++nRow)
        if (matches(nRow))
            return nRow;
    if (bWrap)
        for (int nRow = 0; nRow < nStart; ++nRow)
            if (matches(nRow))
                return nRow;
    return -1;
}
