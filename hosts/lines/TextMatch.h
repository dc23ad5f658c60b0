// Finding a text in a row's text, as Find does: anywhere in the text, and
// without "Match case" the letters A-Z match either case, other bytes only
// themselves.
//
// Texts and the wanted text are in the same encoding, the loaded file's:
//  - UTF-8: byte by byte. A well-formed wanted text begins with the first
//    byte of a character, which no other byte of a character can be, so it
//    only ever matches whole characters; and A-Z are single-byte characters.
//  - the ANSI code page: character by character when it has double-byte
//    characters (932, 936, 949, 950), so that a match begins only at the
//    start of a character and the second byte of a character is never taken
//    for a letter (in code page 932, ア is 83 41 and ヂ 83 61: "A" and "a" as
//    second bytes); byte by byte in a single-byte code page, as always.
//
// No windows.h: this builds natively too.
#pragma once

#include <cstddef>

class CTextMatch
{
public:
    // pszWanted must outlive the object. bUtf8: the texts are UTF-8;
    // otherwise they are in the ANSI code page (IsAnsiLeadByte).
    CTextMatch(const char* pszWanted, bool bMatchCase, bool bUtf8);

    bool IsEmpty() const { return m_nWanted == 0; }
    // Whether a text given in two pieces (nHead bytes, then nLength bytes)
    // holds the wanted text; a match may begin in the head, which is whole
    // characters.
    bool FoundIn(const char* pchHead, size_t nHead, const char* pch, size_t nLength) const;

private:
    bool FoundByBytes(const char* pch, size_t nLength) const;
    bool FoundByCharacters(const unsigned char* p, size_t nLength) const;
    // Whether the wanted text matches at offset nStart of a text of nTotal
    // bytes that at(n) reads, nStart being the start of a character.
    template <typename At>
    bool MatchesAt(const At& at, size_t nStart, size_t nTotal) const;

    const char* m_pszWanted;
    size_t m_nWanted;
    bool m_bMatchCase;
    bool m_bByCharacters;  // an ANSI code page with double-byte characters
    bool m_abLead[256];    // its lead bytes
};
