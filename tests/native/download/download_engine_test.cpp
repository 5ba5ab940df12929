#include "download/download_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

struct RecordingEffects : EngineEffects {
    std::vector<int> workers, writers, doneReports, progress;
    std::vector<std::pair<unsigned long, long>> errors;
    std::vector<std::string> endings;  // CloseTempFile and StartHandoff, in order
    int errorShown = 0;

    void StartSegmentWorker(DownSegment& segment) override { workers.push_back(segment.index); }
    void StartSegmentWriter(DownSegment& segment) override { writers.push_back(segment.index); }
    void StartHandoff() override { endings.push_back("handoff"); }
    void PostSegmentDone(int index) override { doneReports.push_back(index); }
    void PostError(unsigned long code, long kind) override { errors.emplace_back(code, kind); }
    void ShowProgress(int percentage) override { progress.push_back(percentage); }
    void CloseTempFile() override { endings.push_back("close"); }
    void StartSizeProbe() override {}
    void SwitchToWinHttp() override {}
    bool AskProxyCredentials() override { return false; }
    void ShowFatalError(ErrorBox, unsigned long) override {}
    std::uint64_t NowMs() override { return 0; }
    void WakeAfter(std::optional<std::uint32_t>) override {}
    bool StopWorkers() override { return true; }
    void PostStartOver() override {}
};

std::vector<int> ZeroTo(int last)
{
    std::vector<int> indices(last + 1);
    std::iota(indices.begin(), indices.end(), 0);
    return indices;
}

const std::vector<std::string> kClosedThenHandedOff = {"close", "handoff"};

TEST(PlanSegmentsTest, FortyEqualSegmentsAndTheLastTakesTheRemainder)
{
    const auto plan = PlanSegments(10000003);
    ASSERT_EQ(plan.size(), 40u);
    for (int i = 0; i < 39; ++i) {
        EXPECT_EQ(plan[i].offset, static_cast<std::uint32_t>(i) * 250000u) << i;
        EXPECT_EQ(plan[i].length, 250000u) << i;
    }
    EXPECT_EQ(plan[39].offset, 9750000u);
    EXPECT_EQ(plan[39].length, 250003u);
    for (const auto& segment : PlanSegments(4000000))
        EXPECT_EQ(segment.length, 100000u);
}

TEST(PlanSegmentsTest, FilesUnderFortyBytesGoWholeIntoTheLastSegment)
{
    for (std::uint32_t size = 1; size < 40; ++size) {
        const auto plan = PlanSegments(size);
        for (int i = 0; i < 39; ++i)
            EXPECT_EQ(plan[i].length, 0u) << size;
        EXPECT_EQ(plan[39].offset, 0u) << size;
        EXPECT_EQ(plan[39].length, size) << size;
    }
}

TEST(PlanSegmentsTest, SegmentsTileTheFileWithoutGapOrOverlap)
{
    for (const std::uint32_t size : {1u, 39u, 40u, 41u, 79u, 1000u, 10000003u, 2147483647u, 4294967295u}) {
        const auto plan = PlanSegments(size);
        std::uint64_t next = 0;
        for (int i = 0; i < 40; ++i) {
            EXPECT_EQ(plan[i].index, i);
            EXPECT_EQ(plan[i].offset, next) << size << " segment " << i;
            EXPECT_EQ(plan[i].received, 0u);
            EXPECT_EQ(plan[i].buffer, nullptr);
            next += plan[i].length;
        }
        EXPECT_EQ(next, size);
    }
}

TEST(DownloadPercentageTest, DownloadAloneFillsFourFifthsWithoutOverflow)
{
    const struct {
        std::uint64_t downloaded;
        std::uint32_t total;
        int percentage;
    } cases[] = {
        {0, 0, 0}, {500, 0, 0}, {0, 1000, 0}, {12, 1000, 0}, {13, 1000, 1}, {1000, 1000, 80},
        {1249, 1000, 99}, {1250, 1000, 100}, {1, 1, 100}, {10000003, 10000003, 80},
        {2147483647, 2147483647, 80}, {1073741823, 2147483647, 39}, {4294967295, 4294967295, 80},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DownloadPercentage(c.downloaded, c.total), c.percentage) << c.downloaded << "/" << c.total;
}

class DownloadEngineTest : public ::testing::Test {
protected:
    RecordingEffects effects;
    DownloadEngine engine{effects, effects.errorShown};
};

TEST_F(DownloadEngineTest, NothingIsWrittenUntilTheFirstSegmentArrives)
{
    engine.Plan(10000003);
    EXPECT_EQ(effects.workers, ZeroTo(39));
    EXPECT_TRUE(effects.doneReports.empty());
    for (int i = 0; i < 40; ++i)
        ASSERT_NE(engine.Segment(i)->buffer, nullptr) << i;
    EXPECT_EQ(engine.Segment(40), nullptr);

    for (int i = 39; i >= 1; --i)
        engine.OnSegmentDone(i);
    EXPECT_TRUE(effects.writers.empty());
    EXPECT_EQ(engine.PendingWrites().size(), 39u);
    EXPECT_EQ(engine.DoneCount(), 39);

    engine.OnSegmentDone(0);
    EXPECT_EQ(effects.writers, std::vector<int>{0});
    for (int i = 0; i < 39; ++i) {
        engine.OnSegmentWritten(i);
        EXPECT_EQ(engine.Segment(i)->buffer, nullptr) << i;
        EXPECT_EQ(effects.writers, ZeroTo(i + 1));
        EXPECT_EQ(engine.PendingWrites().size(), static_cast<std::size_t>(38 - i));
        EXPECT_TRUE(effects.endings.empty());
    }
    engine.OnSegmentWritten(39);
    EXPECT_EQ(effects.endings, kClosedThenHandedOff);
    EXPECT_EQ(engine.Segment(0), nullptr);
    EXPECT_EQ(engine.NextToWrite(), 39);
    EXPECT_EQ(engine.DoneCount(), 40);
    EXPECT_TRUE(effects.errors.empty());
}

