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
//  - a NUL byte ends the line's text; the rest of that line is dropped.
// Two choices differ from that loop: a file that starts with a line feed skips
// its leading blank lines like any others (the loop would deliver nothing at
// all), and a line of any length is delivered whole (the loop's 512-byte
// buffer would overflow).
#pragma once

#include "framework/CString.h"

#include <cstddef>
#include <functional>

// Calls the sink with each line of the file, in order. A file that cannot be
// opened delivers nothing.
void ReadHostsLines(const char* pszPath, const std::function<void(const CString&)>& sink);

// The same rules applied to the bytes of a file held in memory.
void ScanHostsText(const char* pData, size_t nSize, const std::function<void(const CString&)>& sink);

// The same again, without copying: with the whole file in memory every line's
// text is one run of its bytes, so the sink gets where each text starts and
// how long it is.
void ScanHostsLineRanges(const char* pData, size_t nSize, const std::function<void(size_t, size_t)>& sink);
