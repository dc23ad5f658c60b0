// Whether a character is a letter or a digit of any script, as the system's
// character tables say: the Windows build asks Windows (GetStringTypeW,
// LetterOrDigit.cpp); built natively, glibc's C.UTF-8 locale
// (LetterOrDigitNative.cpp), where the ANSI code page is ASCII alone.
//
// No windows.h: window-free code asks here.
#pragma once

// A Unicode code point, U+0000 to U+10FFFF.
bool IsLetterOrDigit(unsigned long nCodePoint);
// A character of the ANSI code page: nLength bytes at pch, 2 for a lead byte
// (IsAnsiLeadByte) and its trail byte, else 1. False for bytes that the code
// page maps to no character.
bool IsAnsiLetterOrDigit(const char* pch, int nLength);
