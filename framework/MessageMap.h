// Static message maps: a table per class binding a window message or a
// command id to a member function. Dispatch walks the class's table and then
// its base classes' tables (see CWnd::OnWndMsg).
#pragma once

#include <windows.h>

class CCmdTarget;
typedef void (CCmdTarget::*AFX_PMSG)();

// Handler signatures the dispatcher knows how to call.
enum AfxSig
{
    AfxSig_end = 0,
    AfxSig_vv,      // void Handler()
    AfxSig_vwl,     // void Handler(UINT nID, LPARAM lParam)
    AfxSig_hv,      // HCURSOR Handler(); the result is the message's result
    AfxSig_notify,  // void Handler(NMHDR* pNMHDR, LRESULT* pResult)
    AfxSig_bv,      // BOOL Handler(); the result is the message's result
    AfxSig_lwl,     // LRESULT Handler(WPARAM wParam, LPARAM lParam); the result is the message's result
    AfxSig_bwl,     // BOOL Handler(WPARAM wParam, LPARAM lParam); the result is the message's result
};

struct AFX_MSGMAP_ENTRY
{
    UINT nMessage;  // WM_COMMAND, WM_NOTIFY, a window message or 0xC000 (registered)
    UINT nCode;     // notification code for WM_NOTIFY; unused otherwise
    UINT nID;       // command or control id; 0 for window messages
    AfxSig nSig;
    AFX_PMSG pfn;
    // A message registered at run time (RegisterWindowMessage): the variable
    // that holds its number; nMessage is then 0xC000. Null otherwise.
    const UINT* pnRegistered;
};

struct AFX_MSGMAP
{
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                           \
protected:                                              \
    static const AFX_MSGMAP* GetThisMessageMap();       \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                           \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }    \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                      \
    {                                                                                    \
        typedef theClass ThisClass;                                                      \
        typedef baseClass TheBaseClass;                                                  \
        static const AFX_MSGMAP_ENTRY messageEntries[] = {

#define END_MESSAGE_MAP()                                                                \
            {0, 0, 0, AfxSig_end, nullptr, nullptr}                                      \
        };                                                                               \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &messageEntries[0]}; \
        return &messageMap;                                                              \
    }

#define AFX_PMSG_CAST(type, fn) reinterpret_cast<AFX_PMSG>(static_cast<type>(fn))

#define ON_COMMAND(id, memberFxn) \
    {WM_COMMAND, 0, static_cast<UINT>(id), AfxSig_vv, static_cast<AFX_PMSG>(&ThisClass::memberFxn), nullptr},

// void memberFxn() for a control's notification in WM_COMMAND (EN_CHANGE).
#define ON_CONTROL(code, id, memberFxn) \
    {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), AfxSig_vv, static_cast<AFX_PMSG>(&ThisClass::memberFxn), nullptr},

#define ON_NOTIFY(code, id, memberFxn)                                                   \
    {WM_NOTIFY, static_cast<UINT>(code), static_cast<UINT>(id), AfxSig_notify,           \
     AFX_PMSG_CAST(void (CCmdTarget::*)(NMHDR*, LRESULT*), &ThisClass::memberFxn), nullptr},

#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, AfxSig_vv, static_cast<AFX_PMSG>(&ThisClass::OnClose), nullptr},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, AfxSig_vv, static_cast<AFX_PMSG>(&ThisClass::OnDestroy), nullptr},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, AfxSig_vv, static_cast<AFX_PMSG>(&ThisClass::OnPaint), nullptr},
#define ON_WM_SYSCOMMAND()                                                               \
    {WM_SYSCOMMAND, 0, 0, AfxSig_vwl,                                                    \
     AFX_PMSG_CAST(void (CCmdTarget::*)(UINT, LPARAM), &ThisClass::OnSysCommand), nullptr},
// BOOL OnQueryEndSession(WPARAM, LPARAM nLogOff): nLogOff holds
// ENDSESSION_CRITICAL when the session ends whatever the answer.
#define ON_WM_QUERYENDSESSION()                                                          \
    {WM_QUERYENDSESSION, 0, 0, AfxSig_bwl,                                               \
     AFX_PMSG_CAST(BOOL (CCmdTarget::*)(WPARAM, LPARAM), &ThisClass::OnQueryEndSession), nullptr},
// void OnEndSession(UINT bEnding, LPARAM nLogOff).
#define ON_WM_ENDSESSION()                                                               \
    {WM_ENDSESSION, 0, 0, AfxSig_vwl,                                                    \
     AFX_PMSG_CAST(void (CCmdTarget::*)(UINT, LPARAM), &ThisClass::OnEndSession), nullptr},
#define ON_WM_QUERYDRAGICON()                                                            \
    {WM_QUERYDRAGICON, 0, 0, AfxSig_hv,                                                  \
     AFX_PMSG_CAST(HCURSOR (CCmdTarget::*)(), &ThisClass::OnQueryDragIcon), nullptr},
// void OnTimer(UINT nIDEvent, LPARAM).
#define ON_WM_TIMER()                                                                    \
    {WM_TIMER, 0, 0, AfxSig_vwl, AFX_PMSG_CAST(void (CCmdTarget::*)(UINT, LPARAM), &ThisClass::OnTimer), nullptr},
// void OnActivate(UINT nState, LPARAM hWndOther); nState in the low word.
#define ON_WM_ACTIVATE()                                                                 \
    {WM_ACTIVATE, 0, 0, AfxSig_vwl, AFX_PMSG_CAST(void (CCmdTarget::*)(UINT, LPARAM), &ThisClass::OnActivate), nullptr},
// void OnEnable(UINT bEnable, LPARAM).
#define ON_WM_ENABLE()                                                                   \
    {WM_ENABLE, 0, 0, AfxSig_vwl, AFX_PMSG_CAST(void (CCmdTarget::*)(UINT, LPARAM), &ThisClass::OnEnable), nullptr},
// LRESULT memberFxn(WPARAM, LPARAM) for a message of the program's own.
#define ON_MESSAGE(message, memberFxn)                                                   \
    {static_cast<UINT>(message), 0, 0, AfxSig_lwl,                                       \
     AFX_PMSG_CAST(LRESULT (CCmdTarget::*)(WPARAM, LPARAM), &ThisClass::memberFxn), nullptr},
// nMessageVariable: a UINT that holds the number RegisterWindowMessage gave.
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn)                               \
    {0xC000, 0, 0, AfxSig_lwl,                                                           \
     AFX_PMSG_CAST(LRESULT (CCmdTarget::*)(WPARAM, LPARAM), &ThisClass::memberFxn), &nMessageVariable},
