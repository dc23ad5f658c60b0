// The program's icon (icon resource 128) at the sizes windows ask for. The
// icon file holds an image for each size of the title bar (small icon), the
// taskbar and Alt+Tab (big icon) and the About box at 100 % to 200 %, so
// that none is stretched.
#pragma once

#include <windows.h>

// The icon at the size of a system metric (SM_CXICON for the big icon,
// SM_CXSMICON for the small one) at a DPI. Each size is loaded once and kept
// for the whole run, as shared icons are, so that windows at the same DPI
// show the same icon handle and nothing is destroyed while a window uses it.
HICON AppIcon(int nMetric, UINT nDpi);

// Sets a window's big and small icons for its DPI; returns the big one.
HICON SetAppIcons(HWND hWnd, UINT nDpi);
