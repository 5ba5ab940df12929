#include "install/shell_token.h"

#include <vector>

namespace {

// True, with `elevated` set, when the token's elevation can be read.
bool ReadElevation(HANDLE token, bool& elevated)
{
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size))
        return false;
    elevated = elevation.TokenIsElevated != 0;
    return true;
}

std::wstring ImagePath(HANDLE process)
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD size = static_cast<DWORD>(buffer.size());
        if (QueryFullProcessImageNameW(process, 0, buffer.data(), &size))
            return std::wstring(buffer.data(), size);
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return {};
        buffer.resize(buffer.size() * 4);
    }
    return {};
}

// The process that shows the desktop; null when there is none or it cannot be opened.
UniqueHandle OpenShellProcess()
{
    const HWND window = GetShellWindow();
    DWORD processId = 0;
    if (window == nullptr || GetWindowThreadProcessId(window, &processId) == 0 || processId == 0)
        return {};
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process)
        process.reset(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
    return process;
}

}  // namespace

DesktopShellProcess OpenDesktopShellProcess()
{
    DesktopShellProcess shell;
    const UniqueHandle process = OpenShellProcess();
    if (!process)
        return shell;

    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(process.get(), TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY, &rawToken))
        return shell;
    const UniqueHandle token(rawToken);
    bool elevated = true;
    if (!ReadElevation(token.get(), elevated))
        return shell;
    if (elevated) {
        shell.kind = ShellToken::Elevated;
        return shell;
    }

    HANDLE rawPrimary = nullptr;
    if (!DuplicateTokenEx(token.get(),
                          TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY | TOKEN_ADJUST_DEFAULT |
                              TOKEN_ADJUST_SESSIONID,
                          nullptr, SecurityImpersonation, TokenPrimary, &rawPrimary))
        return shell;
    shell.token.reset(rawPrimary);
    shell.image = ImagePath(process.get());
    shell.kind = ShellToken::NotElevated;
    return shell;
}

UniqueHandle OpenDesktopUserToken()
{
    const UniqueHandle process = OpenShellProcess();
    HANDLE rawToken = nullptr;
    if (!process || !OpenProcessToken(process.get(), TOKEN_DUPLICATE | TOKEN_QUERY, &rawToken))
        return {};
    const UniqueHandle token(rawToken);
    HANDLE rawCopy = nullptr;
    if (!DuplicateTokenEx(token.get(), TOKEN_QUERY | TOKEN_IMPERSONATE, nullptr, SecurityImpersonation,
                          TokenImpersonation, &rawCopy))
        return {};
    return UniqueHandle(rawCopy);
}

OwnToken OwnTokenKind()
{
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &rawToken))
        return OwnToken::Unknown;
    const UniqueHandle token(rawToken);
    TOKEN_ELEVATION_TYPE type{};
    DWORD size = 0;
    if (!GetTokenInformation(token.get(), TokenElevationType, &type, sizeof(type), &size))
        return OwnToken::Unknown;
    switch (type) {
    case TokenElevationTypeDefault:
        return OwnToken::Default;
    case TokenElevationTypeFull:
        return OwnToken::Elevated;
    case TokenElevationTypeLimited:
        return OwnToken::Limited;
    }
    return OwnToken::Unknown;
}

bool StartWithToken(HANDLE token, const std::wstring& application, const std::wstring& commandLine,
                    const std::wstring& folder)
{
    // The call may write into the command line.
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    // No environment given: the new process gets one made from the token user's profile.
    if (!CreateProcessWithTokenW(token, 0, application.c_str(), line.data(), 0, nullptr,
                                 folder.empty() ? nullptr : folder.c_str(), &startup, &started))
        return false;
    const UniqueHandle thread(started.hThread), process(started.hProcess);
    return true;
}
