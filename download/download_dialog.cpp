// The dialog's side of the download: the notifications from the workers, handed to
// the engine, and the engine's decisions carried out with threads and messages.
#include <windows.h>
#include <commctrl.h>

#include "app/number_text.h"
#include "app/own_folder.h"
#include "download/download_files.h"
#include "download/download_state.h"
#include "download/download_threads.h"
#include "download/http_session.h"
#include "download/http_timeout.h"
#include "lang/language.h"
#include "ui/main_dlg.h"

LRESULT CMainDlg::OnDownSize(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    // A run a fatal failure has condemned makes no file and fetches nothing more.
    if (g_errorShown > 0)
        return 0;
    if (g_tempFile == INVALID_HANDLE_VALUE && !OpenTempFile())
        return 0;
    // WinINet takes its per-server limit only for the whole process; without it only
    // a few of the 40 ranges would run at a time.
    RaiseProcessConnectionLimit();
    m_engine.Plan(static_cast<std::uint32_t>(lParam));
    return 0;
}

bool CMainDlg::OpenTempFile()
{
    const auto stem = DownloadStem(LoadLangString(L"STR_DOWN_URL"));
    if (!stem) {
        PostError(0, DOWN_ERR_URL);
        return false;
    }
    const std::wstring folder = WorkingFolder(g_downloadBase);
    const std::wstring path = TempFilePath(g_downloadBase, *stem);
    // The folder lies in the all-users Documents folder, where anyone may have made one
    // of that name first: it is the setup's own, or it is moved aside and made anew,
    // and it is held from here until the installer has started from it. (A second
    // request for the size, over the other interface, finds it held already.)
    if (!m_handoff.workingFolder) {
        OwnFolder working;
        if (HoldOwnFolder(folder, FolderKind::Working, working) != OwnFolderOutcome::Held) {
            PostError(GetLastError(), DOWN_ERR_SYSTEM);
            return false;
        }
        m_handoff.workingFolder = std::move(working.held);
        m_workingFolderIdentity = working.identity;
    }
    // A folder of the setup's own may hold what an earlier run left behind.
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES && !DeleteFileW(path.c_str()))
        PostError(GetLastError(), DOWN_ERR_SYSTEM);
    // A new file only: whatever stands there now was put there after the stale one went.
    g_tempFile = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (g_tempFile == INVALID_HANDLE_VALUE) {
        PostError(GetLastError(), DOWN_ERR_SYSTEM);
        return false;
    }
    // What the hand-off will run must be this very file.
    if (!ReadFileIdentity(g_tempFile, m_handoff.download)) {
        PostError(GetLastError(), DOWN_ERR_SYSTEM);
        return false;
    }
    m_tempPath = path;
    return true;
}

LRESULT CMainDlg::OnDownProgress(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    m_engine.OnProgress(static_cast<int>(wParam), static_cast<std::uint32_t>(lParam));
    return 0;
}

LRESULT CMainDlg::OnDownBusy(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    m_engine.OnBusy(static_cast<long>(lParam), UnpackBusyAnswer(wParam), g_useWinHttp);
    return 0;
}

LRESULT CMainDlg::OnDownChanged(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    m_engine.OnReleaseChanged(static_cast<int>(lParam), static_cast<unsigned long>(wParam));
    return 0;
}

LRESULT CMainDlg::OnDownStartOver(UINT, WPARAM, LPARAM, BOOL&)
{
    m_engine.OnStartOver();
    return 0;
}

LRESULT CMainDlg::OnSegmentDone(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    m_engine.OnSegmentDone(static_cast<int>(lParam));
    return 0;
}

LRESULT CMainDlg::OnSegmentWritten(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    m_engine.OnSegmentWritten(static_cast<int>(lParam));
    return 0;
}

void CMainDlg::StartSegmentWorker(DownSegment& segment)
{
    segment.fileSize = m_engine.TotalSize();
    segment.validator = m_probeAnswer.validator;
    if (!m_workers.Start(SegmentThread, &segment))
        PostError(GetLastError(), DOWN_ERR_SYSTEM);
}

void CMainDlg::StartSegmentWriter(DownSegment& segment)
{
    if (!m_workers.Start(SegmentWriterThread, &segment))
        PostError(GetLastError(), DOWN_ERR_SYSTEM);
}

void CMainDlg::StartHandoff()
{
    if (!m_workers.Start(HandoffThread, &m_handoff))
        PostError(GetLastError(), DOWN_ERR_SYSTEM);
}

void CMainDlg::StartSizeProbe()
{
    // A probe that cannot even start would leave the bar standing still for ever.
    // No probe runs yet, and the ranges read the answer only once this one has reported.
    m_probeAnswer = ProbeAnswer{};
    if (!m_workers.Start(SizeProbeThread, &m_probeAnswer))
        PostError(GetLastError(), DOWN_ERR_SYSTEM);
}

void CMainDlg::PostSegmentDone(int index)
{
    PostMessageW(m_hWnd, WM_DOWN_SEGMENT_DONE, 0, index);
}

void CMainDlg::PostError(unsigned long code, long kind)
{
    PostMessageW(m_hWnd, WM_DOWN_ERROR, code, kind);
}

void CMainDlg::ShowProgress(int percentage)
{
    SendMessageW(m_progress.m_hWnd, PBM_SETPOS, static_cast<WPARAM>(percentage), 0);
    SetWindowTextW(m_hPercentText, (DecimalText(percentage) + L"% ").c_str());
}

void CMainDlg::CloseTempFile()
{
    if (g_tempFile != INVALID_HANDLE_VALUE)
        CloseHandle(g_tempFile);
    g_tempFile = INVALID_HANDLE_VALUE;
}

void CMainDlg::DiscardTempFile()
{
    if (g_tempFile == INVALID_HANDLE_VALUE)
        return;
    CloseTempFile();
    // Half a download is of no use to anyone, and must not lie about in a folder that
    // every user of the machine can read.
    DeleteFileW(m_tempPath.c_str());
}

void CMainDlg::RemoveWorkingFolder()
{
    m_handoff.workingFolder.reset();
    // Only the folder this run made, and only once its files are gone: the next run
    // makes it anew, so that a folder found there was made by someone else.
    if (m_workingFolderIdentity)
        RemoveOwnFolderIfEmpty(WorkingFolder(g_downloadBase), *m_workingFolderIdentity);
    m_workingFolderIdentity.reset();
}

std::uint64_t CMainDlg::NowMs()
{
    return GetTickCount64();
}

void CMainDlg::WakeAfter(std::optional<std::uint32_t> ms)
{
    if (ms)
        SetTimer(m_hWnd, IDT_WAKE, *ms, nullptr);
    else
        KillTimer(m_hWnd, IDT_WAKE);
}

bool CMainDlg::StopWorkers()
{
    // Aborted requests return at once; the time-outs bound the rest.
    return m_workers.AbortAll(kHttpTimeoutMs + 5000);
}

void CMainDlg::PostStartOver()
{
    PostMessageW(m_hWnd, WM_DOWN_START_OVER, 0, 0);
}
