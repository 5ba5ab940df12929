// The installer's only window: a borderless modeless dialog that carries every control.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <optional>
#include <vector>

#include "app/dialog_impl.h"
#include "app/handles.h"
#include "app/message_loop.h"
#include "app/message_map.h"
#include "app/start_gate.h"
#include "controls/down_progress_bar.h"
#include "controls/owner_draw_button.h"
#include "controls/path_edit.h"
#include "controls/png_image.h"
#include "controls/select_state_button.h"
#include "download/download_engine.h"
#include "download/download_threads.h"
#include "download/error_report.h"
#include "download/notifications.h"
#include "download/proxy_settings.h"
#include "download/worker_threads.h"
#include "res/resource.h"
#include "ui/dialog_layout.h"

enum DialogState : int {
    STATE_SETUP = 0,
    STATE_DOWNLOADING = 1,
    STATE_FINISHED = 2,
};

inline constexpr UINT_PTR IDT_BANNER = 3395;
// The engine's waits for a busy server.
inline constexpr UINT_PTR IDT_WAKE = 3396;

class CMainDlg : public CDialogImpl<CMainDlg>, public CMessageFilter, public CIdleHandler, private EngineEffects {
public:
    enum { IDD = IDD_MAINDLG };

    ~CMainDlg() override;

    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnIdle() override;

    BEGIN_MSG_MAP(CMainDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_CLOSE, OnClose)
        MESSAGE_HANDLER(WM_NCHITTEST, OnNcHitTest)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnCtlColorStatic)
        MESSAGE_HANDLER(WM_DPICHANGED, OnDpiChanged)
        COMMAND_ID_HANDLER(IDC_BTN_CLOSE, OnCloseButton)
        COMMAND_ID_HANDLER(IDC_BTN_MINIMIZE, OnMinimize)
        COMMAND_ID_HANDLER(IDC_BTN_INSTALL, OnInstall)
        COMMAND_ID_HANDLER(IDC_CHK_AGREE, OnAgree)
        COMMAND_ID_HANDLER(IDC_BTN_LICENCE, OnLicence)
        COMMAND_ID_HANDLER(IDC_BTN_CUSTOMIZE, OnCustomize)
        COMMAND_ID_HANDLER(IDC_BTN_BROWSE, OnBrowse)
        COMMAND_ID_HANDLER(IDC_BTN_HIDE, OnHide)
        COMMAND_ID_HANDLER(IDC_BTN_LAUNCH, OnLaunch)
        COMMAND_ID_HANDLER(IDCANCEL, OnEscape)
        MESSAGE_HANDLER(WM_TRAYICON, OnTrayIcon)
        MESSAGE_HANDLER(WM_DOWN_PROGRESS, OnDownProgress)
        MESSAGE_HANDLER(WM_DOWN_SIZE, OnDownSize)
        MESSAGE_HANDLER(WM_DOWN_SEGMENT_DONE, OnSegmentDone)
        MESSAGE_HANDLER(WM_DOWN_ERROR, OnDownError)
        MESSAGE_HANDLER(WM_DOWN_FINISHED, OnDownFinished)
        MESSAGE_HANDLER(WM_DOWN_SEGMENT_WRITTEN, OnSegmentWritten)
        MESSAGE_HANDLER(WM_DOWN_BUSY, OnDownBusy)
        MESSAGE_HANDLER(WM_DOWN_CHANGED, OnDownChanged)
        MESSAGE_HANDLER(WM_DOWN_START_OVER, OnDownStartOver)
        REFLECT_NOTIFICATIONS()
    END_MSG_MAP()

    // The one way the program ends: releases the dialog's images, destroys the
    // window and posts the quit message carrying `exitCode`.
    void CloseAndQuit(int exitCode);

    // Puts g_strInstallPath into the path field; beeps and focuses the field if that fails.
    void ShowInstallPath();
    // Reads the path field into g_strInstallPath and falls back to the default
    // folder when nothing of that name exists.
    void ResolveInstallPath();

    int m_state = STATE_SETUP;

    // For the workers: where they post (the dialog's window, kept after it is
    // destroyed so that a late post simply fails), and the set that owns them.
    HWND NotifyWindow() const { return m_notifyWindow; }
    WorkerThreads& Workers() { return m_workers; }
    // What the hand-off passes to start the installer; a fatal box and the program's
    // end close it.
    StartGate& Starts() { return m_starts; }
    // The download's one proxy decision and the credentials typed for it, which every
    // request of either interface uses.
    DownloadProxy& Proxy() { return m_proxy; }

