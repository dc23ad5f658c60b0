// Text between a code page of the program's own (the ANSI code page or
// UTF-8) and UTF-16, the form in which Unicode windows show and take it.
#pragma once

#include "framework/CString.h"

#include <windows.h>

#include <vector>

// nLength bytes (-1: up to the terminating zero) of text in nCodePage as
// UTF-16, with a terminating zero.
std::vector<wchar_t> ToWide(const char* pch, int nLength, UINT nCodePage);

// nLength UTF-16 units (-1: up to the terminating zero) in nCodePage.
// *pbLost, when given, tells whether a character had no form of its own
// there and became the code page's default character; a character is never
// replaced by a look-alike ("best fit"). UTF-8 has a form for everything.
CString FromWide(const wchar_t* pwch, int nLength, UINT nCodePage, bool* pbLost = nullptr);

// A window's text in nCodePage, read in UTF-16 so that nothing the window
// holds is lost on the way (*pbLost as for FromWide); and the other way.
CString GetWindowTextIn(HWND hWnd, UINT nCodePage, bool* pbLost = nullptr);
BOOL SetWindowTextIn(HWND hWnd, const char* psz, UINT nCodePage);
