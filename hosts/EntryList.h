// The entry list: the rows of the main window, which are the program's
// document. Each row is one line text in file order and whether it is
// commented out; its number is its position plus one.
//
// Made for a million rows: the text bytes live in a few large blocks (a
// loaded file's bytes as read, then blocks for texts that no longer fit where
// they were) and each row is a small fixed record pointing into them, so
// nothing is allocated per row. Commenting writes "# " into the bytes just
// before a text when they belong to no other row (the line end before it, as
// read), and uncommenting keeps the rest of the text where it is, so that
// commenting and uncommenting every row moves no text. The blocks are packed
// together when their unused share grows.
//
// No windows.h: this builds natively too. Failures to get memory come back as
// false; nothing here throws.
#pragma once

#include "framework/CString.h"
#include "hosts/ContentDigest.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CEntryList
{
public:
    CEntryList();
    ~CEntryList();
    CEntryList(const CEntryList&) = delete;
    CEntryList& operator=(const CEntryList&) = delete;

    int GetCount() const { return m_nRows; }
    // The row's text: nLength bytes at the pointer, not followed by a zero.
    // Valid until the list next changes.
    const char* GetText(int nRow, size_t* pnLength) const;
    CString GetTextString(int nRow) const;
    bool IsCommented(int nRow) const { return RowAt(nRow).Commented(); }

    // Appends a row; false when there is no memory for it.
    bool Append(const char* pch, size_t nLength);
    bool Append(const CString& text) { return Append(text.c_str(), static_cast<size_t>(text.GetLength())); }
    // Gives a row a new text; false (the row unchanged) without memory.
    bool Replace(int nRow, const char* pch, size_t nLength);
    // "# " in front of a row that is not commented; false only without
    // memory. *pbChanged tells whether the row was changed.
    bool Comment(int nRow, bool* pbChanged);
    // A commented row without its first character and the white space after
    // it; never needs memory.
    void Uncomment(int nRow, bool* pbChanged);
    void Empty();
    // Bytes held for texts, used or not.
    size_t GetStoreSize() const { return m_nStored; }

    enum LoadResult
    {
        loaded,
        notOpened,   // the file could not be opened: no rows, nothing said
        readFailed,  // a read error part-way: no rows
        noMemory     // not enough memory for every line: no rows
    };
    // Replaces the rows with the lines of a file, read by the hosts file
    // reading rules; whole or not at all. pDigest gets the digest of the
    // bytes read (not present when the file could not be opened).
    LoadResult Load(const char* pszPath, CContentDigest* pDigest = nullptr);
    LoadResult Load(std::FILE* pFile, CContentDigest* pDigest = nullptr);

    // Each text in order, until the sink returns false.
    void ForEach(const std::function<bool(const char*, size_t)>& sink) const;

    // The first row from nStart whose number ("Sr No") is the wanted digits
    // (bPartial: begins with them), then with bWrap the rows before nStart;
    // -1 when none is. Anything but one to ten digits matches no row.
    template <typename Char>
    int FindRowByNumber(const Char* pszWanted, bool bPartial, bool bWrap, int nStart) const;

    // The next row whose text holds pszText, searching down (or up) from the
    // row after (before) nFrom, or from the first (last) row when nFrom is
    // -1, round the list once, so that nFrom itself is tried last. Without
    // bMatchCase the letters A-Z match either case; other bytes as they are.
    // -1 when no row holds it or the text is empty. (Not named FindText,
    // which windows.h turns into FindTextA.)
    int FindRowByText(const char* pszText, bool bMatchCase, bool bDown, int nFrom) const;

    // Test hooks: rows beyond this many cannot be stored, as when memory runs
    // out; reading fails after this many bytes, as on a bad disk.
    static size_t s_nRowLimitForTesting;
    static size_t s_nReadLimitForTesting;

private:
    // A row in 8 bytes: where its text starts in the store and, in one word,
    // its length, its room (the bytes just before the text that belong to
    // this row alone, up to 3: enough for the comment mark) and its status.
    struct Row
    {
        uint32_t nPosition;
        uint32_t nBits;

        size_t Length() const { return nBits & kMaxLength; }
        size_t Room() const { return (nBits >> 29) & 3; }
        bool Commented() const { return (nBits >> 31) != 0; }
        void Set(size_t nNewPosition, size_t nLength, size_t nRoom, bool bCommented)
        {
            nPosition = static_cast<uint32_t>(nNewPosition);
            nBits = static_cast<uint32_t>(nLength) | static_cast<uint32_t>(nRoom < 3 ? nRoom : 3) << 29 |
                    static_cast<uint32_t>(bCommented) << 31;
        }
    };
    static const uint32_t kMaxLength = (1u << 29) - 1;
    static const size_t kMaxRoom = 3;

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
    bool AddRow(const Row& row);
    // Adds a block of nSize bytes after the others; false without memory or
    // positions.
    bool AddBlock(std::unique_ptr<char[]> pData, size_t nSize, size_t nUsed);
    // Room for nLength bytes at the end of the store; false without memory.
    bool Reserve(size_t nLength);
    // Stores bytes at the end of the store (Reserve first); their position.
    size_t Store(const char* pch, size_t nLength);
    // Points pch at a copy when it lies in the store; false without memory.
    bool CopyIfStored(const char*& pch, size_t nLength, std::string& copy) const;
    // Packs every text into one block, two bytes of room before each.
    bool Compact();
    bool BuildFromBuffer(std::unique_ptr<char[]> pData, size_t nSize);

    std::vector<std::unique_ptr<Row[]>> m_pages;
    std::vector<Block> m_blocks;
    std::vector<uintptr_t> m_slots;  // per slot: its block's address less the block's position
    int m_nRows = 0;
    size_t m_nStored = 0;  // bytes of every block
    size_t m_nLive = 0;    // bytes the rows use, their room included
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
