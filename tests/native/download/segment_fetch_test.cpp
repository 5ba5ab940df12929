// What a segment worker stores from one answer, against a scripted HTTP session.
#include "download/segment_fetch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr unsigned long kCannotConnect = 12029, kConnectionReset = 12030;
constexpr std::int64_t kNow = 784111777;  // Sun, 06 Nov 1994 08:49:37 GMT

// An answer as the server gives it: the send's outcome, status, Content-Range, and the
// reads that follow (bytes of the file from `from`, or a failed read).
struct FakeSession : HttpSession {
    bool sendFails = false;
    HttpStep failAt = HttpStep::Send;
    unsigned long status = 206;
    std::optional<std::wstring> contentRange;
    std::map<std::wstring, std::wstring> headers;  // any others
    struct ReadStep {
        std::uint32_t from, count;  // count 0: the end of the body
        bool fails = false;
    };
    std::deque<ReadStep> reads;
    std::wstring rangeAsked;

    bool Send(const HttpTarget&, const wchar_t*, const std::wstring& header, bool, HttpStep& step,
              unsigned long& error) override
    {
        rangeAsked = header;
        if (!sendFails)
            return true;
        step = failAt;
        error = kCannotConnect;
        return false;
    }
    unsigned long StatusCode() override { return status; }
    bool Header(const wchar_t* name, std::wstring& value) override
    {
        if (std::wstring(name) == L"Content-Range" && contentRange) {
            value = *contentRange;
            return true;
        }
        const auto found = headers.find(name);
        if (found == headers.end())
            return false;
        value = found->second;
        return true;
    }
    bool Read(void* buffer, unsigned long size, unsigned long& read, unsigned long& error) override
    {
        read = 0;
        if (reads.empty())
            return true;
        const ReadStep step = reads.front();
        reads.pop_front();
        if (step.fails) {
            error = kConnectionReset;
            return false;
        }
        read = std::min<unsigned long>(step.count, size);
        for (unsigned long i = 0; i < read; ++i)
            static_cast<unsigned char*>(buffer)[i] = static_cast<unsigned char>(step.from + i);
        return true;
    }
    void Abort() override {}
};

// Segment 1 of a 4000-byte file: bytes 100 to 199.
struct Fetch {
    DownSegment segment;
    std::vector<std::uint32_t> progress;
    SegmentOutcome outcome;
    unsigned char chunk[64];

    explicit Fetch(std::uint32_t received = 0)
    {
        segment.index = 1;
        segment.offset = 100;
        segment.length = 100;
        segment.received = received;
        segment.fileSize = 4000;
        segment.buffer = std::make_unique<unsigned char[]>(100);
        for (std::uint32_t i = 0; i < received; ++i)
            segment.buffer[i] = static_cast<unsigned char>(100 + i);
    }
    void Run(FakeSession& session)
    {
        // Batches of a chunk: a read short of it is seen only in what is reported before the return.
        outcome = FetchSegment(session, HttpTarget{}, segment, chunk, sizeof(chunk), sizeof(chunk), kNow,
                               [this](std::uint32_t bytes) { progress.push_back(bytes); });
    }
    // The segment holds byte i of the file at i - offset, for everything received.
    bool HoldsTheFile() const
    {
        for (std::uint32_t i = 0; i < segment.received; ++i) {
            if (segment.buffer[i] != static_cast<unsigned char>(segment.offset + i))
                return false;
        }
        return true;
    }
};

