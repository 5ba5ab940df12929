// The engine's worker threads. Each is started through the dialog's WorkerThreads,
// touches no window, and ends by posting exactly one final notification to the
// dialog (none when the program is ending).
#pragma once

#include <windows.h>

#include <string>

#include "app/file_identity.h"
#include "app/handles.h"

// What the hand-off takes over from the dialog: the working folder, held from its
// creation until the installer's process exists, and which file the writer made.
struct HandoffTicket {
    UniqueHandle workingFolder;
    FileIdentity download{};
};

// What the size probe learns besides the size, for the ranges.
struct ProbeAnswer {
    std::wstring validator;  // for If-Range; empty when the server gave none to trust
};

// Asks the server for the installer's size and fills the ProbeAnswer it is given:
// WM_DOWN_SIZE, or WM_DOWN_BUSY or WM_DOWN_ERROR (kind 41).
unsigned __stdcall SizeProbeThread(void* answer);
// Fetches the missing bytes of one DownSegment: WM_DOWN_PROGRESS per read, then
// WM_DOWN_SEGMENT_DONE, WM_DOWN_BUSY, WM_DOWN_CHANGED or WM_DOWN_ERROR with the
// segment's index.
unsigned __stdcall SegmentThread(void* segment);
// Appends one DownSegment to the temporary file and flushes it: WM_DOWN_SEGMENT_WRITTEN
// or WM_DOWN_ERROR (kind 42).
unsigned __stdcall SegmentWriterThread(void* segment);
// Takes the HandoffTicket, checks that the finished download is the file the writer
// made, renames it to the installer, runs it in the working folder and waits, deletes
// it: WM_DOWN_PROGRESS 90 and 100, then WM_DOWN_FINISHED; or WM_DOWN_ERROR, also when
// the installer reports failure with its exit code (kind 42, that code).
unsigned __stdcall HandoffThread(void* ticket);

// Posts a notification to the main dialog.
void PostToDialog(UINT message, WPARAM wParam, LPARAM lParam);
