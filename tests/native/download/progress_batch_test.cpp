// A worker's progress reaches the window in steps, and every byte exactly once.
#include "download/progress_batch.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

TEST(ProgressBatch, ReportsInStepsAndTheRestWhenItEnds)
{
    const struct {
        const char* what;
        std::vector<std::uint32_t> reads;
        std::vector<std::uint32_t> reports;
    } cases[] = {
        {"small reads gather until a step is full", {40, 40, 40, 10}, {120, 10}},
        {"a read past the step is reported whole", {250}, {250}},
        {"exactly a step", {50, 50, 7}, {100, 7}},
        {"nothing read, nothing reported", {}, {}},
        {"zero-byte reads add nothing", {0, 0, 30}, {30}},
    };
    for (const auto& c : cases) {
        std::vector<std::uint32_t> reports;
        {
            ProgressBatch batch(100, [&reports](std::uint32_t bytes) { reports.push_back(bytes); });
            for (const std::uint32_t read : c.reads)
                batch.Add(read);
        }
        EXPECT_EQ(reports, c.reports) << c.what;
    }
}

}  // namespace
