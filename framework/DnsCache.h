// The system's cache of name lookups.
#pragma once

#include <windows.h>

// DnsFlushResolverCache of dnsapi.dll from the system folder, bound at run
// time (the first call loads the library): empties the system's cache of
// name lookups, as "ipconfig /flushdns" does, so that a changed hosts file
// takes effect at once. FALSE when the library, the function or the flush
// fails.
BOOL AfxFlushDnsResolverCache();
