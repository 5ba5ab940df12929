// Folders the setup keeps for itself in places every user of the machine can write to.
// Another user may have made a folder of that name first, and kept a handle to it; so a
// folder is never taken over: it is made by the setup with its security given at
// creation, or it is checked through a handle opened on the folder itself (never
// through a link), and it is held open while it is used.
#pragma once

#include <windows.h>

#include <string>

#include "app/file_identity.h"
#include "app/folder_rules.h"
#include "app/handles.h"

// Administrators and SYSTEM have full control, of the folder and of all that is made
// in it; nothing is inherited from the shared folder above; Administrators own it.
inline constexpr wchar_t kAdminsOnlySddl[] = L"O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

// A folder that is the setup's own, held by a handle that lists it (FILE_LIST_DIRECTORY
// | SYNCHRONIZE) and shares reading and writing but not deletion: while it lives,
// nobody can rename, replace or delete the folder, and files can still be made,
// renamed and started inside it.
struct OwnFolder {
    UniqueHandle held;
    FileIdentity identity{};
};

enum class OwnFolderOutcome {
    Held,         // `folder` holds it
    UseEmbedded,  // a data folder that is not the setup's own: left as it is
    Failed,       // the last error says why
};

// Has the folder at `path` (a full path) be the setup's own, carrying kAdminsOnlySddl,
// as DecideFolder rules for `kind`: a missing one is made, one that is the setup's own
// is kept, and otherwise a data folder is left alone and a working folder is moved
// aside to a new name beside it (see AsideName) and made anew.
OwnFolderOutcome HoldOwnFolder(const std::wstring& path, FolderKind kind, OwnFolder& folder);

// What is at `path`, read through a handle opened on it without following a link.
FolderFacts ReadFolderFacts(const std::wstring& path);

// Deletes the folder at `path` if it is still the one the setup made (`identity`) and
// is empty; anything else is left where it is.
void RemoveOwnFolderIfEmpty(const std::wstring& path, const FileIdentity& identity);

// The volume and file index of an open file or folder; false with the last error set.
bool ReadFileIdentity(HANDLE handle, FileIdentity& identity);
