#include "download/worker_threads.h"

#include <process.h>

#include <algorithm>
#include <new>

WorkerThreads::WorkerThreads() : m_stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

WorkerThreads::~WorkerThreads()
{
    Stop(INFINITE);
}

bool WorkerThreads::Start(unsigned(__stdcall* entry)(void*), void* argument)
{
    CriticalSectionLock lock(m_lock);
    if (m_stopping) {
        SetLastError(ERROR_OPERATION_ABORTED);
        return false;
    }
    // Restarts come by the hundred on a bad line; the ended threads' handles go.
    std::erase_if(m_threads, [](const UniqueHandle& thread) {
        return WaitForSingleObject(thread.get(), 0) == WAIT_OBJECT_0;
    });
    try {
        m_threads.reserve(m_threads.size() + 1);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    const uintptr_t thread = _beginthreadex(nullptr, 0, entry, argument, 0, nullptr);
    if (!thread)
        return false;
    m_threads.emplace_back(reinterpret_cast<HANDLE>(thread));
    return true;
}

bool WorkerThreads::Register(HttpSession& session)
{
    CriticalSectionLock lock(m_lock);
    if (m_stopping || m_aborting)
        return false;
    m_sessions.push_back(&session);
    return true;
}

void WorkerThreads::Unregister(HttpSession& session)
{
    CriticalSectionLock lock(m_lock);
    std::erase(m_sessions, &session);
}

bool WorkerThreads::Stop(DWORD timeoutMs)
{
    {
        CriticalSectionLock lock(m_lock);
        m_stopping = true;
        SetEvent(m_stopEvent.get());
        // Under the lock: a session is destroyed only after it has been unregistered.
        for (HttpSession* session : m_sessions)
            session->Abort();
    }
    // Nothing is added to the list once stopping, so it can be walked without the lock.
    return WaitForAll(timeoutMs);
}

bool WorkerThreads::AbortAll(DWORD timeoutMs)
{
    {
        CriticalSectionLock lock(m_lock);
        m_aborting = true;
        for (HttpSession* session : m_sessions)
            session->Abort();
    }
    // Only this thread starts threads, so the list stays as it is while it waits.
    const bool ended = WaitForAll(timeoutMs);
    CriticalSectionLock lock(m_lock);
    m_aborting = false;
    return ended;
}

bool WorkerThreads::WaitForAll(DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (const UniqueHandle& handle : m_threads) {
        const HANDLE thread = handle.get();
        DWORD left = INFINITE;
        if (timeoutMs != INFINITE) {
            const DWORD spent = GetTickCount() - start;
            left = spent >= timeoutMs ? 0 : timeoutMs - spent;
        }
        if (WaitForSingleObject(thread, left) != WAIT_OBJECT_0)
            return false;
    }
    return true;
}
