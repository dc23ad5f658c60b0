#include "framework/Dpi.h"

namespace
{
template <typename T>
T LookUpUser32(const char* pszName)
{
    // user32 is in every window program from its start: looking it up loads
    // nothing. Through a generic function pointer type: a direct cast from
    // FARPROC draws a cast-function-type warning.
    HMODULE hUser = ::GetModuleHandleA("user32.dll");
    return hUser ? reinterpret_cast<T>(reinterpret_cast<void (*)()>(::GetProcAddress(hUser, pszName))) : nullptr;
}

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, not in the headers for the
// Windows versions this program builds for.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));

UINT SystemDpi()
{
    HDC hdc = ::GetDC(nullptr);
    int nDpi = hdc ? ::GetDeviceCaps(hdc, LOGPIXELSX) : 0;
    if (hdc)
        ::ReleaseDC(nullptr, hdc);
    return nDpi > 0 ? static_cast<UINT>(nDpi) : kDefaultDpi;
}
}

UINT AfxGetWindowDpi(HWND hWnd)
{
    typedef UINT(WINAPI * PFNGETDPIFORWINDOW)(HWND);
    static const PFNGETDPIFORWINDOW s_pfn = LookUpUser32<PFNGETDPIFORWINDOW>("GetDpiForWindow");
    UINT nDpi = s_pfn && hWnd ? s_pfn(hWnd) : 0;
    return nDpi ? nDpi : SystemDpi();
}

int AfxGetSystemMetricForDpi(int nIndex, UINT nDpi)
{
    typedef int(WINAPI * PFNGETSYSTEMMETRICSFORDPI)(int, UINT);
    static const PFNGETSYSTEMMETRICSFORDPI s_pfn = LookUpUser32<PFNGETSYSTEMMETRICSFORDPI>("GetSystemMetricsForDpi");
    if (s_pfn)
        return s_pfn(nIndex, nDpi);
    return AfxRescaleForDpi(::GetSystemMetrics(nIndex), SystemDpi(), nDpi);
}

bool AfxSystemScalesDialogs(HWND hWnd)
{
    typedef HANDLE(WINAPI * PFNGETWINDOWDPIAWARENESSCONTEXT)(HWND);
    typedef BOOL(WINAPI * PFNAREDPIAWARENESSCONTEXTSEQUAL)(HANDLE, HANDLE);
    static const PFNGETWINDOWDPIAWARENESSCONTEXT s_pfnContext =
        LookUpUser32<PFNGETWINDOWDPIAWARENESSCONTEXT>("GetWindowDpiAwarenessContext");
    static const PFNAREDPIAWARENESSCONTEXTSEQUAL s_pfnEqual =
        LookUpUser32<PFNAREDPIAWARENESSCONTEXTSEQUAL>("AreDpiAwarenessContextsEqual");
    if (!s_pfnContext || !s_pfnEqual)
        return false;
    HANDLE hContext = s_pfnContext(hWnd);
    return hContext && s_pfnEqual(hContext, kPerMonitorAwareV2);
}
