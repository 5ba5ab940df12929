// The installer's only window: a borderless modeless dialog that carries every control.
#pragma once

#include <windows.h>

#include "app/handles.h"
#include "app/message_loop.h"
#include "res/resource.h"
#include "ui/dialog_impl.h"
#include "ui/dialog_layout.h"
#include "ui/message_map.h"

enum DialogState : int {
    STATE_SETUP = 0,
    STATE_DOWNLOADING = 1,
    STATE_FINISHED = 2,
};

class CMainDlg : public CDialogImpl<CMainDlg>, public CMessageFilter, public CIdleHandler {
public:
    enum { IDD = IDD_MAINDLG };

    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnIdle() override;

    BEGIN_MSG_MAP(CMainDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_CLOSE, OnClose)
        COMMAND_ID_HANDLER(IDC_BTN_CLOSE, OnCloseButton)
        COMMAND_ID_HANDLER(IDC_BTN_MINIMIZE, OnMinimize)
        REFLECT_NOTIFICATIONS()
    END_MSG_MAP()

    // The one way the program ends: releases the dialog's images, destroys the
    // window and posts the quit message carrying `exitCode`.
    void CloseAndQuit(int exitCode);

    // Puts g_strInstallPath into the path field; beeps and focuses the field if that fails.
    void ShowInstallPath();

    int m_state = STATE_SETUP;

private:
    LRESULT OnInitDialog(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnCloseButton(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnMinimize(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);

    void CenterOnWorkArea();
    void SetIcons();
    void PlaceControl(int id, const ControlRect& rect, bool visible);

    HWND m_hAgreeText = nullptr;
    HWND m_hPercentText = nullptr;
    UniqueIcon m_iconLarge;
    UniqueIcon m_iconSmall;
};

// The running dialog, for the worker threads that post to it; set at initialisation.
extern CMainDlg* g_pMainDlg;
