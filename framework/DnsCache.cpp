#include "framework/DnsCache.h"

#include "framework/DllSearch.h"

BOOL AfxFlushDnsResolverCache()
{
    typedef BOOL(WINAPI * PFNDNSFLUSHRESOLVERCACHE)();
    static PFNDNSFLUSHRESOLVERCACHE s_pfnFlush = nullptr;
    if (!s_pfnFlush)
    {
        HMODULE hDns = AfxLoadSystemLibrary("dnsapi.dll");
        if (hDns)
            s_pfnFlush = AfxGetProcAddress<PFNDNSFLUSHRESOLVERCACHE>(hDns, "DnsFlushResolverCache");
    }
    return s_pfnFlush ? s_pfnFlush() : FALSE;
}
