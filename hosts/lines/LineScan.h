// Reading a hosts file into line texts.
//
// The rules are those of the C runtime reading a text-mode stream with
// fscanf("%[^\n]\n") in a loop:
//  - CR LF is read as LF; a CR not followed by LF is an ordinary character;
//    a Ctrl-Z byte (0x1A) ends the input;
//  - a line's text is everything up to its line feed; after a line, all white
//    space (space, \t, \n, \v, \f, \r) is skipped, so blank and all-white
//    lines never reach the sink and every later line loses its leading white
//    space; trailing white space stays;
//  - the first line keeps its leading white space and is delivered even when
//    it holds nothing else;
//  - a last line without a line end is delivered like the others;
//  - a NUL byte ends the line's text; the rest of that line is dropped;
//  - a UTF-8 byte-order mark at the very start belongs to no line (the C
//    runtime would make it part of the first line's text).
// Two choices differ from that loop: a file that starts with a line feed skips
// its leading blank lines like any others (the loop would deliver nothing at
// all), and a line of any length is delivered whole (the loop's 512-byte
// buffer would overflow).
#pragma once

#include "framework/CString.h"

#include <cstddef>
#include <functional>

// Calls the sink with each line of the file, in order: the file is read whole
// and scanned as ScanHostsLineRanges does. A file that cannot be opened, or
// not read whole, delivers nothing.
void ReadHostsLines(const char* pszPath, const std::function<void(const CString&)>& sink);

// The same rules applied to the bytes of a file held in memory.
void ScanHostsText(const char* pData, size_t nSize, const std::function<void(const CString&)>& sink);

// The same again, without copying: with the whole file in memory every line's
// text is one run of its bytes, so the sink gets where each text starts and
// how long it is.
void ScanHostsLineRanges(const char* pData, size_t nSize, const std::function<void(size_t, size_t)>& sink);

// The text as one line of the file, byte by byte: a line feed or carriage
// return would split it, a Ctrl-Z would end the file for the next load, so
// every control character but tab becomes a space. No byte below 0x20 is
// ever part of a longer character, in UTF-8 or in an ANSI code page (the
// second bytes of double-byte characters are 0x40 and above).
CString OneHostsLine(CString text);

// The steps of that scan, for code that must find again where a line lay in
// the bytes it was read from. Positions count from the start of pData.
//
// Where the lines start: after a UTF-8 byte-order mark, if any.
size_t HostsTextStart(const char* pData, size_t nSize);
// Where the lines end: at the first Ctrl-Z, or at the end of the bytes.
size_t HostsTextEnd(const char* pData, size_t nSize);
// Where the first line's text starts, given where the lines start and end.
size_t FirstHostsLineStart(const char* pData, size_t nStart, size_t nEnd);
// Where the next line's text starts after a line whose text ended at
// nTextEnd: past that line's line feed and the white space after it; nEnd
// when no line follows.
size_t NextHostsLineStart(const char* pData, size_t nEnd, size_t nTextEnd);
