// Whether a file's bytes are UTF-8 text. A file is shown as UTF-8 when every
// byte of it is part of a well-formed UTF-8 sequence, exactly as Windows'
// MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS) accepts them, and at
// least one byte is above 0x7F; any other file is text in the ANSI code page.
// A file of ASCII bytes alone reads the same either way and stays ANSI.
//
// No windows.h: this builds natively too.
#pragma once

#include <cstddef>

enum class TextEncoding
{
    ascii,  // no byte above 0x7F
    utf8,   // well-formed UTF-8 with at least one byte above 0x7F
    ansi    // not UTF-8: the ANSI code page
};

// One pass over the bytes; runs of ASCII go eight bytes at a time.
TextEncoding ClassifyText(const char* pch, size_t nLength);

// Well-formed UTF-8 (the Unicode standard's table of byte sequences): no
// stray or missing continuation byte, no overlong form, no surrogate (ED A0
// to ED BF), nothing above U+10FFFF, no byte C0, C1 or F5 to FF. NUL bytes
// are characters like any other.
bool IsValidUtf8(const char* pch, size_t nLength);
