#include "download/download_engine.h"

#include <algorithm>
#include <limits>
#include <new>

namespace {

constexpr int kLastSegment = SEGMENT_COUNT - 1;

bool IsSegmentIndex(int index)
{
    return index >= 0 && index < SEGMENT_COUNT;
}

}  // namespace

std::vector<DownSegment> PlanSegments(std::uint32_t size)
{
    const std::uint32_t per = size / SEGMENT_COUNT;
    std::vector<DownSegment> segments(SEGMENT_COUNT);
    for (int i = 0; i < SEGMENT_COUNT; ++i) {
        segments[i].index = i;
        segments[i].offset = static_cast<std::uint32_t>(i) * per;
        segments[i].length = per;
    }
    segments[kLastSegment].length = size - static_cast<std::uint32_t>(kLastSegment) * per;
    return segments;
}

int DownloadPercentage(std::uint64_t downloaded, std::uint32_t total)
{
    // The last fifth of the bar belongs to the installer, hence total * 10 / 8.
    const std::uint64_t denominator = std::uint64_t{total} * 10 / 8;
    if (denominator == 0)
        return 0;
    const double percentage = static_cast<double>(downloaded * 100) / static_cast<double>(denominator);
    // Bytes counted twice after many restarts must not push the cast out of range.
    if (percentage >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(percentage);
}

void DownloadEngine::Plan(std::uint32_t size)
{
    // A run a fatal failure has condemned fetches nothing more while its box is up.
    if (m_errorShown > 0 || m_startingOver)
        return;
    m_segments = std::make_unique<std::vector<DownSegment>>(PlanSegments(size));
    m_totalSize = size;
    for (DownSegment& segment : *m_segments) {
        if (segment.length == 0) {
            m_effects.PostSegmentDone(segment.index);
            continue;
        }
        segment.buffer.reset(new (std::nothrow) unsigned char[segment.length]);
        if (!segment.buffer) {
            m_effects.PostError(kErrorNotEnoughMemory, DOWN_ERR_SYSTEM);
            return;
        }
        m_effects.StartSegmentWorker(segment);
    }
}

void DownloadEngine::OnProgress(int percentage, std::uint32_t bytes)
{
    if (m_startingOver)
        return;
    if (percentage == 0) {
        m_downloadedBytes += bytes;
        percentage = DownloadPercentage(m_downloadedBytes, m_totalSize);
    }
    // Redrawing the bar and its text for an unchanged number is all cost and no news.
    if (percentage != m_shownPercentage) {
        m_shownPercentage = percentage;
        m_effects.ShowProgress(percentage);
    }
    // Bytes are flowing again, so whatever failed meanwhile gets another chance.
    m_retryCount = 0;
    m_busyAnswers = 0;
    RestartParked();
}

void DownloadEngine::RestartParked()
{
    std::vector<int> parked;
    parked.swap(m_failedSegments);
    for (const int index : parked) {
        if (DownSegment* segment = Segment(index))
            m_effects.StartSegmentWorker(*segment);
    }
}

void DownloadEngine::OnSegmentDone(int index)
{
    DownSegment* segment = Segment(index);
    if (!segment || m_startingOver)
        return;
    if (index == m_nextToWrite)
        m_effects.StartSegmentWriter(*segment);
    else
        m_pendingWrites.push_back(index);
    ++m_doneCount;
    m_refusals[index] = 0;
    AskFirstInLine();
}

void DownloadEngine::OnSegmentWritten(int index)
{
    if (m_startingOver)
        return;
    // Appending out of order would corrupt the installer; nothing else can be trusted.
    if (!m_segments || index != m_nextToWrite) {
        m_effects.PostError(0, DOWN_ERR_SYSTEM);
        return;
    }
    (*m_segments)[index].buffer.reset();
    if (index == kLastSegment) {
        m_effects.CloseTempFile();
        m_segments.reset();
        // Writes go on under a fatal box, but what they finish is never run.
        if (m_errorShown == 0)
            m_effects.StartHandoff();
        return;
    }
    ++m_nextToWrite;
    const auto waiting = std::find(m_pendingWrites.begin(), m_pendingWrites.end(), m_nextToWrite);
    if (waiting == m_pendingWrites.end())
        return;
    m_pendingWrites.erase(waiting);
    m_effects.StartSegmentWriter((*m_segments)[m_nextToWrite]);
}

void DownloadEngine::OnError(unsigned long code, long kind, bool useWinHttp)
{
    if (m_errorShown > 0)
        return;
    if (kind == DOWN_ERR_URL)
        return Fatal(ErrorBox::Url, code);
    if (kind == DOWN_ERR_SYSTEM)
        return Fatal(ErrorBox::System, code);

    // Whatever the stopped workers of the dropped download report is of no interest.
    if (m_startingOver)
        return;

    DownSegment* segment = IsSegmentIndex(static_cast<int>(kind)) ? Segment(static_cast<int>(kind)) : nullptr;
    if (segment)
        m_refusals[segment->index] = 0;
    if (m_askingProxyCredentials) {
        // Failures that arrive while the user is asked wait for the answer.
        if (segment)
            m_failedSegments.push_back(segment->index);
        return;
    }
    if (code == kHttpProxyAuthRequired && !m_proxyCredentialsAsked) {
        // A proxy that wants a name and password asks the user once for the whole
        // download; without an answer nothing can be fetched.
        m_proxyCredentialsAsked = true;
        m_askingProxyCredentials = true;
        const bool given = m_effects.AskProxyCredentials();
        m_askingProxyCredentials = false;
        if (!given)
            return Fatal(ErrorBox::Network, code);
        m_retryCount = 0;
        RestartParked();
    }
    if (m_retryCount <= MAX_QUICK_RETRIES) {
        if (kind == DOWN_ERR_SIZE_PROBE) {
            m_effects.StartSizeProbe();
            ++m_retryCount;
        } else if (segment) {
            // The worker resumes from what the segment already holds.
            m_effects.StartSegmentWorker(*segment);
            ++m_retryCount;
        }
        return;
    }
    if (kind == DOWN_ERR_SIZE_PROBE) {
        if (!useWinHttp) {
            ResetCounters();
            // The other interface gets its own waits for a busy server.
            m_probeBusyAnswers = 0;
            m_probeWaitedMs = 0;
            m_effects.SwitchToWinHttp();
        }
        else
            Fatal(ErrorBox::Network, code);
        return;
    }
    if (!segment)
        return;
    // Parked until bytes flow again; once nothing is in flight, nothing ever will.
    m_failedSegments.push_back(segment->index);
    if (static_cast<int>(m_failedSegments.size()) + m_doneCount == SEGMENT_COUNT)
        return Fatal(ErrorBox::Network, code);
    AskFirstInLine();
}

void DownloadEngine::OnBusy(long kind, const BusyAnswer& answer, bool useWinHttp)
{
    if (m_errorShown > 0 || m_startingOver)
        return;
    if (kind == DOWN_ERR_SIZE_PROBE) {
        // Past the budget the probe is decided as any failure: the switch, or the box.
        if (m_retryCount > MAX_QUICK_RETRIES)
            return OnError(answer.status, kind, useWinHttp);
        ++m_retryCount;
        const std::uint32_t wait =
            ProbeWaitMs(answer.retryAfterSeconds, ++m_probeBusyAnswers, m_random(), m_probeWaitedMs);
        m_probeWaitedMs += wait;
        if (wait == 0)
            return m_effects.StartSizeProbe();
        m_probeDue = m_effects.NowMs() + wait;
        return ArmWake();
    }
    DownSegment* segment = IsSegmentIndex(static_cast<int>(kind)) ? Segment(static_cast<int>(kind)) : nullptr;
    if (!segment)
        return;
    // A server that refuses everything for minutes is down, not busy.
    if (++m_busyAnswers > MAX_BUSY_ANSWERS)
        return Fatal(ErrorBox::Network, answer.status);
    const int refusals = ++m_refusals[segment->index];
    m_line.Add(segment->index, RangeWaitMs(answer.retryAfterSeconds, refusals, m_random()), refusals > 1,
               m_effects.NowMs());
    ArmWake();
}

void DownloadEngine::OnReleaseChanged(int index, unsigned long code)
{
    if (m_errorShown > 0 || m_startingOver || !Segment(index))
        return;
    if (++m_releaseRestarts > MAX_RELEASE_RESTARTS)
        return Fatal(ErrorBox::Network, code);
    m_startingOver = true;
    m_line.Clear();
    m_probeDue.reset();
    m_effects.WakeAfter(std::nullopt);
    // A worker that did not end may still write into its segment: the table stays, and
    // so does everything it was fetched for.
    if (!m_effects.StopWorkers())
        return Fatal(ErrorBox::Network, code);
    m_effects.CloseTempFile();
    m_segments.reset();
    m_failedSegments.clear();
    m_refusals.fill(0);
    m_busyAnswers = 0;
    m_downloadedBytes = 0;
    ResetCounters();
    m_shownPercentage = 0;
    m_effects.ShowProgress(0);
    m_effects.PostStartOver();
}

void DownloadEngine::OnStartOver()
{
    if (!m_startingOver || m_errorShown > 0)
        return;
    m_startingOver = false;
    m_effects.StartSizeProbe();
}

void DownloadEngine::OnWake()
{
    if (m_errorShown > 0 || m_startingOver)
        return;
    const std::uint64_t now = m_effects.NowMs();
    if (m_probeDue && *m_probeDue <= now) {
        m_probeDue.reset();
        m_effects.StartSizeProbe();
    }
    const auto due = m_line.FirstDue();
    if (due && *due <= now) {
        if (const auto index = m_line.TakeFirst(now))
            AskAgain(*index);
    }
    ArmWake();
}

void DownloadEngine::AskFirstInLine()
{
    if (const auto index = m_line.TakeFirst(m_effects.NowMs())) {
        AskAgain(*index);
        ArmWake();
    }
}

void DownloadEngine::AskAgain(int index)
{
    if (DownSegment* segment = Segment(index))
        m_effects.StartSegmentWorker(*segment);
}

void DownloadEngine::ArmWake()
{
    std::optional<std::uint64_t> due = m_line.FirstDue();
    if (m_probeDue && (!due || *m_probeDue < *due))
        due = m_probeDue;
    if (!due)
        return m_effects.WakeAfter(std::nullopt);
    const std::uint64_t now = m_effects.NowMs();
    m_effects.WakeAfter(static_cast<std::uint32_t>(*due > now ? *due - now : 0));
}

void DownloadEngine::Fatal(ErrorBox box, unsigned long code)
{
    // Set before the box: its own message loop goes on handling reports, which must
    // find the run already ended.
    m_errorShown = 1;
    m_effects.ShowFatalError(box, code);
}

void DownloadEngine::ResetCounters()
{
    m_nextToWrite = 0;
    m_retryCount = 0;
    m_doneCount = 0;
    m_pendingWrites.clear();
    m_shownPercentage = -1;  // the Install command sets the bar back to 0
}

DownSegment* DownloadEngine::Segment(int index)
{
    if (!m_segments || !IsSegmentIndex(index))
        return nullptr;
    return &(*m_segments)[index];
}
