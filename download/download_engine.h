// The download engine's bookkeeping and decisions on the main thread: the plan of
// the segments, the percentage, and the strict order of the writes. What it decides
// to do happens through EngineEffects, which the dialog wires to threads and
// messages. No windows.h here.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <vector>

#include "download/busy_queue.h"
#include "download/busy_rules.h"
#include "download/down_segment.h"
#include "download/error_kinds.h"

class EngineEffects {
public:
    virtual ~EngineEffects() = default;
    virtual void StartSegmentWorker(DownSegment& segment) = 0;
    virtual void StartSegmentWriter(DownSegment& segment) = 0;
    virtual void StartHandoff() = 0;
    // The segment needs no request (it is empty): reported done as a worker would.
    virtual void PostSegmentDone(int index) = 0;
    // WM_DOWN_ERROR to the dialog.
    virtual void PostError(unsigned long code, long kind) = 0;
    // The bar and the "%d%% " text.
    virtual void ShowProgress(int percentage) = 0;
    virtual void CloseTempFile() = 0;
    // A new size probe over the interface in use.
    virtual void StartSizeProbe() = 0;
    // Every request from now on over WinHTTP, and the Install command run again.
    virtual void SwitchToWinHttp() = 0;
    // The proxy wants a name and password: asks the user (with the window shown) and
    // keeps the answer for every request. False when the user gave none.
    virtual bool AskProxyCredentials() = 0;
    // The one box of a fatal failure; the program ends when it is dismissed.
    virtual void ShowFatalError(ErrorBox box, unsigned long code) = 0;
    // Milliseconds on a clock that only goes forward.
    virtual std::uint64_t NowMs() = 0;
    // OnWake after `ms` (replacing any earlier call), or never when nothing.
    virtual void WakeAfter(std::optional<std::uint32_t> ms) = 0;
    // Ends every worker (their requests aborted) and waits for them; false when one
    // did not end. What they report meanwhile arrives before what is posted after.
    virtual bool StopWorkers() = 0;
    // OnStartOver, posted behind every report the stopped workers sent.
    virtual void PostStartOver() = 0;
};

// 40 segments of size / 40 bytes; the last takes the remainder.
std::vector<DownSegment> PlanSegments(std::uint32_t size);

// Refused answers in a row with no byte arriving anywhere after which a server is
// taken to be down rather than busy: some minutes of one request every few seconds.
inline constexpr int MAX_BUSY_ANSWERS = SEGMENT_COUNT + MAX_QUICK_RETRIES + 1;
// How often the file may change on the server before the download gives up.
inline constexpr int MAX_RELEASE_RESTARTS = 1;

// floor(downloaded / floor(total * 10 / 8) * 100) in double precision, the products in
// 64-bit arithmetic: the download alone takes the bar to 80. 0 when total is 0.
int DownloadPercentage(std::uint64_t downloaded, std::uint32_t total);

class DownloadEngine {
public:
    // `errorShown` is the process-wide flag of a fatal failure being shown: once it is
    // above 0, failures are dropped and nothing is handed off any more.
    // `seed` spreads the backoffs of this run.
    DownloadEngine(EngineEffects& effects, int& errorShown, unsigned seed = 1)
        : m_effects(effects), m_errorShown(errorShown), m_random(seed)
    {
    }

    // The size is known and the temporary file open: plans the 40 segments, gives each
    // its buffer and starts its worker (an empty segment is reported done at once). A
    // buffer that cannot be had is a system error (ERROR_NOT_ENOUGH_MEMORY, kind 42).
    void Plan(std::uint32_t size);
    // A progress report: `percentage` from the hand-off as it is, or (when 0) `bytes`
    // more received. Resets the retry count and restarts the parked segments.
    void OnProgress(int percentage, std::uint32_t bytes);
    // A segment has all its bytes: written at once when it is its turn, else parked.
    void OnSegmentDone(int index);
    // A segment is written: releases its buffer, then writes the next in turn, or after
    // the last closes the file, releases the table and starts the hand-off. A write out
    // of turn is a system error (0, kind 42).
    void OnSegmentWritten(int index);
    // A failure report: `kind` is a segment index or one of the DOWN_ERR_ kinds, `code`
    // the error code it carries. Decides between an immediate restart, parking the
    // segment until bytes flow again, the switch to WinHTTP, and the fatal box.
    void OnError(unsigned long code, long kind, bool useWinHttp);
    // A busy answer (503, 429) to a range or (kind 41) to the probe. A range waits in
    // line without spending the restart budget; the probe spends it as a failure does,
    // but waits before it is asked again (a bounded time per interface).
    void OnBusy(long kind, const BusyAnswer& answer, bool useWinHttp);
    // A range was answered with a whole file of another release: everything fetched
    // is dropped and the download starts over from the probe, once; a second change is
    // a network error with `code`.
    void OnReleaseChanged(int index, unsigned long code);
    // The stopped workers' reports are all in: the new probe starts.
    void OnStartOver();
    // A wait asked for through WakeAfter may be over.
    void OnWake();
    // Starts over after a switch of HTTP interface.
    void ResetCounters();

    DownSegment* Segment(int index);
    std::uint32_t TotalSize() const { return m_totalSize; }
    int NextToWrite() const { return m_nextToWrite; }
    int DoneCount() const { return m_doneCount; }
    int RetryCount() const { return m_retryCount; }
    const std::vector<int>& PendingWrites() const { return m_pendingWrites; }
    const std::vector<int>& FailedSegments() const { return m_failedSegments; }
    std::uint64_t DownloadedBytes() const { return m_downloadedBytes; }

private:
    void Fatal(ErrorBox box, unsigned long code);
    // Every failed range that waits for bytes to flow is asked again, in the order they failed.
    void RestartParked();
    // A running range has ended, so the server has room for the first in line.
    void AskFirstInLine();
    void AskAgain(int index);
    void ArmWake();

    EngineEffects& m_effects;
    int& m_errorShown;
    std::unique_ptr<std::vector<DownSegment>> m_segments;
    std::uint32_t m_totalSize = 0;
    int m_nextToWrite = 0;
    std::vector<int> m_pendingWrites;
    int m_retryCount = 0;
    std::vector<int> m_failedSegments;
    int m_doneCount = 0;
    std::uint64_t m_downloadedBytes = 0;  // all bytes received since the start
    int m_shownPercentage = -1;           // what the bar shows now
    bool m_proxyCredentialsAsked = false;  // once per download
    bool m_askingProxyCredentials = false;

    std::minstd_rand m_random;
    BusyQueue m_line;                                 // ranges refused by a busy server
    std::array<int, SEGMENT_COUNT> m_refusals{};      // per range: busy answers in a row
    int m_busyAnswers = 0;                            // busy answers since the last byte
    int m_probeBusyAnswers = 0;                       // on this interface
    std::uint32_t m_probeWaitedMs = 0;                // on this interface
    std::optional<std::uint64_t> m_probeDue;          // when the waiting probe is asked again
    int m_releaseRestarts = 0;
    bool m_startingOver = false;                      // the old workers' reports are dropped
};
