// A row of the entry list as it is stored, and the two operations that take
// rows out of a sequence and put them back, shared by the list and its
// history of steps (hosts/document/RowHistory.h).
//
// No windows.h: this builds natively too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A row in 12 bytes: where its text starts in the list's store and, in one
// word, its length and two flags: the comment mark goes in front of it
// (marked), and its status; then which line of the file as last loaded or
// saved it is (kNoLine for a row that file does not hold).
struct CStoredRow
{
    uint32_t nPosition;
    uint32_t nBits;
    uint32_t nLine;

    static constexpr uint32_t kMaxLength = (1u << 29) - 1;
    static constexpr uint32_t kNoLine = 0xFFFFFFFFu;

    size_t Length() const { return nBits & kMaxLength; }
    bool Marked() const { return (nBits >> 30) & 1; }
    bool Commented() const { return (nBits >> 31) != 0; }
    size_t End() const { return nPosition + Length(); }
    void Set(size_t nNewPosition, size_t nLength, bool bMarked, bool bCommented)
    {
        nPosition = static_cast<uint32_t>(nNewPosition);
        nBits = static_cast<uint32_t>(nLength) | static_cast<uint32_t>(bMarked) << 30 |
                static_cast<uint32_t>(bCommented) << 31;
    }
    bool SameText(const CStoredRow& other) const { return nPosition == other.nPosition && nBits == other.nBits; }
};

// Takes out the items at the ascending indices at[0..nCount), keeping the
// others' order; with pOut, the items taken go there in order.
template <typename T>
void RemoveAt(std::vector<T>& items, const uint32_t* at, size_t nCount, T* pOut = nullptr)
{
    if (nCount == 0)
        return;
    size_t nTo = at[0];
    size_t k = 0;
    for (size_t nFrom = at[0]; nFrom < items.size(); ++nFrom)
    {
        if (k < nCount && at[k] == nFrom)
        {
            if (pOut)
                pOut[k] = items[nFrom];
            ++k;
            continue;
        }
        items[nTo++] = items[nFrom];
    }
    items.resize(nTo);
}

// Puts items[k] in at index at[k] of the result, the at ascending, the
// others keeping their order: the inverse of RemoveAt. The vector must have
// room (reserve) for nCount more, or this may throw std::bad_alloc.
template <typename T>
void InsertAt(std::vector<T>& items, const uint32_t* at, const T* pIn, size_t nCount)
{
    if (nCount == 0)
        return;
    size_t nFrom = items.size();
    items.resize(items.size() + nCount);
    size_t k = nCount;
    for (size_t nTo = items.size(); nTo-- > 0 && k > 0;)
    {
        if (at[k - 1] == nTo)
            items[nTo] = pIn[--k];
        else
            items[nTo] = items[--nFrom];
    }
}
