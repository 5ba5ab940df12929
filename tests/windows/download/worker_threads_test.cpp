// Stopping the engine's threads: every exchange in flight is aborted, every thread is
// waited for, and nothing new starts afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "app/handles.h"
#include "download/worker_threads.h"

namespace {

// A session whose read blocks until it is aborted, as a read from a server that has
// stopped sending does until its handles are closed.
struct BlockingSession : HttpSession {
    UniqueHandle aborted{CreateEventW(nullptr, TRUE, FALSE, nullptr)};

    bool Send(const HttpTarget&, const wchar_t*, const std::wstring&, bool, HttpStep&, unsigned long&) override
    {
        return true;
    }
    unsigned long StatusCode() override { return 206; }
    bool Header(const wchar_t*, std::wstring&) override { return false; }
    bool Read(void*, unsigned long, unsigned long& read, unsigned long& error) override
    {
        read = 0;
        WaitForSingleObject(aborted.get(), INFINITE);
        error = 12017;
        return false;
    }
    void Abort() override { SetEvent(aborted.get()); }
};

struct Worker {
    WorkerThreads* workers = nullptr;
    BlockingSession session;
    std::atomic<bool> reading{false};
    std::atomic<bool> abortedAndDone{false};  // its read ended by the abort, and all that followed done
};

unsigned __stdcall ReadUntilAborted(void* argument)
{
    auto& worker = *static_cast<Worker*>(argument);
    {
        const SessionRegistration registration(*worker.workers, worker.session);
        if (registration) {
            worker.reading = true;
            unsigned long read = 0, error = 0;
            char byte = 0;
            worker.session.Read(&byte, 1, read, error);
            // What a worker does after its call returns (posting its failure) still
            // happens before Stop lets go.
            Sleep(100);
            worker.abortedAndDone = error == 12017;
        }
    }
    return 1;
}

TEST(WorkerThreadsTest, StopAbortsEveryExchangeAndWaitsForEveryThread)
{
    WorkerThreads workers;
    std::vector<Worker> pool(40);
    for (Worker& worker : pool) {
        worker.workers = &workers;
        ASSERT_TRUE(workers.Start(ReadUntilAborted, &worker));
    }
    for (int waited = 0; waited < 200; ++waited) {
        bool all = true;
        for (const Worker& worker : pool)
            all = all && worker.reading;
        if (all)
            break;
        Sleep(50);
    }
    EXPECT_EQ(WaitForSingleObject(workers.StopEvent(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

    EXPECT_TRUE(workers.Stop(10000));
    for (const Worker& worker : pool)
        EXPECT_TRUE(worker.abortedAndDone);
    EXPECT_EQ(WaitForSingleObject(workers.StopEvent(), 0), static_cast<DWORD>(WAIT_OBJECT_0));

    Worker late;
    late.workers = &workers;
    EXPECT_FALSE(workers.Start(ReadUntilAborted, &late));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
    EXPECT_FALSE(workers.Register(late.session));
}

unsigned __stdcall WaitForRelease(void* event)
{
    WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
    return 1;
}

TEST(WorkerThreadsTest, AThreadThatDoesNotEndMakesABoundedStopFail)
{
    WorkerThreads workers;
    const UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(workers.Start(WaitForRelease, release.get()));
    const DWORD start = GetTickCount();
    EXPECT_FALSE(workers.Stop(300));
    EXPECT_LT(GetTickCount() - start, 5000u);
    SetEvent(release.get());
    EXPECT_TRUE(workers.Stop(INFINITE));
}

}  // namespace
