// Whether the program may still start another program. Once a fatal error box is
// decided, or the program begins to end, it may not; and a start that has begun
// finishes before the gate can close. The box is decided on the thread of the windows
// while the installer is started on the hand-off's thread, so both go through one lock.
#pragma once

#include <windows.h>

#include "app/handles.h"

class StartGate {
public:
    // From now on nothing passes; waits for a start that is passing.
    void Close()
    {
        CriticalSectionLock lock(m_lock);
        m_closed = true;
    }

    // Runs `start` and returns true while the gate is open; false, without running
    // it, once it has closed.
    template <class Start>
    bool Pass(Start&& start)
    {
        CriticalSectionLock lock(m_lock);
        if (m_closed)
            return false;
        start();
        return true;
    }

private:
    CriticalSection m_lock;
    bool m_closed = false;
};
