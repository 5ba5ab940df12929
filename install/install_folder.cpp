// The install folder: its global, the custom-install area that shows it, the folder
// browser, and how the typed text becomes the folder.
#include "install/install_folder.h"

#include <windows.h>
#include <shlobj.h>

#include <io.h>

#include "app/app_module.h"
#include "app/path_text.h"
#include "app/shell_folder.h"
#include "lang/language.h"
#include "ui/main_dlg.h"

std::wstring g_strInstallPath;

LRESULT CMainDlg::OnCustomize(WORD, WORD, HWND, BOOL&)
{
    // The path row lies below the collapsed height: growing the window shows it.
    // Enabled before the area shows and disabled once it is gone, so that the field is
    // never seen greyed.
    const bool open = m_btnCustomize.IsSelected();
    if (open)
        EnableCustomArea(true);
    SizeWindow();
    if (!open)
        EnableCustomArea(false);
    return 0;
}

LRESULT CMainDlg::OnBrowse(WORD, WORD, HWND, BOOL&)
{
    wchar_t displayName[MAX_PATH] = {};
    const std::wstring title = LoadLangString(L"STR_SELECT_FOLDER");
    BROWSEINFOW browse{};
    browse.hwndOwner = m_hWnd;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = title.c_str();
    browse.ulFlags = BIF_EDITBOX;

    const LPITEMIDLIST chosen = SHBrowseForFolderW(&browse);
    if (!chosen)
        return 0;
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(chosen, path))
        path[0] = L'\0';  // a virtual folder has no file-system path
    CoTaskMemFree(chosen);
    g_strInstallPath = path;
    ShowInstallPath();
    return 0;
}

namespace {

// A relative text means a folder of where the user started the setup (a Downloads
// folder, say), not of the system folder the setup stands in since: the existence
// test, the installer and the launch all get that one folder, as a full path. A full
// path is kept exactly as typed.
std::wstring WholeInstallPath(const std::wstring& text)
{
    if (text.empty() || IsFullPath(text))
        return text;
    // Folds the "." and ".." steps. The path is whole already, so the current folder
    // plays no part; only one relative to another drive is read from that drive's own.
    const std::wstring whole = AgainstFolder(text, g_module.LaunchFolder());
    std::wstring folded(GetFullPathNameW(whole.c_str(), 0, nullptr, nullptr), L'\0');
    const DWORD length =
        folded.empty() ? 0 : GetFullPathNameW(whole.c_str(), static_cast<DWORD>(folded.size()), folded.data(), nullptr);
    if (length == 0 || length >= folded.size())
        return whole;
    folded.resize(length);
    return folded;
}

}  // namespace

void CMainDlg::ResolveInstallPath()
{
    const HWND field = GetDlgItem(m_hWnd, IDC_EDIT_PATH);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(field, text.data(), static_cast<int>(text.size()))));
    g_strInstallPath = WholeInstallPath(text);
    // A folder or file of that name keeps the text as typed (made whole, if relative);
    // anything else (a new folder name, an empty field) gives the default folder.
    if (g_strInstallPath.empty() || _waccess(g_strInstallPath.c_str(), 0) != 0)
        g_strInstallPath = GetShellFolderPath(CSIDL_PROGRAM_FILESX86);
}
