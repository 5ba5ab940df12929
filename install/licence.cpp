// The licence link and the licence checkbox.
#include <windows.h>
#include <shellapi.h>

#include "lang/language.h"
#include "ui/main_dlg.h"

LRESULT CMainDlg::OnLicence(WORD, WORD, HWND, BOOL&)
{
    const std::wstring address = LoadLangString(L"STR_LICENCE_URL");
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof(execute);
    execute.lpVerb = L"open";
    execute.lpFile = address.c_str();
    execute.lpParameters = L"";
    execute.nShow = SW_SHOWNORMAL;
    ShellExecuteExW(&execute);
    return 0;
}

LRESULT CMainDlg::OnAgree(WORD, WORD, HWND, BOOL&)
{
    if (m_chkAgree.IsSelected())
        ShowWindow(m_hAgreeText, SW_HIDE);
    return 0;
}
