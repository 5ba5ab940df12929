// Message maps: a window class lists the messages it handles, one line each, between
// BEGIN_MSG_MAP and END_MSG_MAP. A handler is entered with bHandled set; clearing it
// passes the message on as if the map had no entry for it.
#pragma once

#include <windows.h>

#define BEGIN_MSG_MAP(theClass)                                                          \
public:                                                                                  \
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,        \
                              LRESULT& lResult) override                                 \
    {                                                                                    \
        BOOL bHandled = TRUE;                                                            \
        (void)hWnd;                                                                      \
        (void)bHandled;

// LRESULT func(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
#define MESSAGE_HANDLER(msg, func)                                                       \
        if (uMsg == (msg)) {                                                             \
            bHandled = TRUE;                                                             \
            lResult = func(uMsg, wParam, lParam, bHandled);                              \
            if (bHandled)                                                                \
                return TRUE;                                                             \
        }

// LRESULT func(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled); any notification code.
#define COMMAND_ID_HANDLER(id, func)                                                     \
        if (uMsg == WM_COMMAND && LOWORD(wParam) == (id)) {                              \
            bHandled = TRUE;                                                             \
            lResult = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), \
                           bHandled);                                                    \
            if (bHandled)                                                                \
                return TRUE;                                                             \
        }

// Hands the message to a base class's map; what that map handles ends the walk.
#define CHAIN_MSG_MAP(theChainClass)                                                     \
        if (theChainClass::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult))   \
            return TRUE;

// Sends what the map has not handled to the child control it concerns.
#define REFLECT_NOTIFICATIONS()                                                          \
        {                                                                                \
            bHandled = TRUE;                                                             \
            lResult = ReflectNotifications(hWnd, uMsg, wParam, lParam, bHandled);        \
            if (bHandled)                                                                \
                return TRUE;                                                             \
        }

// A reflected notification that no entry handled goes to the default window procedure
// as the message it reflects.
#define DEFAULT_REFLECTION_HANDLER()                                                     \
        if (uMsg >= OCM__BASE && uMsg <= OCM__LAST) {                                    \
            lResult = ::DefWindowProcW(hWnd, uMsg - OCM__BASE, wParam, lParam);           \
            return TRUE;                                                                 \
        }

#define END_MSG_MAP()                                                                    \
        return FALSE;                                                                    \
    }

// Reflected messages carry their original number plus this base.
inline constexpr UINT OCM__BASE = WM_USER + 0x1C00;
inline constexpr UINT OCM__LAST = OCM__BASE + WM_USER - 1;  // every reflectable message lies below WM_USER
inline constexpr UINT OCM_DRAWITEM = OCM__BASE + WM_DRAWITEM;
inline constexpr UINT OCM_MEASUREITEM = OCM__BASE + WM_MEASUREITEM;
inline constexpr UINT OCM_COMPAREITEM = OCM__BASE + WM_COMPAREITEM;
inline constexpr UINT OCM_DELETEITEM = OCM__BASE + WM_DELETEITEM;

// Sends a notification to the child window it concerns with OCM__BASE added to its
// number and returns that child's answer; clears `handled` when there is no such child.
LRESULT ReflectNotifications(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& handled);
