// The barrier at every place where the system calls the program on the thread of its
// windows (window and dialog procedures, the message loop's filters and idle
// handlers): an exception cannot unwind through the system's frames, so none may leave
// there. Memory running out is reported as any failure of a system resource is; any
// other exception is a program error and ends the process (the barrier is noexcept).
#pragma once

#include <windows.h>

#include <new>

class StartGate;

// The message posted when a handler runs out of memory: `message` with `wParam` and
// `lParam` to `window`; a null window reports nothing. Its box is decided the moment
// memory runs out, so `gate` (if any) closes then, not once the message is handled:
// nothing is started in between.
void SetOutOfMemoryReport(HWND window, UINT message, WPARAM wParam, LPARAM lParam, StartGate* gate = nullptr);
// Closes the gate and posts the report set, if any.
void ReportOutOfMemory();

// `body()`, or `failed` when it ran out of memory, which is then reported.
template <typename Result, typename Body>
Result CallGuarded(Result failed, Body&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        ReportOutOfMemory();
        return failed;
    }
}
