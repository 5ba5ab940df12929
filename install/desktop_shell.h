// Opening a document or starting a program as the signed-in user, not with this
// process's administrator rights: the desktop shell, which runs unelevated, does it.
#pragma once

#include <string>

// Has the desktop shell open `file` with the verb "open" in `folder` (empty: the
// shell's choice). False when the desktop shell offers no way to ask it (none running,
// or one without a scripting interface); then nothing was started.
bool OpenFromDesktopShell(const std::wstring& file, const std::wstring& folder);
