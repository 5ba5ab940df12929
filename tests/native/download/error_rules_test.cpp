// What every failure report leads to: restarts at once, parking until bytes flow,
// the switch to WinHTTP, and one fatal box.
#include "download/download_engine.h"
#include "download/error_text.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

// Records what the engine asks for as words, runs of one word folded ("probe x41").
struct EffectsLog : EngineEffects {
    std::vector<std::string> words;
    bool useWinHttp = false;
    int errorShown = 0;
    int shown = -1;
    std::uint64_t now = 0;
    std::optional<std::uint32_t> wake;
    bool workersEnd = true;
    bool giveCredentials = true;
    std::function<void()> whileAsked;  // reports that arrive while the user is asked

    void Say(const std::string& word)
    {
        if (!words.empty()) {
            std::string& last = words.back();
            const auto times = last.rfind(" x");
            const std::string base = times == std::string::npos ? last : last.substr(0, times);
            if (base == word) {
                const int count = times == std::string::npos ? 1 : std::stoi(last.substr(times + 2));
                last = base + " x" + std::to_string(count + 1);
                return;
            }
        }
        words.push_back(word);
    }

    void StartSegmentWorker(DownSegment& segment) override { Say("segment " + std::to_string(segment.index)); }
    void StartSegmentWriter(DownSegment&) override {}
    void StartHandoff() override { Say("handoff"); }
    void PostSegmentDone(int) override {}
    void PostError(unsigned long, long) override {}
    void ShowProgress(int percentage) override
    {
        shown = percentage;
        Say("progress");
    }
    void CloseTempFile() override {}
    void StartSizeProbe() override { Say("probe"); }
    void SwitchToWinHttp() override
    {
        useWinHttp = true;
        Say("switch");
    }
    bool AskProxyCredentials() override
    {
        Say("ask");
        if (whileAsked)
            whileAsked();
        return giveCredentials;
    }
    void ShowFatalError(ErrorBox box, unsigned long code) override
    {
        const char* name = box == ErrorBox::Url ? "url" : box == ErrorBox::System ? "system" : "network";
        Say(std::string("box ") + name + " " + std::to_string(code));
    }
    std::uint64_t NowMs() override { return now; }
    void WakeAfter(std::optional<std::uint32_t> ms) override { wake = ms; }
    bool StopWorkers() override
    {
        Say("stop workers");
        return workersEnd;
    }
    void PostStartOver() override { Say("start over"); }
};

struct Reports {
    EffectsLog effects;
    DownloadEngine engine{effects, effects.errorShown};

    void Fail(long kind, int times = 1, unsigned long code = 12029)
    {
        for (int i = 0; i < times; ++i)
            engine.OnError(code, kind, effects.useWinHttp);
    }
    void Busy(long kind, std::optional<std::uint32_t> retryAfter = std::nullopt, unsigned long status = 503)
    {
        engine.OnBusy(kind, BusyAnswer{status, retryAfter}, effects.useWinHttp);
    }
    // Time passes; the timer fires whenever a wait was asked for.
    void Pass(std::uint32_t ms)
    {
        effects.now += ms;
        if (effects.wake)
            engine.OnWake();
    }
    // Segments 0 to count - 1 have all their bytes; the others are in flight.
    void Receive(int count)
    {
        for (int i = 0; i < count; ++i)
            engine.OnSegmentDone(i);
    }
};

