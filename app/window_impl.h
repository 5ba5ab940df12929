// A window object attached to an existing control by subclassing: its message map
// sees every message first, what it does not handle goes to the control's previous
// window procedure, and that procedure is put back at the control's last message.
#pragma once

#include <windows.h>

#include "app/message_map.h"

class CWindowImpl {
public:
    HWND m_hWnd = nullptr;

    CWindowImpl() = default;
    CWindowImpl(const CWindowImpl&) = delete;
    CWindowImpl& operator=(const CWindowImpl&) = delete;
    virtual ~CWindowImpl();

    virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                      LRESULT& lResult) = 0;
    // Called after the control's last message; the object is detached by then.
    virtual void OnFinalMessage(HWND /*hWnd*/) {}

    // Attaches the object to `hWnd`; false if either is attached already or the window
    // cannot be subclassed.
    BOOL SubclassWindow(HWND hWnd);
    // Detaches and returns the window it was attached to. The previous window
    // procedure is put back if ours is still the installed one; under another
    // subclass ours stays in the chain and passes every message on.
    HWND UnsubclassWindow();

    // The control's own behaviour for a message the map passes on.
    LRESULT DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam);

private:
    struct Subclass;
    static Subclass* FindSubclass(HWND hWnd);
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    WNDPROC m_prevProc = nullptr;
};
