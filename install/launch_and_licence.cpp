// The licence link and checkbox, and starting the installed product.
#include <windows.h>
#include <shellapi.h>

#include "download/download_files.h"
#include "install/desktop_shell.h"
#include "install/install_folder.h"
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

// A browser or product started by this elevated process would run with administrator
// rights and expose them to every page and file it opens: the desktop shell starts it
// as the signed-in user instead, in this process's current folder. Only where no
// desktop shell can be asked is it started directly.
void OpenWithShell(const std::wstring& file)
{
    wchar_t folder[MAX_PATH] = {};
    const DWORD length = GetCurrentDirectoryW(MAX_PATH, folder);
    if (!OpenFromDesktopShell(file, length > 0 && length < MAX_PATH ? folder : L""))
        ShellExecuteDirect(file);
}

}  // namespace

LRESULT CMainDlg::OnLicence(WORD, WORD, HWND, BOOL&)
{
    OpenWithShell(LoadLangString(L"STR_LICENCE_URL"));
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
    OpenWithShell(executable);
    CloseAndQuit(1000);
    return 0;
}
