#include "ui/AppIcons.h"

#include "framework/CWinApp.h"
#include "framework/Dpi.h"
#include "res/resource.h"

#include <utility>
#include <vector>

HICON AppIcon(int nMetric, UINT nDpi)
{
    static std::vector<std::pair<int, HICON>> s_loaded;
    const int nSize = AfxGetSystemMetricForDpi(nMetric, nDpi);
    for (const auto& loaded : s_loaded)
        if (loaded.first == nSize)
            return loaded.second;
    HICON hIcon = static_cast<HICON>(
        ::LoadImageA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, nSize, nSize, 0));
    if (!hIcon)
        return AfxGetApp()->LoadIcon(IDR_MAINFRAME);  // the system's size
    s_loaded.emplace_back(nSize, hIcon);
    return hIcon;
}

HICON SetAppIcons(HWND hWnd, UINT nDpi)
{
    HICON hBig = AppIcon(SM_CXICON, nDpi);
    ::SendMessageA(hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(hBig));
    ::SendMessageA(hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(AppIcon(SM_CXSMICON, nDpi)));
    return hBig;
}
