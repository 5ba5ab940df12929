// The main thread's message loop, with message filters and idle handlers.
#pragma once

#include <windows.h>

#include <vector>

class CMessageFilter {
public:
    // True when the message was consumed and must not be dispatched.
    virtual BOOL PreTranslateMessage(MSG* pMsg) = 0;

protected:
    ~CMessageFilter() = default;
};

class CIdleHandler {
public:
    // True when there is more idle work to do.
    virtual BOOL OnIdle() = 0;

protected:
    ~CIdleHandler() = default;
};

class CMessageLoop {
public:
    BOOL AddMessageFilter(CMessageFilter* filter);
    BOOL RemoveMessageFilter(CMessageFilter* filter);
    BOOL AddIdleHandler(CIdleHandler* handler);
    BOOL RemoveIdleHandler(CIdleHandler* handler);

    // Runs until the quit message and returns its wParam.
    int Run();

private:
    // Offers the message to the filters, the most recently added first.
    BOOL PreTranslateMessage(MSG* pMsg);
    // Calls every idle handler in the order they were added; never asks for more.
    BOOL OnIdle(int idleCount);
    // False for the messages after which idle processing does not resume.
    static bool StartsIdlePeriod(const MSG& msg);

    std::vector<CMessageFilter*> m_filters;
    std::vector<CIdleHandler*> m_idleHandlers;
    MSG m_msg{};
};
