// The tokens Start Now and the licence link choose between when the desktop shell's
// dispatch cannot be had: the desktop shell process's, and this process's own.
#pragma once

#include <windows.h>

#include <string>

#include "app/handles.h"
#include "install/start_route.h"

// The process that shows the desktop: a primary copy of its token, what that token is,
// and the path of the program it runs. `token` is null unless `kind` is NotElevated.
struct DesktopShellProcess {
    ShellToken kind = ShellToken::Unavailable;
    UniqueHandle token;
    std::wstring image;
};
DesktopShellProcess OpenDesktopShellProcess();

// A token to impersonate the desktop's user with, elevated or not: the user whose
// settings (such as the Internet options) this session is meant to follow. Null when
// the desktop shell cannot be found or opened.
UniqueHandle OpenDesktopUserToken();

// This process's token by its elevation type.
OwnToken OwnTokenKind();

// Starts `application` with `commandLine` as the user of `token`, in `folder` (empty:
// the new process's default). False when it did not start.
bool StartWithToken(HANDLE token, const std::wstring& application, const std::wstring& commandLine,
                    const std::wstring& folder);
