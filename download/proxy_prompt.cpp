// Asking the user for the name and password a proxy wants: Windows' own credential
// prompt, once for the whole download, owned by the window.
#include <windows.h>
#include <wincred.h>

#include <string>

#include "download/download_address.h"
#include "download/download_state.h"
#include "download/proxy_settings.h"
#include "lang/language.h"
#include "ui/main_dlg.h"

namespace {

// Wine's prompt puts the target's name in front of a name typed without a domain,
// as it would for a Windows account; a proxy wants the name as typed.
std::wstring AsTyped(const std::wstring& user, const std::wstring& target)
{
    const std::wstring prefix = target + L"\\";
    return user.compare(0, prefix.size(), prefix) == 0 ? user.substr(prefix.size()) : user;
}

// Overwrites a buffer that held a password before it is given back.
void Wipe(wchar_t* buffer, std::size_t count)
{
    SecureZeroMemory(buffer, count * sizeof(wchar_t));
}

}  // namespace

bool CMainDlg::AskProxyCredentials()
{
    // Only a proxy of the user's own options gets asked for: a 407 from anyone else
    // (a server reached directly) would only fish for a password.
    const std::wstring proxy = m_proxy.For(MakeHttpTarget(g_downHost, g_downPath, g_downSecure));
    if (proxy.empty())
        return false;
    // The question must be seen: a window put away in the notification area comes back.
    if (m_trayIconShown) {
        ShowWindow(m_hWnd, SW_SHOWNORMAL);
        RemoveTrayIcon();
    }
    const std::wstring caption = LoadLangString(L"STR_PROJECT_NAME");
    CREDUI_INFOW info{};
    info.cbSize = sizeof(info);
    info.hwndParent = m_hWnd;
    info.pszCaptionText = caption.empty() ? nullptr : caption.c_str();
    // Sized by the prompt's own limits.
    wchar_t user[CREDUI_MAX_USERNAME_LENGTH + 1] = {};
    wchar_t password[CREDUI_MAX_PASSWORD_LENGTH + 1] = {};
    BOOL save = FALSE;
    // Generic: the name and password of the proxy, not of a Windows account. Never
    // saved: the answer lives in this process's memory only, and goes with it.
    const DWORD result = CredUIPromptForCredentialsW(
        &info, proxy.c_str(), nullptr, 0, user, CREDUI_MAX_USERNAME_LENGTH + 1, password,
        CREDUI_MAX_PASSWORD_LENGTH + 1, &save,
        CREDUI_FLAGS_GENERIC_CREDENTIALS | CREDUI_FLAGS_ALWAYS_SHOW_UI | CREDUI_FLAGS_DO_NOT_PERSIST |
            CREDUI_FLAGS_EXCLUDE_CERTIFICATES);
    // A prompt that could not be shown at all gives no name either.
    if (result != NO_ERROR || user[0] == L'\0') {
        Wipe(password, CREDUI_MAX_PASSWORD_LENGTH + 1);
        return false;
    }
    m_proxy.StoreCredentials({AsTyped(user, proxy), password});
    Wipe(password, CREDUI_MAX_PASSWORD_LENGTH + 1);
    return true;
}
