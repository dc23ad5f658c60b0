#include "framework/COleDateTime.h"

namespace
{
DATE SystemTimeToDate(const SYSTEMTIME& st)
{
    SYSTEMTIME whole = st;
    whole.wMilliseconds = 0;
    double dt = 0;
    if (!::SystemTimeToVariantTime(&whole, &dt))
        return 0;
    return dt;
}
}

COleDateTime::COleDateTime(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond) : m_dt(0)
{
    if (nYear < 100 || nYear > 9999 || nMonth < 1 || nMonth > 12 || nDay < 1 || nDay > 31 ||
        nHour < 0 || nHour > 23 || nMinute < 0 || nMinute > 59 || nSecond < 0 || nSecond > 59)
        return;
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(nYear);
    st.wMonth = static_cast<WORD>(nMonth);
    st.wDay = static_cast<WORD>(nDay);
    st.wHour = static_cast<WORD>(nHour);
    st.wMinute = static_cast<WORD>(nMinute);
    st.wSecond = static_cast<WORD>(nSecond);
    m_dt = SystemTimeToDate(st);
}

COleDateTime COleDateTime::GetCurrentTime()
{
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    return COleDateTime(SystemTimeToDate(st));
}

CString COleDateTime::Format(DWORD dwFlags, LCID lcid) const
{
    BSTR bstr = nullptr;
    if (FAILED(::VarBstrFromDate(m_dt, lcid, dwFlags, &bstr)) || !bstr)
        return CString();

    CString text;
    int nWide = static_cast<int>(::SysStringLen(bstr));
    int nBytes = ::WideCharToMultiByte(CP_ACP, 0, bstr, nWide, nullptr, 0, nullptr, nullptr);
    if (nBytes > 0)
    {
        char* pText = text.GetBuffer(nBytes);
        ::WideCharToMultiByte(CP_ACP, 0, bstr, nWide, pText, nBytes, nullptr, nullptr);
        text.ReleaseBuffer(nBytes);
    }
    ::SysFreeString(bstr);
    return text;
}
