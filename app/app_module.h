// The application module: the instance whose resources the program loads, and the
// registry of message loops by thread.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "app/handles.h"
#include "app/message_loop.h"

class CAppModule {
public:
    void Init(HINSTANCE instance);
    void Term();

    HINSTANCE GetResourceInstance() const { return m_instance; }

    // The folder the program was started in, kept before the program leaves it: a
    // relative install folder is read from there. Main thread, before any window.
    void KeepLaunchFolder();
    const std::wstring& LaunchFolder() const { return m_launchFolder; }

    BOOL AddMessageLoop(CMessageLoop* loop);
    BOOL RemoveMessageLoop();
    // The loop registered for the calling thread, or null.
    CMessageLoop* GetMessageLoop(DWORD threadId = GetCurrentThreadId());

private:
    HINSTANCE m_instance = nullptr;
    std::wstring m_launchFolder;
    CriticalSection m_lock;
    std::map<DWORD, CMessageLoop*> m_loops;
};

extern CAppModule g_module;
