// What one segment worker does with one request: asks for the bytes the segment still
// misses and stores only what the answer may carry. No windows.h here.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "download/down_segment.h"
#include "download/http_session.h"

#include "download/busy_rules.h"

struct SegmentOutcome {
    bool done = false;        // every byte of the segment has arrived
    unsigned long error = 0;  // otherwise: the code to report with the segment's index
    // Or the server is busy (503, 429): no failure, but a request to come back later.
    std::optional<BusyAnswer> busy;
    // Or the file has changed on the server since the probe (a whole-file answer to
    // If-Range); the answer was left unread.
    bool changed = false;
};

// Asks `session` for the bytes from offset + received to the segment's end (of the
// release the segment's validator names, when it has one), then
// stores the answer behind what the segment already holds, reporting the stored bytes
// through `onProgress` in batches of at least `step`. Whatever is left is reported
// before it returns: the window must have counted every byte of a segment before it
// hears that the segment is done or failed. An answer is stored only when it is the range asked for of the
// planned file, and never beyond the span its Content-Range announces or the
// segment's room. Failures: 0 when the request never went out (as a worker reports
// a failure to open or connect), the send's or read's code, ERROR_INVALID_DATA for an
// answer that is not the range asked for (or carries more than it announced), and
// ERROR_HANDLE_EOF for one that ended early; a restart resumes from what was stored.
// `nowUnix` is the time a Retry-After date is counted from when the answer has no Date.
SegmentOutcome FetchSegment(HttpSession& session, const HttpTarget& target, DownSegment& segment,
                            unsigned char* chunk, std::uint32_t chunkSize, std::uint32_t step,
                            std::int64_t nowUnix, const std::function<void(std::uint32_t)>& onProgress);

// A response header's text, or nothing when the answer has none.
std::optional<std::wstring> OptionalHeader(HttpSession& session, const wchar_t* name);
// The answer as a busy one (503, 429, with Retry-After's seconds), or nothing.
std::optional<BusyAnswer> BusyAnswerOf(HttpSession& session, unsigned long status, std::int64_t nowUnix);
// The probe's answer's validator for If-Range (see IfRangeValidator).
std::wstring ReleaseValidatorOf(HttpSession& session);
