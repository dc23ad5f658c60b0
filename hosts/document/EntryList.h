// The entry list: the rows of the main window, which are the program's
// document. Each row is one line text in file order and whether it is
// commented out; its number is its position plus one.
//
// The list also keeps every byte of the loaded file that no row shows (line
// ends, blank lines, indentation, what follows a NUL or a Ctrl-Z, a
// byte-order mark), so that a save writes the file back as it was read,
// changed only where the user changed a row (see ForEachPiece).
//
// Made for a million rows: the loaded file's bytes stay as read in one block
// and each row is a small fixed record pointing into them, so nothing is
// allocated per row. A row's text is always a run of those bytes, with the
// comment mark "# " in front when the row was commented here: commenting
// sets a flag, uncommenting moves the start of the run, so neither moves or
// copies any text. Added rows keep their texts in blocks of their own.
//
// Texts are in the loaded file's encoding (IsUtf8): UTF-8 when the file's
// bytes are UTF-8 (hosts/lines/Utf8Text.h), the ANSI code page otherwise. Added
// texts must be in that encoding too, so that the file stays in one.
//
// No windows.h: this builds natively too. Failures to get memory come back as
// false; nothing here throws.
#pragma once

#include "framework/CString.h"
#include "hosts/document/ContentDigest.h"

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

    int GetCount() const { return m_nRows; }
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
    bool IsCommented(int nRow) const { return RowAt(nRow).Commented(); }

    // Appends a row; false when there is no memory for it.
    bool Append(const char* pch, size_t nLength);
    bool Append(const CString& text) { return Append(text.c_str(), static_cast<size_t>(text.GetLength())); }
    // "# " in front of a row that is not commented. *pbChanged tells whether
    // the row was changed. Neither moves any text; false, with the row
    // unchanged, only when there is no memory to remember what a row saved
    // a moment ago held.
    bool Comment(int nRow, bool* pbChanged);
    // A commented row without its first character and the white space after
    // it.
    bool Uncomment(int nRow, bool* pbChanged);
    void Empty();
    void Swap(CEntryList& other) { std::swap(*this, other); }
    // Bytes held for texts: the loaded file's and the added rows'.
    size_t GetStoreSize() const { return m_nStored; }
    // Whether a blank or all-white line lies between the row before nRow and
    // nRow in the file as a save writes it. Such lines are no rows; added
    // rows follow the file's last line and the blank lines after it, and
    // nothing before the first row counts.
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
    // pUnless, a file whose bytes have that digest is only read.
    LoadResult Load(const char* pszPath, CContentDigest* pDigest = nullptr, const CContentDigest* pUnless = nullptr);
    LoadResult Load(std::FILE* pFile, CContentDigest* pDigest = nullptr, const CContentDigest* pUnless = nullptr);
    // Whether the last load into this list failed part-way or for want of
    // memory: its rows are not the file's lines, and saving them over the
    // file would lose the others. A load that succeeds, or Empty, clears it;
    // added rows and edits keep it; Swap moves it with the rows.
    bool LoadFailed() const { return m_bLoadFailed; }

    // The bytes of the file as a save writes it, in order and in pieces,
    // until the sink returns false. Each row the user did not change comes
    // out as it was read, with everything between it and the next row; a
    // changed row's new text takes the place of its old text, and what was
    // around it stays. Added rows, each ended with CR LF, go after the file's
    // last line and the blank lines after it (with a CR LF first when that
    // line had none), before a Ctrl-Z and whatever follows it.
    void ForEachPiece(const std::function<bool(const char*, size_t)>& sink) const;
    // The same for the file as it was when last loaded or saved: the bytes
    // it held then, which the list still holds.
    void ForEachSavedPiece(const std::function<bool(const char*, size_t)>& sink) const;

    // What the file held when the rows were last loaded or saved, and what
    // the user has changed since: rows commented or uncommented, and rows
    // added after the first GetSavedCount().
    //
    // The rows are what the file now holds (after a save).
    void MarkSaved();
    int GetSavedCount() const { return m_nSavedRows; }
    // A row's text as the file held it (nRow < GetSavedCount()).
    Text GetSavedText(int nRow) const;
    // Whether a row's text differs from that, or the row was added.
    bool IsChanged(int nRow) const;
    // Whether any row is changed or added: false when the rows are exactly
    // what the file holds.
    bool HasChanges() const;
    // A change is always the saved text without its first nDrop bytes, with
    // or without the comment mark in front.
    struct Change
    {
        size_t nDrop;
        bool bMarked;
    };
    Change GetChange(int nRow) const;
    // Makes the same change to a row as loaded, whose text is what the
    // change was made on.
    void ApplyChange(int nRow, const Change& change);
    // Appends a row with another list's row's text, or with pch in place
    // of the text after its mark (the same text in another encoding);
    // false without memory.
    bool AppendCopy(const CEntryList& other, int nRow, const char* pch = nullptr, size_t nLength = 0);

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
    // A row in 8 bytes: where its text starts in the store and, in one word,
    // its length and three flags: the comment mark goes in front of it
    // (marked), it no longer starts where its line's text started in the
    // file (trimmed: uncommenting dropped the start), and its status.
    struct Row
    {
        uint32_t nPosition;
        uint32_t nBits;

        size_t Length() const { return nBits & kMaxLength; }
        bool Trimmed() const { return (nBits >> 29) & 1; }
        bool Marked() const { return (nBits >> 30) & 1; }
        bool Commented() const { return (nBits >> 31) != 0; }
        size_t End() const { return nPosition + Length(); }
        void Set(size_t nNewPosition, size_t nLength, bool bTrimmed, bool bMarked, bool bCommented)
        {
            nPosition = static_cast<uint32_t>(nNewPosition);
            nBits = static_cast<uint32_t>(nLength) | static_cast<uint32_t>(bTrimmed) << 29 |
                    static_cast<uint32_t>(bMarked) << 30 | static_cast<uint32_t>(bCommented) << 31;
        }
    };
    static const uint32_t kMaxLength = (1u << 29) - 1;

    // The store's blocks lie side by side in one space of 32-bit positions,
    // each from the start of a slot of 64 KiB, so that a position finds its
    // bytes through the slot table without a search. The loaded file's
    // bytes are the first block, from position 0.
    struct Block
    {
        std::unique_ptr<char[]> pData;
        size_t nSize;
        size_t nUsed;
        size_t nPosition;  // of its first byte
    };
    static const int kSlotShift = 16;
    static const int kPageShift = 14;  // rows are kept in pages of 16,384 records
    static const int kPageRows = 1 << kPageShift;

    Row& RowAt(int nRow) { return m_pages[static_cast<size_t>(nRow) >> kPageShift][nRow & (kPageRows - 1)]; }
    const Row& RowAt(int nRow) const
    {
        return m_pages[static_cast<size_t>(nRow) >> kPageShift][nRow & (kPageRows - 1)];
    }
    char* At(size_t nPosition) const
    {
        return reinterpret_cast<char*>(m_slots[nPosition >> kSlotShift] + nPosition);
    }
    char* TextOf(const Row& row) const { return At(row.nPosition); }
    // Where the text of file row nRow started in the file, before any
    // uncommenting dropped part of it.
    size_t LineStart(int nRow, const Row& row) const;
    // The row as the file held it when last loaded or saved.
    Row SavedRow(int nRow) const;
    // The file's bytes with the rows as they are, or as they were saved.
    void Pieces(bool bSaved, const std::function<bool(const char*, size_t)>& sink) const;
    // Keeps what the row's page held at the last save before it changes;
    // false without memory.
    bool KeepSaved(int nRow);
    bool AddRow(const Row& row);
    // Adds a block of nSize bytes after the others; false without memory or
    // positions.
    bool AddBlock(std::unique_ptr<char[]> pData, size_t nSize, size_t nUsed);
    // Room for nLength bytes at the end of the store; false without memory.
    bool Reserve(size_t nLength);
    // Stores bytes at the end of the store (Reserve first); their position.
    size_t Store(const char* pch, size_t nLength);
    bool BuildFromBuffer(std::unique_ptr<char[]> pData, size_t nSize);
    LoadResult LoadWhole(std::FILE* pFile, CContentDigest* pDigest, const CContentDigest* pUnless);

    std::vector<std::unique_ptr<Row[]>> m_pages;
    std::vector<Block> m_blocks;
    std::vector<uintptr_t> m_slots;  // per slot: its block's address less the block's position
    int m_nRows = 0;
    int m_nFileRows = 0;       // the rows read from the file come first
    int m_nSavedRows = 0;      // rows the file held when last loaded or saved
    // Until the first save the file holds the rows as read; after it, the
    // rows as saved: those of a page changed since are kept here.
    bool m_bSavedAsRead = true;
    std::vector<std::unique_ptr<Row[]>> m_savedPages;
    size_t m_nFileSize = 0;    // the loaded file's bytes, the first block
    size_t m_nTextStart = 0;   // where its lines start (after a byte-order mark)
    size_t m_nTextEnd = 0;     // and end (at a Ctrl-Z, or its end)
    size_t m_nStored = 0;      // bytes of every block
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
    if (nStart < 0 || nStart > m_nRows)
        nStart = 0;
    for (int nRow = nStart; nRow < m_nRows; ++nRow)
        if (matches(nRow))
            return nRow;
    if (bWrap)
        for (int nRow = 0; nRow < nStart; ++nRow)
            if (matches(nRow))
                return nRow;
    return -1;
}
