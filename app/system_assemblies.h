// Which side-by-side binding the program accepts: its own manifest as the root, and
// assemblies of the system's own folders only. No windows.h here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// What the loader bound the program to, as read from its activation context. What
// could not be read is left empty: it is not known, which is no finding.
struct BoundAssemblies {
    // The manifests the context was made from (the context's root and its first
    // assembly): the program's own file, unless someone's manifest took its place.
    std::vector<std::wstring> rootManifests;
    // Manifests, publisher policies, folders and files of every other assembly.
    std::vector<std::wstring> paths;
};

// Whether `bound` shows something not the system's: a root manifest that is not
// `program` itself, or a path that does not lie inside one of `systemFolders` (the
// folder itself excluded: it starts with the folder, compared without regard to ASCII
// case, and goes on with a separator; a "." or ".." step is refused whatever it
// starts with; a leading "\\?\" is read past). Empty entries are unknown and pass.
bool HasForeignBinding(const BoundAssemblies& bound, std::wstring_view program,
                       const std::vector<std::wstring>& systemFolders);
