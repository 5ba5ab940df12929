// The licence link and checkbox, and starting the installed product.
#include <windows.h>
#include <shellapi.h>

#include "download/download_files.h"
#include "install/install_folder.h"
#include "lang/language.h"
#include "ui/main_dlg.h"

namespace {

// Opens a document or starts a program the way the shell does; whether it worked is
// not reported.
void OpenWithShell(const std::wstring& file)
{
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof(execute);
    execute.lpVerb = L"open";
    execute.lpFile = file.c_str();
    execute.lpParameters = L"";
    execute.nShow = SW_SHOWNORMAL;
    ShellExecuteExW(&execute);
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