private:
    // Start-up and shut-down.
    LRESULT OnInitDialog(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    bool LoadDialogImages();
    // Loads a skin picture in both densities; a failure to load one that is there is
    // reported as a system error.
    bool LoadSkinImage(WORD id, SkinPicture& slot);
    bool SetUpControls();
    // Loads `imageIds`, hands the button the list `order` picks from them, attaches
    // the button to control `id` and puts it in place; false when an image is missing.
    // `name` is the words the picture shows, the button's window text for screen readers.
    bool SkinButton(CSkinnedButton& button, int id, const wchar_t* name, std::initializer_list<WORD> imageIds,
                    std::initializer_list<int> order, bool visible);
    void CenterOnWorkArea();
    void SetIcons();
    // Puts control `id` at its place for the window's DPI, shown or hidden.
    void PlaceControl(int id, bool visible);

    // The display's density: everything on the window is laid out in 96-DPI units and
    // scaled by the window's DPI.
    LRESULT OnDpiChanged(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    int Scaled(int units) const { return ScaleToDpi(units, m_dpi); }
    // The window's height now, in 96-DPI units: the custom area open or not.
    int HeightUnits();
    // Sizes the window for the DPI and the layout, keeping its top-left corner.
    void SizeWindow();
    // Moves every control to its place, and gives the controls the pictures, the font
    // and the corners for the window's DPI.
    void LayOutForDpi();
    void MoveControls();
    void ApplyFont();
    void ApplyButtonImages();
    void RoundProgressCorners();

    // Chrome and painting.
    LRESULT OnPaint(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnNcHitTest(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnTimer(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnCtlColorStatic(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    void PaintPathFrame(Gdiplus::Graphics& graphics);

    // The keyboard.
    void ArrangeTabOrder();
    void HideFocusCuesUntilKeyboardUse();
    // The path field and Browse can be used only while the custom area is open.
    void EnableCustomArea(bool open);
    // Gives `id` the keyboard focus if this window is the active one.
    void MoveFocusTo(int id);
    LRESULT OnEscape(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);

    // Close and minimise.
    LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnCloseButton(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnMinimize(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);

    // Install flow.
    LRESULT OnInstall(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnAgree(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnLicence(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnCustomize(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnBrowse(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnLaunch(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    // False when the user gave up while the product was running (the installer is
    // closing then).
    bool CheckRunningProduct(const std::wstring& imageName);
    void EnterDownloadingLayout();

    // Notification-area icon.
    LRESULT OnHide(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
    LRESULT OnTrayIcon(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    void PrepareTrayIcon();
    void RemoveTrayIcon();

    // Download notifications.
    LRESULT OnDownProgress(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDownSize(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnSegmentDone(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnSegmentWritten(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDownError(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDownBusy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDownChanged(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDownStartOver(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    bool OpenTempFile();
    // Closes and deletes a download that never reached the installer.
    void DiscardTempFile();
    // Lets go of the working folder and removes it if it is the one this run made and
    // nothing is left in it.
    void RemoveWorkingFolder();

    // What the engine decides, done with threads and messages.
    void StartSegmentWorker(DownSegment& segment) override;
    void StartSegmentWriter(DownSegment& segment) override;
    void StartHandoff() override;
    void PostSegmentDone(int index) override;
    void PostError(unsigned long code, long kind) override;
    void ShowProgress(int percentage) override;
    void CloseTempFile() override;
    void StartSizeProbe() override;
    void SwitchToWinHttp() override;
    bool AskProxyCredentials() override;
    void ShowFatalError(ErrorBox box, unsigned long code) override;
    std::uint64_t NowMs() override;
    void WakeAfter(std::optional<std::uint32_t> ms) override;
    bool StopWorkers() override;
    void PostStartOver() override;
    LRESULT OnDownFinished(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

    COwnerDrawButton m_btnClose;
    COwnerDrawButton m_btnMinimize;
    COwnerDrawButton m_btnInstall;
    COwnerDrawButton m_btnBrowse;
    CSelectStateButton m_chkAgree;
    CSelectStateButton m_btnLicence{AccessibleKind::Link};
    CSelectStateButton m_btnCustomize{AccessibleKind::Disclosure};
    COwnerDrawButton m_btnHide;
    COwnerDrawButton m_btnLaunch;
    CDownProgressBarCtrl m_progress;
    CEditImpl m_editPath;
    HWND m_hAgreeText = nullptr;
    HWND m_hPercentText = nullptr;

    SkinPicture m_imgLogo;
    SkinPicture m_imgProduct;
    SkinPicture m_imgPathFrame;
    std::vector<SkinPicture> m_banners;
    const SkinPicture* m_curBanner = nullptr;
    // The pictures handed to the controls; they live as long as the controls.
    std::vector<ImagePtr> m_controlImages;
    // Each skinned button's picture lists in the two densities; the one for the
    // window's DPI is the button's.
    struct ButtonFaces {
        CSkinnedButton* button;
        ImageList normal;
        ImageList dense;
    };
    std::vector<ButtonFaces> m_buttonFaces;
    int m_dpi = kBaseDpi;
    // The template's font made for the window's DPI, for the texts and the path field.
    UniqueGdiObject<HFONT> m_font;

    UniqueIcon m_iconLarge;
    UniqueIcon m_iconSmall;
    UniqueIcon m_trayIcon;
    NOTIFYICONDATAW m_nid{};
    bool m_trayIconShown = false;

    DownloadEngine m_engine{*this, g_errorShown, GetTickCount()};
    // Filled by the size probe before it reports the size: what the ranges check.
    ProbeAnswer m_probeAnswer;
    std::wstring m_tempPath;
    // Taken over by the hand-off's thread once it starts.
    HandoffTicket m_handoff;
    std::optional<FileIdentity> m_workingFolderIdentity;
    HWND m_notifyWindow = nullptr;
    // Before the workers: the hand-off passes it until it has ended.
    StartGate m_starts;
    // Before the workers: their sessions ask it until they end.
    DownloadProxy m_proxy;
    // After the engine: the workers end before the buffers they fill go.
    WorkerThreads m_workers;
};

// The running dialog, for the worker threads that post to it; set at initialisation.
extern CMainDlg* g_pMainDlg;
