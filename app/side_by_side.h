// Which assemblies the loader has bound the program to: a configuration file or an
// external manifest planted beside the executable can point the common controls or
// GDI+ at a private copy in that folder, chosen when the process starts, before and
// whatever the DLL search restriction.
#pragma once

#include <windows.h>

// Whether the activation context `context` (null: the process's default one, made
// from the program's manifest and whatever lies beside it) shows a binding that is not
// the system's: a root manifest other than the program itself, or an assembly's
// manifest, publisher policy, folder or file outside the system's side-by-side store
// and system folders. Only what could be read counts: a query that fails is no finding.
bool HasForeignAssembly(HANDLE context);
