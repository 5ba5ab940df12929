#include "download/segment_fetch.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "download/download_address.h"
#include "download/error_kinds.h"
#include "download/progress_batch.h"
#include "download/responses.h"

namespace {

SegmentOutcome FetchInto(HttpSession& session, const HttpTarget& target, DownSegment& segment,
                         unsigned char* chunk, std::uint32_t chunkSize, ProgressBatch& progress)
{
    const std::uint32_t first = segment.offset + segment.received;
    const std::uint32_t last = segment.offset + segment.length - 1;
    HttpStep step{};
    unsigned long error = 0;
    if (!session.Send(target, L"GET", RangeHeader(first, last), true, step, error))
        return {false, step == HttpStep::Send ? error : 0};
    // The proxy wants credentials: said as such, so that the user can be asked.
    if (session.StatusCode() == kHttpProxyAuthRequired)
        return {false, kHttpProxyAuthRequired};

    std::wstring contentRange;
    const bool hasRange = session.Header(L"Content-Range", contentRange);
    const auto announced = AcceptedRangeLength(session.StatusCode(),
                                               hasRange ? std::optional<std::wstring_view>(contentRange) : std::nullopt,
                                               first, last, segment.fileSize);
    if (!announced)
        return {false, kErrorInvalidData};

    // The accepted span never reaches past the segment's end, so it bounds the room too.
    std::uint32_t left = *announced;
    while (segment.received < segment.length) {
        if (left == 0)
            return {false, kErrorHandleEof};  // a shorter range than asked: ask again for the rest
        unsigned long read = 0;
        if (!session.Read(chunk, chunkSize, read, error))
            return {false, error};
        if (read == 0)
            return {false, kErrorHandleEof};
        const std::uint32_t stored = std::min<std::uint32_t>(static_cast<std::uint32_t>(read), left);
        std::memcpy(segment.buffer.get() + segment.received, chunk, stored);
        segment.received += stored;
        left -= stored;
        progress.Add(stored);
        // Bytes past the announced span belong to nothing that was asked for.
        if (read > stored)
            return segment.received == segment.length ? SegmentOutcome{true, 0} : SegmentOutcome{false, kErrorInvalidData};
    }
    return {true, 0};
}

}  // namespace

SegmentOutcome FetchSegment(HttpSession& session, const HttpTarget& target, DownSegment& segment,
                            unsigned char* chunk, std::uint32_t chunkSize, std::uint32_t step,
                            const std::function<void(std::uint32_t)>& onProgress)
{
    ProgressBatch progress(step, onProgress);
    const SegmentOutcome outcome = FetchInto(session, target, segment, chunk, chunkSize, progress);
    progress.Flush();
    return outcome;
}
