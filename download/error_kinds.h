// What a failure report (WM_DOWN_ERROR) carries besides a segment index, and the
// retry budget. No windows.h here.
#pragma once

// Kinds of failure besides a segment index (0 to 39); 40 is never used.
inline constexpr long DOWN_ERR_SIZE_PROBE = 41;  // the size probe failed; it can be restarted
inline constexpr long DOWN_ERR_SYSTEM = 42;      // a file, folder, process or resource failed; fatal
inline constexpr long DOWN_ERR_URL = 43;         // the address names no plain file; fatal

// A failure is restarted at once while the retry count is at most this: 41 restarts
// in a row without a byte arriving in between.
inline constexpr int MAX_QUICK_RETRIES = 40;

// Windows error codes the engine reports itself, for the plain code that has no
// windows.h.
inline constexpr unsigned long kErrorNotEnoughMemory = 8;  // ERROR_NOT_ENOUGH_MEMORY
inline constexpr unsigned long kErrorInvalidData = 13;     // ERROR_INVALID_DATA
inline constexpr unsigned long kErrorHandleEof = 38;       // ERROR_HANDLE_EOF
// The HTTP status of a proxy that wants credentials ("Proxy Authentication Required"),
// reported as a request's code.
inline constexpr unsigned long kHttpProxyAuthRequired = 407;

// The three message boxes a fatal failure can end in.
enum class ErrorBox { Url, System, Network };