TEST(ErrorRulesTest, EachFailureLeadsToItsRestartParkingSwitchOrBox)
{
    const struct {
        const char* what;
        std::function<void(Reports&)> reports;
        std::vector<std::string> asked;
        std::vector<int> parked;
        int retries;
    } cases[] = {
        {"a probe failing for ever: 1 + 41 over WinINet, the switch, 1 + 41 over WinHTTP, the box",
         [](Reports& r) {
             r.Fail(41, 42, 12029);
             r.Fail(41, 42, 404);
             r.Fail(41, 5, 404);  // after the box: dropped
         },
         {"probe x41", "switch", "probe x41", "box network 404"}, {}, 41},
        {"a probe that fails 41 times and then answers never switches",
         [](Reports& r) { r.Fail(41, 41); }, {"probe x41"}, {}, 41},
        {"the probe and the segments draw on one count of restarts",
         [](Reports& r) {
             r.Fail(41, 20);
             r.engine.Plan(4000);
             r.effects.words.clear();
             r.Fail(5, 22);
         },
         {"segment 5 x21"}, {5}, 41},
        {"parked segments are restarted by the next progress report, in the order parked",
         [](Reports& r) {
             r.engine.Plan(4000);
             r.effects.words.clear();
             r.Fail(7, 41);
             r.Fail(7);
             r.Fail(3);
             r.Fail(12);
             r.engine.OnProgress(0, 10);
         },
         {"segment 7 x41", "progress", "segment 7", "segment 3", "segment 12"}, {}, 0},
        {"the last segment in flight parked: the network box at once, with its code",
         [](Reports& r) {
             r.engine.Plan(4000);
             r.Receive(39);
             r.effects.words.clear();
             r.Fail(39, 41, 12030);
             r.Fail(39, 1, 12152);
         },
         {"segment 39 x41", "box network 12152"}, {39}, 41},
        {"while others are in flight a parked segment waits",
         [](Reports& r) {
             r.engine.Plan(4000);
             r.Receive(38);
             r.effects.words.clear();
             r.Fail(39, 42);
         },
         {"segment 39 x41"}, {39}, 41},
        {"two fatal reports: one box, and nothing restarts after it",
         [](Reports& r) {
             r.Fail(42, 1, 5);
             r.Fail(43, 1, 0);
             r.Fail(41);
         },
         {"box system 5"}, {}, 0},
        {"an address error", [](Reports& r) { r.Fail(43, 1, 0); }, {"box url 0"}, {}, 0},
        {"a proxy that wants a password asks once; a 407 after the answer is a failure like any",
         [](Reports& r) { r.Fail(41, 2, 407); }, {"ask", "probe x2"}, {}, 2},
        {"no name and password given: the network box with 407",
         [](Reports& r) {
             r.effects.giveCredentials = false;
             r.Fail(41, 1, 407);
         },
         {"ask", "box network 407"}, {}, 0},
        {"segments that fail while the user is asked wait for the answer",
         [](Reports& r) {
             r.engine.Plan(4000);
             r.effects.words.clear();
             r.effects.whileAsked = [&r] {
                 r.Fail(3, 1, 407);
                 r.Fail(5);
             };
             r.Fail(7, 1, 407);
         },
         {"ask", "segment 3", "segment 5", "segment 7"}, {}, 1},
        {"kinds that name nothing, and segments of no plan, do nothing",
         [](Reports& r) {
             r.Fail(40);
             r.Fail(44);
             r.Fail(-1);
             r.Fail(3);
         },
         {}, {}, 0},
    };
    for (const auto& c : cases) {
        Reports run;
        c.reports(run);
        EXPECT_EQ(run.effects.words, c.asked) << c.what;
        EXPECT_EQ(run.engine.FailedSegments(), c.parked) << c.what;
        EXPECT_EQ(run.engine.RetryCount(), c.retries) << c.what;
    }
}

TEST(ErrorRulesTest, BusyRangesWaitInLineWithoutSpendingRestarts)
{
    const struct {
        const char* what;
        std::function<void(Reports&)> reports;
        std::vector<std::string> asked;
    } cases[] = {
        {"the first in line is asked after its backoff, the next only once the first was asked",
         [](Reports& r) {
             r.Busy(3);
             r.Busy(5);
             r.Pass(300);  // under the shortest first backoff, 375 ms
             r.Pass(400);
             r.Pass(300);
             r.Pass(400);
         },
         {"segment 3", "segment 5"}},
        {"a range that ends makes room for the first in line at once, as does one parked",
         [](Reports& r) {
             r.Busy(3);
             r.Busy(5);
             r.engine.OnSegmentDone(0);
             r.Fail(7, 42);
         },
         {"segment 3", "segment 7 x41", "segment 5"}},
        {"refused again, a range keeps its place and waits twice as long",
         [](Reports& r) {
             r.Busy(3);
             r.Busy(5);
             r.Pass(700);
             r.Busy(3);
             r.Pass(700);  // under the shortest second backoff, 750 ms
             r.Pass(600);
         },
         {"segment 3 x2"}},
        {"Retry-After is waited for",
         [](Reports& r) {
             r.Busy(3, 10);
             r.Pass(9900);
             r.Pass(200);
         },
         {"segment 3"}},
        {"a whole line refused spends no restart; a server refusing for minutes is down",
         [](Reports& r) {
             for (int i = 0; i < SEGMENT_COUNT; ++i)
                 r.Busy(i);
             for (int i = 0; i < MAX_BUSY_ANSWERS - SEGMENT_COUNT; ++i) {
                 r.Pass(5000);
                 r.Busy(0);
             }
             EXPECT_EQ(r.engine.RetryCount(), 0);
             r.Pass(5000);
             r.Busy(0, 5, 429);
         },
         {"segment 0 x42", "box network 429"}},
    };
    for (const auto& c : cases) {
        Reports run;
        run.engine.Plan(4000);
        run.effects.words.clear();
        c.reports(run);
        EXPECT_EQ(run.effects.words, c.asked) << c.what;
    }
}

