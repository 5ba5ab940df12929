// The finished download, held from its last write until the installer has started
// from it, so that nobody can change or swap it in between.
#pragma once

#include <windows.h>

#include <string>

#include "app/file_identity.h"
#include "app/handles.h"

// Opens `path` for reading and for renaming, sharing only reading: while the handle
// lives nobody can write, delete or rename the file. Invalid on failure (last error).
UniqueHandle HoldFile(const std::wstring& path);

// Gives the held file the name `newPath` (an existing file of that name is not
// replaced). False on failure, with the last error set.
bool RenameHeldFile(HANDLE file, const std::wstring& newPath);

// Marks the held file for deletion: it goes when the handle is closed, and nobody can
// open it in between. False on failure, with the last error set.
bool DeleteHeldFile(HANDLE file);

// 0 when the held file is `made` (the file the writer created), ERROR_FILE_INVALID when
// it is another one put in its place, or the error that kept it from being read.
DWORD CheckHeldFileIdentity(HANDLE file, const FileIdentity& made);
