// Sizes at a window's DPI. The program declares itself per-monitor DPI aware
// (v2, and the older forms for older Windows: see res/tarnwick.manifest.in),
// so Windows draws it at the DPI of the screen it is on and stretches
// nothing: every size the program gives in pixels must follow that DPI.
//
// The functions of newer Windows are bound at run time from user32, which
// every window program has loaded, so that the program still starts on
// Windows Vista; where they are missing, every window has the system's DPI.
#pragma once

#include <windows.h>

// The DPI at which sizes in pixels are given in the program's own text:
// 100 %.
const UINT kDefaultDpi = 96;

// nPixels at 96 DPI, at nDpi, rounded to the nearest pixel.
inline int AfxScaleForDpi(int nPixels, UINT nDpi)
{
    long long n = static_cast<long long>(nPixels) * nDpi;
    return static_cast<int>(n >= 0 ? (n + kDefaultDpi / 2) / kDefaultDpi : -((-n + kDefaultDpi / 2) / kDefaultDpi));
}

// The same for a size already at nFromDpi.
inline int AfxRescaleForDpi(int nPixels, UINT nFromDpi, UINT nToDpi)
{
    if (nFromDpi == 0)
        return nPixels;
    long long n = static_cast<long long>(nPixels) * nToDpi;
    return static_cast<int>(n >= 0 ? (n + nFromDpi / 2) / nFromDpi : -((-n + nFromDpi / 2) / nFromDpi));
}

// The DPI of a window: GetDpiForWindow (Windows 10 1607 and later), else the
// screen's LOGPIXELSX, the system DPI.
UINT AfxGetWindowDpi(HWND hWnd);

// A system metric (SM_CXICON, SM_CXSMICON...) at a DPI:
// GetSystemMetricsForDpi (Windows 10 1607 and later), else the system's
// metric taken from the system DPI to nDpi.
int AfxGetSystemMetricForDpi(int nIndex, UINT nDpi);

// Whether Windows itself lays a dialog out anew when its DPI changes, as it
// does for a per-monitor v2 window (Windows 10 1703 and later: the dialog
// manager moves and sizes the controls and gives them a font of the new
// size). Otherwise (per-monitor v1, Windows 8.1 to 10 1607) the program must.
bool AfxSystemScalesDialogs(HWND hWnd);
