// A local date and time held as an OLE automation DATE (days since
// 30 December 1899, the time of day as the fraction).
#pragma once

#include "framework/CString.h"

#include <windows.h>
#include <oleauto.h>

// winbase.h defines GetCurrentTime() as a macro for GetTickCount(), which
// would rename the member below.
#ifdef GetCurrentTime
#undef GetCurrentTime
#endif

class COleDateTime
{
public:
    COleDateTime() : m_dt(0) {}
    explicit COleDateTime(DATE dt) : m_dt(dt) {}
    // Whole seconds. A date the system cannot represent gives 0 (30 December
    // 1899, midnight).
    COleDateTime(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond);

    // The local time now, to the second.
    static COleDateTime GetCurrentTime();

    // The system's date-to-text conversion (VarBstrFromDate) for the locale,
    // in the ANSI code page: the short date, and the time unless it is exactly
    // midnight. Empty if the conversion fails.
    CString Format(DWORD dwFlags = 0, LCID lcid = LANG_USER_DEFAULT) const;

    DATE m_dt;
};
