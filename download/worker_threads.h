// The engine's threads. They run on their own and report only by posting; nobody
// waits for one while the program runs. But the dialog and the segment buffers they
// use must outlive them, so before those go, Stop ends them all: no new one starts,
// every HTTP exchange in flight is aborted so that its blocking call returns, the
// stop event wakes whoever waits on something else, and each thread is waited for.
#pragma once

#include <windows.h>

#include <vector>

#include "app/handles.h"
#include "download/http_session.h"

class WorkerThreads {
public:
    WorkerThreads();
    WorkerThreads(const WorkerThreads&) = delete;
    WorkerThreads& operator=(const WorkerThreads&) = delete;
    ~WorkerThreads();

    // Starts entry(argument) on a thread of its own. False, with the last error set,
    // when it cannot start or Stop has begun.
    bool Start(unsigned(__stdcall* entry)(void*), void* argument);

    // Lets Stop abort `session` while it is registered. False once Stop has begun:
    // the worker should then end without a request.
    bool Register(HttpSession& session);
    void Unregister(HttpSession& session);

    // Signalled when Stop begins.
    HANDLE StopEvent() const { return m_stopEvent.get(); }

    // Ends every thread and waits for them, at most `timeoutMs` in all; false if one
    // is still running then. Later calls only wait again.
    bool Stop(DWORD timeoutMs);
    // The same for the threads running now, after which new ones start again: for a
    // download dropped and started over. Called on the thread that starts them.
    bool AbortAll(DWORD timeoutMs);

private:
    bool WaitForAll(DWORD timeoutMs);

    CriticalSection m_lock;
    std::vector<UniqueHandle> m_threads;
    std::vector<HttpSession*> m_sessions;
    UniqueHandle m_stopEvent;
    bool m_stopping = false;
    bool m_aborting = false;  // during AbortAll: no session may begin
};

// Keeps a worker's session registered for as long as it lives.
class SessionRegistration {
public:
    SessionRegistration(WorkerThreads& workers, HttpSession& session)
        : m_workers(workers), m_session(session), m_registered(workers.Register(session)) {}
    ~SessionRegistration()
    {
        if (m_registered)
            m_workers.Unregister(m_session);
    }
    SessionRegistration(const SessionRegistration&) = delete;
    SessionRegistration& operator=(const SessionRegistration&) = delete;

    // False when the program is stopping and no request should be made.
    explicit operator bool() const { return m_registered; }

private:
    WorkerThreads& m_workers;
    HttpSession& m_session;
    bool m_registered;
};
