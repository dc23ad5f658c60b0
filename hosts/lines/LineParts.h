// What a hosts file line means: its words, whether its first word is an
// address, and what a row of the entry list is (an entry, a heading, or
// neither). Every feature that needs the meaning of a line asks here, so
// that they never disagree about what an entry is.
//
// A line's words are separated by spaces and tabs; a '#' starts a comment,
// to the end of the line, even in the middle of a word. The first word of an
// entry is its address, the words after it its names.
//
// No windows.h: this builds natively too.
#pragma once

#include <cstddef>

class CEntryList;

// Whether the bytes are an IP address: IPv4 in dotted decimal (four numbers 0
// to 255) or IPv6 in any of its text forms (::1, fe80::1%12,
// ::ffff:1.2.3.4). Sets *pbIpv6 (may be null) to the family.
//
// Two forms are taken that inet_pton refuses, on purpose: a decimal number
// with leading zeros (127.000.000.001; Windows' own reader takes them, so a
// line holding one is not ignored), and an IPv6 zone after '%' (fe80::1%12,
// one or more letters, digits, '-', '_' or '.').
bool IsHostsAddress(const char* pch, size_t nLength, bool* pbIpv6 = nullptr);

// A word of a line: nLength bytes at pch, never empty.
struct CLineWord
{
    const char* pch;
    size_t nLength;
};

// The words of a line before its comment, one after the other.
class CLineWords
{
public:
    CLineWords(const char* pch, size_t nLength) : m_pch(pch), m_pchEnd(pch + nLength) {}
    // The next word; false when the line has none left.
    bool Next(CLineWord* pWord);

private:
    const char* m_pch;
    const char* m_pchEnd;
};

// Whether a line is an entry when active: its first word is an address.
// Sets *pbIpv6 (may be null) to the address's family.
bool IsEntryText(const char* pch, size_t nLength, bool* pbIpv6 = nullptr);

// The text that uncommenting a commented row would give (hosts/lines/CommentRules.h:
// without its first character and the white space after it); an active row's
// text as it is. The bytes are the row's, valid until the list next changes.
CLineWord UncommentedText(const CEntryList& list, int nRow);
// The same for a text with the comment mark put in front of it here
// (bMarked: the mark and the white space after it go), or commented as
// bCommented says.
CLineWord UncommentedPiece(const char* pch, size_t nLength, bool bMarked, bool bCommented);

enum class CRowKind
{
    other,
    entry,
    heading,
    windowsNote  // a note of Windows' own file that introduces its samples
};

// What a row of the entry list is: an active row is an entry when its first
// word is an address; a commented row is an entry (switched off) when the
// text that uncommenting it would give is an entry; a heading is a
// commented row that is not an entry and holds at least one letter or digit
// of any script, as the list's encoding reads it (UTF-8 when IsUtf8, else
// the ANSI code page; bytes that are no character there are no letters).
// Of those, the two notes that Windows' own hosts file writes above its
// sample lines, "For example:" and "localhost name resolution is handled
// within DNS itself." (as CommentText gives them, byte for byte), are no
// heading but a windowsNote. Other rows are neither.
CRowKind ReadRowKind(const CEntryList& list, int nRow);

// A commented row's text without its comment mark (the leading "#"s, after
// any white space) and the white space around it. The bytes are the row's,
// valid until the list next changes.
CLineWord CommentText(const CEntryList& list, int nRow);