TEST_F(DownloadEngineTest, AnyCompletionOrderIsWrittenStrictlyInOrderAndHandedOffOnce)
{
    for (const unsigned seed : {1u, 7u, 42u, 2024u, 90210u}) {
        RecordingEffects run;
        DownloadEngine randomEngine(run, run.errorShown);
        randomEngine.Plan(10000003);
        std::mt19937 random(seed);
        std::vector<int> arrivals = ZeroTo(39);
        std::shuffle(arrivals.begin(), arrivals.end(), random);
        // Completions and finished writes interleave as the threads would deliver them.
        std::size_t arrived = 0, written = 0;
        while (arrived < arrivals.size() || written < run.writers.size()) {
            const bool canWrite = written < run.writers.size();
            if (arrived < arrivals.size() && (!canWrite || random() % 2 == 0))
                randomEngine.OnSegmentDone(arrivals[arrived++]);
            else
                randomEngine.OnSegmentWritten(run.writers[written++]);
        }
        EXPECT_EQ(run.writers, ZeroTo(39)) << "seed " << seed;
        EXPECT_EQ(run.endings, kClosedThenHandedOff) << "seed " << seed;
        EXPECT_TRUE(run.errors.empty()) << "seed " << seed;
        EXPECT_TRUE(randomEngine.PendingWrites().empty()) << "seed " << seed;
    }
}

TEST_F(DownloadEngineTest, AWriteReportedOutOfTurnIsASystemError)
{
    engine.Plan(10000003);
    engine.OnSegmentDone(0);
    engine.OnSegmentDone(1);
    engine.OnSegmentWritten(1);
    EXPECT_EQ(effects.errors, (std::vector<std::pair<unsigned long, long>>{{0, 42}}));
    EXPECT_EQ(engine.NextToWrite(), 0);
    EXPECT_EQ(effects.writers, std::vector<int>{0});
    EXPECT_NE(engine.Segment(1)->buffer, nullptr);
}

TEST_F(DownloadEngineTest, EmptySegmentsOfATinyFileAreReportedDoneWithoutAWorker)
{
    engine.Plan(5);
    EXPECT_EQ(effects.doneReports, ZeroTo(38));
    EXPECT_EQ(effects.workers, std::vector<int>{39});
    EXPECT_EQ(engine.Segment(0)->buffer, nullptr);
    EXPECT_NE(engine.Segment(39)->buffer, nullptr);

    for (const int index : effects.doneReports)
        engine.OnSegmentDone(index);
    engine.OnSegmentDone(39);
    for (std::size_t written = 0; written < effects.writers.size(); ++written)
        engine.OnSegmentWritten(effects.writers[written]);
    EXPECT_EQ(effects.writers, ZeroTo(39));
    EXPECT_EQ(effects.endings, kClosedThenHandedOff);
}

TEST_F(DownloadEngineTest, AnUnchangedNumberIsNotRedrawnButStillRestartsParkedSegments)
{
    engine.Plan(1000);
    engine.OnProgress(0, 500);
    for (int i = 0; i <= MAX_QUICK_RETRIES + 1; ++i)  // 41 restarts at once, then parked
        engine.OnError(12030, 7, false);
    effects.workers.clear();

    engine.OnProgress(0, 1);  // still 40%
    EXPECT_EQ(effects.workers, std::vector<int>{7});
    engine.OnProgress(0, 499);
    engine.OnProgress(85, 0);
    engine.OnProgress(85, 0);
    EXPECT_EQ(effects.progress, (std::vector<int>{40, 80, 85}));
    EXPECT_EQ(engine.DownloadedBytes(), 1000u);
}

TEST_F(DownloadEngineTest, CompletionsWithoutAPlanOrOutOfRangeAreIgnored)
{
    engine.OnSegmentDone(0);
    engine.Plan(1000);
    engine.OnSegmentDone(-1);
    engine.OnSegmentDone(40);
    EXPECT_TRUE(effects.writers.empty());
    EXPECT_TRUE(engine.PendingWrites().empty());
    EXPECT_EQ(engine.DoneCount(), 0);
}

TEST_F(DownloadEngineTest, ResetStartsTheWriteOrderOver)
{
    engine.Plan(1000);
    engine.OnSegmentDone(0);
    engine.OnSegmentWritten(0);
    engine.OnSegmentDone(5);
    engine.OnError(12030, 9, false);
    engine.ResetCounters();
    EXPECT_EQ(engine.NextToWrite(), 0);
    EXPECT_EQ(engine.DoneCount(), 0);
    EXPECT_EQ(engine.RetryCount(), 0);
    EXPECT_TRUE(engine.PendingWrites().empty());
}

}  // namespace
