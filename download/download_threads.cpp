#include "download/download_threads.h"

#include <ctime>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "app/handles.h"
#include "download/busy_rules.h"
#include "download/down_segment.h"
#include "download/download_address.h"
#include "download/download_files.h"
#include "download/download_state.h"
#include "download/held_file.h"
#include "download/installer_run.h"
#include "download/http_session.h"
#include "download/http_timeout.h"
#include "download/notifications.h"
#include "download/progress_batch.h"
#include "download/publisher_check.h"
#include "download/responses.h"
#include "download/segment_fetch.h"
#include "download/worker_threads.h"
#include "install/install_folder.h"
#include "lang/language.h"
#include "ui/main_dlg.h"

std::wstring g_downHost;
std::wstring g_downPath;
bool g_downSecure = false;
bool g_useWinHttp = false;
std::wstring g_downloadBase;
HANDLE g_tempFile = INVALID_HANDLE_VALUE;

namespace {

HttpTarget CurrentTarget()
{
    return MakeHttpTarget(g_downHost, g_downPath, g_downSecure);
}

WorkerThreads& Workers()
{
    return g_pMainDlg->Workers();
}

// No exception leaves a thread (one would end the process): memory that cannot be
// had on a worker is a system error like any other. Every worker allocates before it
// posts its final report, so this never makes a second one.
template <class Body>
unsigned RunWorker(Body body)
{
    try {
        body();
    } catch (...) {
        PostToDialog(WM_DOWN_ERROR, ERROR_NOT_ENOUGH_MEMORY, DOWN_ERR_SYSTEM);
    }
    return 1;
}

std::int64_t NowUnix()
{
    return static_cast<std::int64_t>(std::time(nullptr));
}

void RunSizeProbe(ProbeAnswer& answer)
{
    const auto session = OpenHttpSession(g_useWinHttp, kHttpTimeoutMs, g_pMainDlg->Proxy());
    if (!session)
        return PostToDialog(WM_DOWN_ERROR, ERROR_NOT_ENOUGH_MEMORY, DOWN_ERR_SYSTEM);
    const SessionRegistration registration(Workers(), *session);
    if (!registration)
        return;  // the program is ending
    HttpStep step{};
    unsigned long error = 0;
    // Only the headers matter: WinHTTP asks with HEAD; WinINet's GET body is never read.
    if (!session->Send(CurrentTarget(), g_useWinHttp ? L"HEAD" : L"GET", L"", false, step, error))
        return PostToDialog(WM_DOWN_ERROR, error, DOWN_ERR_SIZE_PROBE);
    const unsigned long status = session->StatusCode();
    if (const auto busy = BusyAnswerOf(*session, status, NowUnix()))
        return PostToDialog(WM_DOWN_BUSY, PackBusyAnswer(*busy), DOWN_ERR_SIZE_PROBE);
    // Read before the size is reported: the dialog hands it to the ranges then.
    answer.validator = ReleaseValidatorOf(*session);
    std::wstring length;
    const bool hasLength = session->Header(L"Content-Length", length);
    const auto size = ProbeSize(status, hasLength ? std::optional<std::wstring_view>(length) : std::nullopt);
    if (!size) {
        // An error page is no installer: its status (or, for a bad length, "invalid
        // data") is what the user gets to see.
        const unsigned long code = status < 200 || status > 299 ? status : ERROR_INVALID_DATA;
        return PostToDialog(WM_DOWN_ERROR, code, DOWN_ERR_SIZE_PROBE);
    }
    PostToDialog(WM_DOWN_SIZE, 0, static_cast<LPARAM>(*size));
}

void RunSegment(DownSegment& segment)
{
    const std::unique_ptr<unsigned char[]> chunk(new (std::nothrow) unsigned char[READ_CHUNK]);
    const auto session = OpenHttpSession(g_useWinHttp, kHttpTimeoutMs, g_pMainDlg->Proxy());
    if (!chunk || !session)
        return PostToDialog(WM_DOWN_ERROR, ERROR_NOT_ENOUGH_MEMORY, DOWN_ERR_SYSTEM);
    const SessionRegistration registration(Workers(), *session);
    if (!registration)
        return;
    const SegmentOutcome outcome =
        FetchSegment(*session, CurrentTarget(), segment, chunk.get(), READ_CHUNK, PROGRESS_STEP, NowUnix(),
                     [](std::uint32_t bytes) { PostToDialog(WM_DOWN_PROGRESS, 0, static_cast<LPARAM>(bytes)); });
    if (outcome.done)
        PostToDialog(WM_DOWN_SEGMENT_DONE, 0, segment.index);
    else if (outcome.busy)
        PostToDialog(WM_DOWN_BUSY, PackBusyAnswer(*outcome.busy), segment.index);
    else if (outcome.changed)
        PostToDialog(WM_DOWN_CHANGED, outcome.error, segment.index);
    else
        PostToDialog(WM_DOWN_ERROR, outcome.error, segment.index);
}

void RunWriter(const DownSegment& segment)
{
    const unsigned char* position = segment.buffer.get();
    DWORD remaining = segment.length;
    while (remaining != 0) {
        DWORD written = 0;
        if (!WriteFile(g_tempFile, position, remaining, &written, nullptr))
            return PostToDialog(WM_DOWN_ERROR, GetLastError(), DOWN_ERR_SYSTEM);
        remaining -= written;
        position += written;
    }
    FlushFileBuffers(g_tempFile);
    PostToDialog(WM_DOWN_SEGMENT_WRITTEN, 0, segment.index);
}

void RunHandoff(HandoffTicket& ticket)
{
    const std::wstring url = LoadLangString(L"STR_DOWN_URL");
    const auto stem = DownloadStem(url);
    const auto installer = InstallerPath(g_downloadBase, url);
    if (!stem || !installer)
        return PostToDialog(WM_DOWN_ERROR, 0, DOWN_ERR_URL);
    // From here until the installer has started from it, nobody can write, delete or
    // swap the file: what runs is what was downloaded.
    UniqueHandle held = HoldFile(TempFilePath(g_downloadBase, *stem));
    if (!held)
        return PostToDialog(WM_DOWN_ERROR, GetLastError(), DOWN_ERR_SYSTEM);
    // The file the writer made, not one put in its place after the writer let go.
    if (const DWORD error = CheckHeldFileIdentity(held.get(), ticket.download))
        return PostToDialog(WM_DOWN_ERROR, error, DOWN_ERR_SYSTEM);
    if (GetFileAttributesW(installer->c_str()) != INVALID_FILE_ATTRIBUTES && !DeleteFileW(installer->c_str()))
        return PostToDialog(WM_DOWN_ERROR, GetLastError(), DOWN_ERR_SYSTEM);
    if (!RenameHeldFile(held.get(), *installer))
        return PostToDialog(WM_DOWN_ERROR, GetLastError(), DOWN_ERR_SYSTEM);
    // A program built for a publisher runs only an installer that publisher signed; any
    // other is deleted unrun.
    if (*kRequiredSigner != L'\0') {
        if (const LONG error = CheckPublisher(held.get(), *installer, kRequiredSigner)) {
            DeleteHeldFile(held.get());
            return PostToDialog(WM_DOWN_ERROR, static_cast<WPARAM>(error), DOWN_ERR_SYSTEM);
        }
    }
    PostToDialog(WM_DOWN_PROGRESS, 90, 0);

    // Once its process exists, the file and the folder need no holding: the process
    // runs from its mapped image, which nobody can change.
    const InstallerRun run = RunInstaller(*installer, InstallerCommandLine(g_strInstallPath),
                                          WorkingFolder(g_downloadBase), Workers().StopEvent(),
                                          g_pMainDlg->Starts(), [&] {
                                              held.reset();
                                              ticket.workingFolder.reset();
                                          });
    if (run.outcome == InstallerRun::Outcome::Stopped)
        return;
    if (run.outcome == InstallerRun::Outcome::Failed)
        return PostToDialog(WM_DOWN_ERROR, run.code, DOWN_ERR_SYSTEM);
    // The installer has done its work either way and is not kept.
    if (!InstallerSucceeded(run.code)) {
        DeleteFileW(installer->c_str());
        return PostToDialog(WM_DOWN_ERROR, run.code, DOWN_ERR_SYSTEM);
    }
    PostToDialog(WM_DOWN_PROGRESS, 100, 0);
    DeleteFileW(installer->c_str());
    PostToDialog(WM_DOWN_FINISHED, 0, 0);
}

}  // namespace

void PostToDialog(UINT message, WPARAM wParam, LPARAM lParam)
{
    PostMessageW(g_pMainDlg->NotifyWindow(), message, wParam, lParam);
}

unsigned __stdcall SizeProbeThread(void* argument)
{
    return RunWorker([argument] { RunSizeProbe(*static_cast<ProbeAnswer*>(argument)); });
}

unsigned __stdcall SegmentThread(void* argument)
{
    return RunWorker([argument] { RunSegment(*static_cast<DownSegment*>(argument)); });
}

unsigned __stdcall SegmentWriterThread(void* argument)
{
    return RunWorker([argument] { RunWriter(*static_cast<const DownSegment*>(argument)); });
}

unsigned __stdcall HandoffThread(void* argument)
{
    return RunWorker([argument] { RunHandoff(*static_cast<HandoffTicket*>(argument)); });
}
