// Starting the downloaded installer again when something else holds it. A virus
// scanner opens a new executable the moment it is renamed, and the start then fails
// with a sharing violation or access denied until the scan is over. No windows.h here.
#pragma once

// How long starting the installer is tried again, from the first try.
inline constexpr unsigned long kStartRetryWindowMs = 10000;
// The pause between two tries.
inline constexpr unsigned long kStartRetryPauseMs = 200;

// The pause before trying again after a start failed with `error`, `elapsedMs` after
// the first try; 0: the failure stands.
unsigned long StartRetryPause(unsigned long error, unsigned long elapsedMs);
