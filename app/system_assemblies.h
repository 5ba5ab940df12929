// Which side-by-side assemblies the program accepts: only the system's own. No
// windows.h here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Whether every path lies inside `windowsFolder` (the folder itself excluded): it
// starts with the folder, compared without regard to case, and goes on with a
// separator. A path that is empty or has a "." or ".." step is refused, whatever it
// starts with; a leading "\\?\" is read past on both sides. Letters beyond ASCII
// are compared exactly, so a difference of case there refuses rather than admits.
bool AllInsideFolder(const std::vector<std::wstring>& paths, std::wstring_view windowsFolder);
