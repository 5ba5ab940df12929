// The Install button.
#include "lang/language.h"
#include "ui/main_dlg.h"

LRESULT CMainDlg::OnInstall(WORD, WORD, HWND, BOOL&)
{
    if (!m_chkAgree.IsSelected()) {
        // Besides the box, the red reminder under the checkbox says what is missing
        // until the box is ticked.
        ShowWindow(m_hAgreeText, SW_SHOW);
        MessageBoxW(m_hWnd, LoadLangString(L"STR_AGREE_INSTALL").c_str(), LoadLangString(L"STR_SOFT_TIP").c_str(),
                    MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    return 0;
}
