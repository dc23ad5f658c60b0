#include "framework/AppName.h"

#include "framework/CString.h"

namespace
{
// A function-local static, so that a global application object may set the
// title from its constructor whatever the order of static initialisation.
CString& AppNameStorage()
{
    static CString s_strName("Tarnwick");
    return s_strName;
}
}

const char* AfxGetAppName()
{
    return AppNameStorage();
}

void AfxSetAppName(const char* pszName)
{
    AppNameStorage() = (pszName && *pszName) ? pszName : "Tarnwick";
}
