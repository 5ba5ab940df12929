#include "download/segment_fetch.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "download/download_address.h"
#include "download/error_kinds.h"
#include "download/progress_batch.h"
#include "download/release_check.h"
#include "download/responses.h"

namespace {

SegmentOutcome Failed(unsigned long error)
{
    SegmentOutcome outcome;
    outcome.error = error;
    return outcome;
}

SegmentOutcome Done()
{
    SegmentOutcome outcome;
    outcome.done = true;
    return outcome;
}

std::optional<std::wstring_view> View(const std::optional<std::wstring>& text)
{
    return text ? std::optional<std::wstring_view>(*text) : std::nullopt;
}

SegmentOutcome FetchInto(HttpSession& session, const HttpTarget& target, DownSegment& segment,
                         unsigned char* chunk, std::uint32_t chunkSize, std::int64_t nowUnix, ProgressBatch& progress)
{
    const std::uint32_t first = segment.offset + segment.received;
    const std::uint32_t last = segment.offset + segment.length - 1;
    HttpStep step{};
    unsigned long error = 0;
    if (!session.Send(target, L"GET", RangeRequestHeaders(first, last, segment.validator), true, step, error))
        return Failed(step == HttpStep::Send ? error : 0);
    const unsigned long status = session.StatusCode();
    // The proxy wants credentials: said as such, so that the user can be asked.
    if (status == kHttpProxyAuthRequired)
        return Failed(status);
    if (auto busy = BusyAnswerOf(session, status, nowUnix)) {
        SegmentOutcome outcome;
        outcome.busy = busy;
        return outcome;
    }
    // The whole file instead of the range: of another release, unless it is the one
    // asked for and the server simply ignored the range.
    if (status == 200 && !segment.validator.empty() &&
        ReleaseChanged(segment.validator, View(OptionalHeader(session, L"ETag")),
                       View(OptionalHeader(session, L"Last-Modified")))) {
        SegmentOutcome outcome = Failed(status);
        outcome.changed = true;
        return outcome;
    }

    const auto contentRange = OptionalHeader(session, L"Content-Range");
    const auto announced = AcceptedRangeLength(status, View(contentRange), first, last, segment.fileSize);
    if (!announced)
        return Failed(kErrorInvalidData);

    // The accepted span never reaches past the segment's end, so it bounds the room too.
    std::uint32_t left = *announced;
    while (segment.received < segment.length) {
        if (left == 0)
            return Failed(kErrorHandleEof);  // a shorter range than asked: ask again for the rest
        unsigned long read = 0;
        if (!session.Read(chunk, chunkSize, read, error))
            return Failed(error);
        if (read == 0)
            return Failed(kErrorHandleEof);
        const std::uint32_t stored = std::min<std::uint32_t>(static_cast<std::uint32_t>(read), left);
        std::memcpy(segment.buffer.get() + segment.received, chunk, stored);
        segment.received += stored;
        left -= stored;
        progress.Add(stored);
        // Bytes past the announced span belong to nothing that was asked for.
        if (read > stored)
            return segment.received == segment.length ? Done() : Failed(kErrorInvalidData);
    }
    return Done();
}

}  // namespace

std::optional<std::wstring> OptionalHeader(HttpSession& session, const wchar_t* name)
{
    std::wstring value;
    return session.Header(name, value) ? std::optional<std::wstring>(std::move(value)) : std::nullopt;
}

std::optional<BusyAnswer> BusyAnswerOf(HttpSession& session, unsigned long status, std::int64_t nowUnix)
{
    if (!IsBusyStatus(status))
        return std::nullopt;
    const auto retryAfter = OptionalHeader(session, L"Retry-After");
    const auto date = OptionalHeader(session, L"Date");
    return BusyAnswer{status, RetryAfterSeconds(View(retryAfter), View(date), nowUnix)};
}

std::wstring ReleaseValidatorOf(HttpSession& session)
{
    return IfRangeValidator(View(OptionalHeader(session, L"ETag")), View(OptionalHeader(session, L"Last-Modified")),
                            View(OptionalHeader(session, L"Date")));
}

SegmentOutcome FetchSegment(HttpSession& session, const HttpTarget& target, DownSegment& segment,
                            unsigned char* chunk, std::uint32_t chunkSize, std::uint32_t step,
                            std::int64_t nowUnix, const std::function<void(std::uint32_t)>& onProgress)
{
    ProgressBatch progress(step, onProgress);
    const SegmentOutcome outcome = FetchInto(session, target, segment, chunk, chunkSize, nowUnix, progress);
    progress.Flush();
    return outcome;
}
