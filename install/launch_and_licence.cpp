// The licence link and checkbox, and starting the installed product.
#include <windows.h>
#include <shellapi.h>

#include "download/download_files.h"
#include "install/desktop_shell.h"
#include "install/install_folder.h"
#include "install/shell_token.h"
#include "install/start_route.h"
#include "lang/language.h"
#include "ui/main_dlg.h"

namespace {

// Opens a document or starts a program the way the shell does; whether it worked is
// not reported.
void ShellExecuteDirect(const std::wstring& file)
{
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof(execute);
    execute.lpVerb = L"open";
    execute.lpFile = file.c_str();
    execute.lpParameters = L"";
    execute.nShow = SW_SHOWNORMAL;
    ShellExecuteExW(&execute);
}

// What is opened: the product's program, or an address for the user's browser.
enum class Opened { Program, Address };

// Without the desktop shell's dispatch, a copy of the shell's own token starts the
// product, or the shell's own program with the address, which opens it as a
// double-click would. False when it did not start.
bool StartWithShellToken(const DesktopShellProcess& shell, const std::wstring& file, Opened what,
                         const std::wstring& folder)
{
    // A quote inside would end the argument early and let the rest pass as more.
    if (file.find(L'"') != std::wstring::npos)
        return false;
    const std::wstring quoted = L"\"" + file + L"\"";
    if (what == Opened::Program)
        return StartWithToken(shell.token.get(), file, quoted, folder);
    if (shell.image.empty())
        return false;
    return StartWithToken(shell.token.get(), shell.image, L"\"" + shell.image + L"\" " + quoted, folder);
}

// A browser or product started by this elevated process would run with administrator
// rights and expose them to every page and file it opens: the desktop shell starts it
// as the signed-in user instead, in this process's current folder. Where the shell's
// dispatch cannot be had, the shell's token is borrowed; this process's own token is
// used only where it is no elevated one. Otherwise nothing starts.
void OpenAsSignedInUser(const std::wstring& file, Opened what)
{
    wchar_t current[MAX_PATH] = {};
    const DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
    const std::wstring folder = length > 0 && length < MAX_PATH ? current : L"";
    const bool dispatched = OpenFromDesktopShell(file, folder);
    const OwnToken own = OwnTokenKind();
    const DesktopShellProcess shell = dispatched ? DesktopShellProcess{} : OpenDesktopShellProcess();
    StartRoute route = ChooseStartRoute(dispatched, shell.kind, own);
    if (route == StartRoute::WithShellToken) {
        if (StartWithShellToken(shell, file, what, folder))
            return;
        route = ChooseStartRoute(false, ShellToken::Unavailable, own);
    }
    if (route == StartRoute::WithOwnToken)
        ShellExecuteDirect(file);
}

}  // namespace

LRESULT CMainDlg::OnLicence(WORD, WORD, HWND, BOOL&)
{
    OpenAsSignedInUser(LoadLangString(L"STR_LICENCE_URL"), Opened::Address);
    return 0;
}

LRESULT CMainDlg::OnAgree(WORD, WORD, HWND, BOOL&)
{
    if (m_chkAgree.IsSelected())
        ShowWindow(m_hAgreeText, SW_HIDE);
    return 0;
}

LRESULT CMainDlg::OnLaunch(WORD, WORD, HWND, BOOL&)
{
    const std::wstring company = LoadLangString(L"STR_COMPANY_NAME");
    const std::wstring project = LoadLangString(L"STR_PROJECT_NAME");
    const std::wstring executable =
        ProductExecutable(g_strInstallPath, company, project, LoadLangString(L"STR_PROCESS_NAME"));
    // The product starts in the installer's current folder; if its own folder is
    // missing, it stays what it was.
    SetCurrentDirectoryW(ProductWorkingFolder(g_strInstallPath, company, project).c_str());
    OpenAsSignedInUser(executable, Opened::Program);
    CloseAndQuit(1000);
    return 0;
}
