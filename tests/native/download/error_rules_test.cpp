// What every failure report leads to: restarts at once, parking until bytes flow,
// the switch to WinHTTP, and one fatal box.
#include "download/download_engine.h"
#include "download/error_text.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Records what the engine asks for as words, runs of one word folded ("probe x41").
struct EffectsLog : EngineEffects {
    std::vector<std::string> words;
    bool useWinHttp = false;
    int errorShown = 0;
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
    void ShowProgress(int) override { Say("progress"); }
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
};

struct Reports {
    EffectsLog effects;
    DownloadEngine engine{effects, effects.errorShown};

    void Fail(long kind, int times = 1, unsigned long code = 12029)
    {
        for (int i = 0; i < times; ++i)
            engine.OnError(code, kind, effects.useWinHttp);
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
