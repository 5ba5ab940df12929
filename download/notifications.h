// The private messages by which worker threads (and the image loader) report to the
// main dialog, and the error kinds that WM_DOWN_ERROR carries.
#pragma once

#include <windows.h>

#include "download/error_kinds.h"

inline constexpr UINT WM_TRAYICON = WM_USER + 100;              // 1124, from the shell
inline constexpr UINT WM_DOWN_PROGRESS = WM_USER + 200;         // 1224
inline constexpr UINT WM_DOWN_SIZE = WM_USER + 201;             // 1225
inline constexpr UINT WM_DOWN_SEGMENT_DONE = WM_USER + 202;     // 1226
inline constexpr UINT WM_DOWN_ERROR = WM_USER + 203;            // 1227
inline constexpr UINT WM_DOWN_FINISHED = WM_USER + 204;         // 1228
inline constexpr UINT WM_DOWN_SEGMENT_WRITTEN = WM_USER + 205;  // 1229
// A worker's final report that the server is busy (503, 429): wParam the packed
// BusyAnswer, lParam a segment index or DOWN_ERR_SIZE_PROBE.
inline constexpr UINT WM_DOWN_BUSY = WM_USER + 206;             // 1230
// A segment worker's final report that the file changed on the server: wParam the
// status of the answer, lParam the segment index.
inline constexpr UINT WM_DOWN_CHANGED = WM_USER + 207;          // 1231
// Posted by the dialog to itself once the workers of a dropped download have ended:
// everything they reported lies before it.
inline constexpr UINT WM_DOWN_START_OVER = WM_USER + 208;       // 1232
