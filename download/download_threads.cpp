#include "download/download_threads.h"

#include <process.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "app/handles.h"
#include "download/down_segment.h"
#include "download/download_address.h"
#include "download/download_files.h"
#include "download/download_state.h"
#include "download/http_session.h"
#include "download/notifications.h"
#include "download/responses.h"
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

std::optional<std::wstring> Header(HttpSession& session, const wchar_t* name)
{
    std::wstring value;
    if (!session.Header(name, value))
        return std::nullopt;
    return value;
}

}  // namespace

void PostToDialog(UINT message, WPARAM wParam, LPARAM lParam)
{
    PostMessageW(g_pMainDlg->m_hWnd, message, wParam, lParam);
}

bool StartDetached(unsigned(__stdcall* entry)(void*), void* argument)
{
    const uintptr_t thread = _beginthreadex(nullptr, 0, entry, argument, 0, nullptr);
    if (!thread)
        return false;
    CloseHandle(reinterpret_cast<HANDLE>(thread));
    return true;
}

unsigned __stdcall SizeProbeThread(void*)
{
    const auto session = OpenHttpSession(g_useWinHttp);
    HttpStep step{};
    unsigned long error = 0;
    // Only the headers matter: WinHTTP asks with HEAD; WinINet's GET body is never read.
    if (!session->Send(CurrentTarget(), g_useWinHttp ? L"HEAD" : L"GET", L"", false, step, error)) {
        PostToDialog(WM_DOWN_ERROR, error, DOWN_ERR_SIZE_PROBE);
        return 1;
    }
    const unsigned long status = session->StatusCode();
    const auto length = Header(*session, L"Content-Length");
    const auto size = ProbeSize(status, length ? std::optional<std::wstring_view>(*length) : std::nullopt);
    if (!size) {
        // An error page is no installer: its status (or, for a bad length, "invalid
        // data") is what the user gets to see.
        const unsigned long code = status < 200 || status > 299 ? status : ERROR_INVALID_DATA;
        PostToDialog(WM_DOWN_ERROR, code, DOWN_ERR_SIZE_PROBE);
        return 1;
    }
    PostToDialog(WM_DOWN_SIZE, 0, static_cast<LPARAM>(*size));
    return 1;
}

unsigned __stdcall SegmentThread(void* argument)
{
    auto& segment = *static_cast<DownSegment*>(argument);
    const std::uint32_t first = segment.offset + segment.received;
    const std::uint32_t last = segment.offset + segment.length - 1;

    const auto session = OpenHttpSession(g_useWinHttp);
    HttpStep step{};
    unsigned long error = 0;
    if (!session->Send(CurrentTarget(), L"GET", RangeHeader(first, last), true, step, error)) {
        // Failures before the request went out carry no code.
        PostToDialog(WM_DOWN_ERROR, step == HttpStep::Send ? error : 0, segment.index);
        return 1;
    }
    // Only the range asked for, from the file whose size was planned, may be stored.
    const auto range = Header(*session, L"Content-Range");
    if (!IsExpectedRange(session->StatusCode(), range ? std::optional<std::wstring_view>(*range) : std::nullopt,
                         first, last, segment.fileSize)) {
        PostToDialog(WM_DOWN_ERROR, ERROR_INVALID_DATA, segment.index);
        return 1;
    }

    const auto chunk = std::make_unique<unsigned char[]>(READ_CHUNK);
    while (segment.received < segment.length) {
        unsigned long read = 0;
        if (!session->Read(chunk.get(), READ_CHUNK, read, error)) {
            PostToDialog(WM_DOWN_ERROR, error, segment.index);
            return 1;
        }
        if (read == 0) {
            // The answer ended early; a restart resumes from what arrived.
            PostToDialog(WM_DOWN_ERROR, ERROR_HANDLE_EOF, segment.index);
            return 1;
        }
        const std::uint32_t room = segment.length - segment.received;
        if (read > room) {
            PostToDialog(WM_DOWN_ERROR, ERROR_INVALID_DATA, segment.index);
            return 1;
        }
        std::memcpy(segment.buffer.get() + segment.received, chunk.get(), read);
        segment.received += read;
        PostToDialog(WM_DOWN_PROGRESS, 0, static_cast<LPARAM>(read));
    }
    PostToDialog(WM_DOWN_SEGMENT_DONE, 0, segment.index);
    return 1;
}

unsigned __stdcall SegmentWriterThread(void* argument)
{
    const auto& segment = *static_cast<const DownSegment*>(argument);
    const unsigned char* position = segment.buffer.get();
    DWORD remaining = segment.length;
    while (remaining != 0) {
        DWORD written = 0;
        if (!WriteFile(g_tempFile, position, remaining, &written, nullptr)) {
            PostToDialog(WM_DOWN_ERROR, GetLastError(), DOWN_ERR_SYSTEM);
            return 1;
        }
        remaining -= written;
        position += written;
    }
    FlushFileBuffers(g_tempFile);
    PostToDialog(WM_DOWN_SEGMENT_WRITTEN, 0, segment.index);
    return 1;
}

unsigned __stdcall HandoffThread(void*)
{
    const std::wstring url = LoadLangString(L"STR_DOWN_URL");
    const auto stem = DownloadStem(url);
    const auto installer = InstallerPath(g_downloadBase, url);
    if (!stem || !installer) {
        PostToDialog(WM_DOWN_ERROR, 0, DOWN_ERR_URL);
        return 1;
    }
    if (GetFileAttributesW(installer->c_str()) != INVALID_FILE_ATTRIBUTES && !DeleteFileW(installer->c_str())) {
        PostToDialog(WM_DOWN_ERROR, GetLastError(), DOWN_ERR_SYSTEM);
        return 1;
    }
    if (!MoveFileW(TempFilePath(g_downloadBase, *stem).c_str(), installer->c_str())) {
        PostToDialog(WM_DOWN_ERROR, GetLastError(), DOWN_ERR_SYSTEM);
        return 1;
    }
    PostToDialog(WM_DOWN_PROGRESS, 90, 0);

    std::wstring commandLine = InstallerCommandLine(g_strInstallPath);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(installer->c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &process)) {
        PostToDialog(WM_DOWN_ERROR, GetLastError(), DOWN_ERR_SYSTEM);
        return 1;
    }
    {
        const UniqueHandle thread(process.hThread);
        const UniqueHandle installerProcess(process.hProcess);
        ResumeThread(thread.get());
        WaitForSingleObject(installerProcess.get(), INFINITE);
    }
    PostToDialog(WM_DOWN_PROGRESS, 100, 0);
    DeleteFileW(installer->c_str());
    PostToDialog(WM_DOWN_FINISHED, 0, 0);
    return 1;
}
