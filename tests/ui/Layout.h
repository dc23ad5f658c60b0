// What a window's layout shows: whether every text fits where it is drawn,
// and the widths of a list's columns.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The controls of a dialog whose text does not fit: a label whose words,
// wrapped at its width, need more lines than it has room for; a button whose
// text is wider than the button less its frame; a control that reaches out
// of the dialog's client area. Each as "<class> '<text>': <why>"; none when
// everything fits.
std::vector<std::string> CutTexts(HWND hDlg);

// The texts of a list's headers and of the cells of its first nRows rows
// that are wider than their column less the list's margins (12 pixels at
// 96 DPI, taken to nDpi), which the list cuts with "...".
std::vector<std::string> CutCells(HWND hList, int nRows, UINT nDpi);

std::vector<int> ColumnWidths(HWND hList);
