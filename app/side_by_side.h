// Which assemblies the loader has bound the program to: a configuration file or an
// external manifest planted beside the executable can point the common controls or
// GDI+ at a private copy in that folder, chosen when the process starts, before and
// whatever the DLL search restriction.
#pragma once

#include <windows.h>

// Whether every assembly of the activation context `context` (null: the process's
// default one, made from the program's manifest and whatever lies beside it), other
// than the program's own root, lies in the Windows folder, its manifest and any
// publisher policy alike. False also when the context cannot be read.
bool OnlySystemAssemblies(HANDLE context);
