// The three handles of one HTTP exchange (root, connection, request) of either
// interface. They are closed request first, and Abort may close them from another
// thread: a call blocked on a closed handle returns, so a worker can be stopped.
#pragma once

#include <windows.h>

#include "app/handles.h"

// WinINet and WinHTTP both number a cancelled operation so.
inline constexpr DWORD kOperationCancelled = 12017;

enum class ExchangeSlot { Root, Connection, Request };

template <BOOL(WINAPI* CloseFn)(void*)>
class ExchangeHandles {
public:
    ExchangeHandles() = default;
    ExchangeHandles(const ExchangeHandles&) = delete;
    ExchangeHandles& operator=(const ExchangeHandles&) = delete;
    ~ExchangeHandles() { CloseAll(); }

    // Takes `handle` into `slot`. False when the exchange was aborted meanwhile: the
    // handle is closed at once and the last error says "cancelled".
    bool Keep(ExchangeSlot slot, void* handle)
    {
        CriticalSectionLock lock(m_lock);
        if (m_aborted) {
            CloseFn(handle);
            SetLastError(kOperationCancelled);
            return false;
        }
        m_handles[static_cast<int>(slot)] = handle;
        return true;
    }

    // The handle in `slot`, null when none is open (never opened, closed or aborted).
    void* Get(ExchangeSlot slot)
    {
        CriticalSectionLock lock(m_lock);
        return m_handles[static_cast<int>(slot)];
    }

    bool Aborted()
    {
        CriticalSectionLock lock(m_lock);
        return m_aborted;
    }

    void Abort()
    {
        CriticalSectionLock lock(m_lock);
        m_aborted = true;
        CloseLocked();
    }

    // Closes what is open, for a new exchange on the same session.
    void CloseAll()
    {
        CriticalSectionLock lock(m_lock);
        CloseLocked();
    }

private:
    // A request belongs to its connection, and the connection to the root.
    void CloseLocked()
    {
        for (int slot = 2; slot >= 0; --slot) {
            if (m_handles[slot])
                CloseFn(m_handles[slot]);
            m_handles[slot] = nullptr;
        }
    }

    CriticalSection m_lock;
    void* m_handles[3] = {};
    bool m_aborted = false;
};
