// The application module: the instance whose resources the program loads, and the
// registry of message loops by thread.
#pragma once

#include <windows.h>

#include <map>

#include "app/handles.h"
#include "app/message_loop.h"

class CAppModule {
public:
    void Init(HINSTANCE instance);
    void Term();

    HINSTANCE GetResourceInstance() const { return m_instance; }

    BOOL AddMessageLoop(CMessageLoop* loop);
    BOOL RemoveMessageLoop();
    // The loop registered for the calling thread, or null.
    CMessageLoop* GetMessageLoop(DWORD threadId = GetCurrentThreadId());

private:
    HINSTANCE m_instance = nullptr;
    CriticalSection m_lock;
    std::map<DWORD, CMessageLoop*> m_loops;
};

extern CAppModule g_module;