TEST(ErrorRulesTest, ABusyProbeWaitsBetweenTriesAtMostThirtySecondsThenKeepsItsBudget)
{
    Reports run;
    std::uint32_t waited = 0;
    for (int i = 0; i < 42; ++i) {
        run.Busy(41, i == 0 ? std::optional<std::uint32_t>(60) : std::nullopt);
        const std::uint32_t wait = run.effects.wake.value_or(0);
        EXPECT_LE(wait, 5000u) << i;
        waited += wait;
        run.Pass(wait);
    }
    EXPECT_EQ(waited, 30000u);
    EXPECT_EQ(run.effects.words, (std::vector<std::string>{"probe x41", "switch"}));
    // The other interface waits anew.
    run.Busy(41);
    EXPECT_TRUE(run.effects.wake.has_value());
}

TEST(ErrorRulesTest, AChangedReleaseStartsOverOnceThenEndsInTheNetworkBox)
{
    Reports run;
    run.engine.Plan(4000);
    run.engine.OnProgress(0, 3000);
    run.effects.words.clear();
    run.engine.OnReleaseChanged(7, 200);
    EXPECT_EQ(run.effects.shown, 0) << "the bar is back at 0";
    // What the stopped workers still report is dropped.
    run.engine.OnSegmentDone(3);
    run.Fail(4);
    run.Busy(5);
    run.engine.OnProgress(0, 100);
    run.engine.OnReleaseChanged(8, 200);
    run.engine.OnStartOver();
    EXPECT_EQ(run.effects.words, (std::vector<std::string>{"stop workers", "progress", "start over", "probe"}));
    run.engine.Plan(4000);
    run.engine.OnProgress(0, 100);
    EXPECT_EQ(run.engine.DownloadedBytes(), 100u);
    run.effects.words.clear();
    run.engine.OnReleaseChanged(9, 200);
    EXPECT_EQ(run.effects.words, std::vector<std::string>{"box network 200"});

    Reports stuck;
    stuck.effects.workersEnd = false;
    stuck.engine.Plan(4000);
    stuck.effects.words.clear();
    stuck.engine.OnReleaseChanged(7, 200);
    EXPECT_EQ(stuck.effects.words, (std::vector<std::string>{"stop workers", "box network 200"}));
    EXPECT_NE(stuck.engine.Segment(7), nullptr) << "a worker still running keeps its segment";
}

TEST(ErrorRulesTest, AfterAFatalErrorNothingIsFetchedOrHandedOff)
{
    Reports run;
    run.engine.Plan(40);
    run.effects.words.clear();
    run.Receive(40);
    for (int i = 0; i < 39; ++i)
        run.engine.OnSegmentWritten(i);
    run.Fail(42, 1, 112);
    EXPECT_EQ(run.effects.errorShown, 1);
    run.engine.OnSegmentWritten(39);  // the write that was under way when the box came
    run.engine.Plan(4000);
    EXPECT_EQ(run.effects.words, std::vector<std::string>{"box system 112"});
}

TEST(ErrorTextTest, BoxesReadAsTheUserSeesThem)
{
    EXPECT_EQ(ErrorBoxText(ErrorBox::System, L"System error", 5), L"System error : 5");
    EXPECT_EQ(ErrorBoxText(ErrorBox::Network, L"Network error", 404), L"Network error : 404");
    EXPECT_EQ(ErrorBoxText(ErrorBox::System, L"System error", 0xC0000005), L"System error : -1073741819");
    EXPECT_EQ(ErrorBoxText(ErrorBox::Url, L"ignored", 7), L"error : URL, URL error");
    EXPECT_EQ(ErrorBoxText(ErrorBox::Network, L"", 12029), L" : 12029");
}

}  // namespace