TEST(SegmentFetchTest, StoresOnlyWhatTheAnswerMayCarry)
{
    using Reads = std::deque<FakeSession::ReadStep>;
    const struct {
        const char* what;
        std::uint32_t resumeAt;  // bytes already in the segment
        std::optional<std::wstring> contentRange;
        Reads reads;
        bool done;
        unsigned long error;
        std::uint32_t received;
        std::vector<std::uint32_t> progress;
        unsigned long status = 206;
    } cases[] = {
        {"the whole range in chunks", 0, L"bytes 100-199/4000", Reads{{100, 64}, {164, 36}}, true, 0, 100, {64, 36}},
        {"a restart asks from where it stopped and appends", 30, L"bytes 130-199/4000", Reads{{130, 64}, {194, 6}},
         true, 0, 100, {64, 6}},
        {"an answer that ends early", 0, L"bytes 100-199/4000", Reads{{100, 40}, {0, 0}}, false, 38, 40, {40}},
        {"a read that fails keeps what came before it", 0, L"bytes 100-199/4000",
         Reads{{100, 50}, {0, 0, true}}, false, kConnectionReset, 50, {50}},
        {"a shorter range than asked is stored, then asked again", 0, L"bytes 100-149/4000",
         Reads{{100, 50}, {150, 10}}, false, 38, 50, {50}},
        {"more body than the range announced: the rest is dropped", 0, L"bytes 100-149/4000",
         Reads{{100, 60}}, false, 13, 50, {50}},
        {"more body than the segment's room: the segment is full", 90, L"bytes 190-199/4000",
         Reads{{190, 30}}, true, 0, 100, {10}},
        {"a range of another place", 0, L"bytes 101-199/4000", Reads{{101, 64}}, false, 13, 0, {}},
        {"a range of a file of another size", 0, L"bytes 100-199/4001", Reads{{100, 64}}, false, 13, 0, {}},
        {"no Content-Range", 0, std::nullopt, Reads{{100, 64}}, false, 13, 0, {}},
        {"an answer other than partial content", 0, L"bytes 100-199/4000", Reads{{100, 64}}, false, 13, 0, {}, 200},
    };
    for (const auto& c : cases) {
        FakeSession session;
        session.status = c.status;
        session.contentRange = c.contentRange;
        session.reads = c.reads;
        Fetch fetch(c.resumeAt);
        fetch.Run(session);
        EXPECT_EQ(session.rangeAsked, L"Range:bytes=" + std::to_wstring(100 + c.resumeAt) +
                                          L"-199\r\nAccept-Encoding: identity") << c.what;
        EXPECT_EQ(fetch.outcome.done, c.done) << c.what;
        EXPECT_EQ(fetch.outcome.error, c.error) << c.what;
        EXPECT_EQ(fetch.segment.received, c.received) << c.what;
        EXPECT_EQ(fetch.progress, c.progress) << c.what;
        EXPECT_TRUE(fetch.HoldsTheFile()) << c.what;
    }
}

TEST(SegmentFetchTest, BusyAndChangedAnswersAreLeftUnreadAndSaySo)
{
    using Headers = std::map<std::wstring, std::wstring>;
    const struct {
        const char* what;
        unsigned long status;
        Headers headers;
        std::optional<BusyAnswer> busy;
        bool changed;
        unsigned long error;
    } cases[] = {
        {"busy, with a date", 503,
         {{L"Retry-After", L"Sun, 06 Nov 1994 08:49:57 GMT"}, {L"Date", L"Sun, 06 Nov 1994 08:49:47 GMT"}},
         BusyAnswer{503, 10u}, false, 0},
        {"too many requests, with nothing", 429, {}, BusyAnswer{429, std::nullopt}, false, 0},
        {"the whole file of another release", 200, {{L"ETag", L"\"v2\""}}, std::nullopt, true, 200},
        {"the whole file of this release: the range ignored", 200, {{L"ETag", L"\"v1\""}}, std::nullopt, false, 13},
    };
    for (const auto& c : cases) {
        FakeSession session;
        session.status = c.status;
        session.headers = c.headers;
        session.reads = {{100, 64}};
        Fetch fetch;
        fetch.segment.validator = L"\"v1\"";
        fetch.Run(session);
        EXPECT_EQ(session.rangeAsked, L"Range:bytes=100-199\r\nAccept-Encoding: identity\r\nIf-Range: \"v1\"")
            << c.what;
        EXPECT_EQ(fetch.outcome.busy ? PackBusyAnswer(*fetch.outcome.busy) : 0, c.busy ? PackBusyAnswer(*c.busy) : 0)
            << c.what;
        EXPECT_EQ(fetch.outcome.changed, c.changed) << c.what;
        EXPECT_EQ(fetch.outcome.error, c.error) << c.what;
        EXPECT_FALSE(fetch.outcome.done) << c.what;
        EXPECT_EQ(session.reads.size(), 1u) << c.what << ": nothing read";
        EXPECT_EQ(fetch.segment.received, 0u) << c.what;
    }
}

TEST(SegmentFetchTest, ARequestThatNeverWentOutCarriesNoCodeAndAFailedSendItsOwn)
{
    for (const auto step : {HttpStep::OpenRoot, HttpStep::Connect, HttpStep::OpenRequest, HttpStep::AddHeader}) {
        FakeSession session;
        session.sendFails = true;
        session.failAt = step;
        Fetch fetch;
        fetch.Run(session);
        EXPECT_FALSE(fetch.outcome.done);
        EXPECT_EQ(fetch.outcome.error, 0u);
    }
    FakeSession session;
    session.sendFails = true;
    Fetch fetch;
    fetch.Run(session);
    EXPECT_EQ(fetch.outcome.error, kCannotConnect);
    EXPECT_EQ(fetch.segment.received, 0u);
}

}  // namespace
