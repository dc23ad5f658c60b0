#include "framework/CCmdTarget.h"

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, AfxSig_end, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindEntry(UINT nMessage, UINT nCode, UINT nID) const
{
    for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap;
         pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr)
    {
        for (const AFX_MSGMAP_ENTRY* p = pMap->lpEntries; p->nSig != AfxSig_end; ++p)
        {
            // A registered message's number is known only at run time, and
            // is 0xC000 or more once registering has worked.
            bool bMessage = p->pnRegistered ? nMessage >= 0xC000 && *p->pnRegistered == nMessage
                                            : p->nMessage == nMessage;
            if (bMessage && p->nID == nID && p->nCode == nCode)
                return p;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID)
{
    const AFX_MSGMAP_ENTRY* p = FindEntry(WM_COMMAND, 0, nID);
    if (!p)
        return FALSE;
    (this->*(p->pfn))();
    return TRUE;
}
