// The pixel density the window is shown at, on every Windows from 7 on: the newer
// functions are looked up when the program runs.
#pragma once

#include <windows.h>

// The DPI of the monitor `window` is on where Windows tells it (per monitor from 8.1),
// else the system's; 96 where nothing answers.
int WindowDpi(HWND window);

// Tells the dialog manager to leave a DPI change to the program, which lays the window
// out itself (Windows 10 1703 on; nothing elsewhere).
void LeaveDpiChangesToProgram(HWND dialog);

// GetSystemMetrics for `dpi` (an icon's size, say), on Windows that only answer for the
// system's DPI scaled from there.
int SystemMetricForDpi(int index, int dpi);
