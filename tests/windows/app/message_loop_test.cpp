// The message loop: its exit code, the message filters that may consume a message
// before it is dispatched, the idle handlers, and the module's loop-per-thread registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/app_module.h"
#include "app/handles.h"
#include "app/message_loop.h"

namespace {

constexpr UINT kTestMessage = WM_APP + 1;

// Takes whatever an earlier test or the system left in this thread's queue, the quit
// flag included, so that each loop starts empty.
void DrainQueue()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

// What happened, in order: filter and idle handler calls and dispatches, by name.
using Events = std::vector<std::string>;

// A message-only window that records the test messages and the step timer dispatched
// to it, and carries the watchdog that ends a loop which waits for nothing.
class CountingWindow {
public:
    static constexpr UINT_PTR kStepTimer = 1;
    static constexpr UINT_PTR kWatchdogTimer = 2;
    static constexpr int kWatchdogQuitCode = -2;

    explicit CountingWindow(Events& events) : m_events(events)
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClassName;
        RegisterClassW(&wc);  // fails harmlessly when an earlier test registered it
        m_hWnd = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleW(nullptr), this);
    }
    ~CountingWindow()
    {
        if (m_hWnd)
            DestroyWindow(m_hWnd);
    }
    CountingWindow(const CountingWindow&) = delete;
    CountingWindow& operator=(const CountingWindow&) = delete;

    HWND Handle() const { return m_hWnd; }
    int Dispatched() const { return m_dispatched; }
    void Post(UINT msg = kTestMessage) const { PostMessageW(m_hWnd, msg, 0, 0); }
    // A WM_TIMER, recorded as "timer", after `milliseconds`.
    void StartStepTimer(UINT milliseconds) const { SetTimer(m_hWnd, kStepTimer, milliseconds, nullptr); }

    // Runs `loop` with a watchdog: a loop still waiting after two seconds is ended
    // with kWatchdogQuitCode (and "watchdog" recorded) instead of hanging the test.
    int RunGuarded(CMessageLoop& loop) const
    {
        SetTimer(m_hWnd, kWatchdogTimer, 2000, nullptr);
        const int code = loop.Run();
        KillTimer(m_hWnd, kWatchdogTimer);
        KillTimer(m_hWnd, kStepTimer);
        return code;
    }

private:
    static constexpr const wchar_t* kClassName = L"LumarouteLoopTestWindow";

    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        if (uMsg == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<CountingWindow*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (self && uMsg == kTestMessage) {
            ++self->m_dispatched;
            self->m_events.push_back("dispatch");
            return 0;
        }
        if (self && uMsg == WM_TIMER && (wParam == kStepTimer || wParam == kWatchdogTimer)) {
            KillTimer(hWnd, wParam);
            if (wParam == kStepTimer) {
                self->m_events.push_back("timer");
            } else {
                self->m_events.push_back("watchdog");
                PostQuitMessage(kWatchdogQuitCode);
            }
            return 0;
        }
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }

    Events& m_events;
    HWND m_hWnd = nullptr;
    int m_dispatched = 0;
};

class RecordingFilter : public CMessageFilter {
public:
    RecordingFilter(std::string name, Events& events, BOOL consume = FALSE)
        : m_name(std::move(name)), m_events(events), m_consume(consume)
    {
    }

    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message != kTestMessage)
            return FALSE;
        m_events.push_back(m_name);
        if (m_loopToLeave)
            m_loopToLeave->RemoveMessageFilter(this);
        return m_consume;
    }

    // The filter takes itself out of `loop` when it sees the test message.
    void LeaveOnFirstMessage(CMessageLoop* loop) { m_loopToLeave = loop; }

private:
    std::string m_name;
    Events& m_events;
    BOOL m_consume;
    CMessageLoop* m_loopToLeave = nullptr;
};

class MessageLoopTest : public testing::Test {
protected:
    void SetUp() override
    {
        DrainQueue();
        ASSERT_NE(m_window.Handle(), nullptr);
    }
    void TearDown() override { DrainQueue(); }

    // Posts one test message and the quit message, then runs the loop.
    int RunOneMessage()
    {
        m_window.Post();
        PostQuitMessage(0);
        return m_window.RunGuarded(m_loop);
    }

    Events m_events;
    CountingWindow m_window{m_events};
    CMessageLoop m_loop;
};

// ---------------------------------------------------------------------------------
// Exit code

TEST_F(MessageLoopTest, RunReturnsTheQuitCodeWhole)
{
    for (const int code : {0, 1, 1000, 0x12345678, -1}) {
        SCOPED_TRACE(code);
        CMessageLoop loop;
        PostQuitMessage(code);
        EXPECT_EQ(m_window.RunGuarded(loop), code);
    }
}

TEST_F(MessageLoopTest, MessagesPostedBeforeTheQuitAreDispatchedFirst)
{
    m_window.Post();
    m_window.Post();
    PostQuitMessage(1000);

    EXPECT_EQ(m_window.RunGuarded(m_loop), 1000);
    EXPECT_EQ(m_window.Dispatched(), 2);
}

// ---------------------------------------------------------------------------------
// Message filters

struct FilterCase {
    const char* name;
    BOOL olderConsumes;
    BOOL newerConsumes;
    Events expected;
};

TEST_F(MessageLoopTest, FiltersSeeMessagesNewestFirstAndTheFirstToConsumeStopsTheRest)
{
    const std::vector<FilterCase> cases{
        {"neither consumes", FALSE, FALSE, {"newer", "older", "dispatch"}},
        {"newer consumes", FALSE, TRUE, {"newer"}},
        {"older consumes", TRUE, FALSE, {"newer", "older"}},
        {"both consume", TRUE, TRUE, {"newer"}},
    };
    for (const FilterCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_events.clear();
        CMessageLoop loop;
        RecordingFilter older("older", m_events, c.olderConsumes);
        RecordingFilter newer("newer", m_events, c.newerConsumes);
        ASSERT_TRUE(loop.AddMessageFilter(&older));
        ASSERT_TRUE(loop.AddMessageFilter(&newer));

        m_window.Post();
        PostQuitMessage(0);
        EXPECT_EQ(m_window.RunGuarded(loop), 0);

        EXPECT_EQ(m_events, c.expected);
    }
}

TEST_F(MessageLoopTest, FilterMayRemoveItselfWhileTheMessageIsOffered)
{
    RecordingFilter oldest("oldest", m_events);
    RecordingFilter middle("middle", m_events);
    RecordingFilter newest("newest", m_events);
    ASSERT_TRUE(m_loop.AddMessageFilter(&oldest));
    ASSERT_TRUE(m_loop.AddMessageFilter(&middle));
    ASSERT_TRUE(m_loop.AddMessageFilter(&newest));
    middle.LeaveOnFirstMessage(&m_loop);
    newest.LeaveOnFirstMessage(&m_loop);

    RunOneMessage();
    // Each filter is offered the message once, the ones that left included.
    EXPECT_EQ(m_events, (Events{"newest", "middle", "oldest", "dispatch"}));

    m_events.clear();
    RunOneMessage();
    EXPECT_EQ(m_events, (Events{"oldest", "dispatch"}));
    EXPECT_FALSE(m_loop.RemoveMessageFilter(&middle));
    EXPECT_FALSE(m_loop.RemoveMessageFilter(&newest));
}

TEST_F(MessageLoopTest, FilterIsRegisteredOnceAndRemovedOnce)
{
    RecordingFilter filter("filter", m_events);
    RecordingFilter stranger("stranger", m_events);

    EXPECT_FALSE(m_loop.RemoveMessageFilter(&stranger));
    EXPECT_FALSE(m_loop.AddMessageFilter(nullptr));
    EXPECT_TRUE(m_loop.AddMessageFilter(&filter));
    EXPECT_FALSE(m_loop.AddMessageFilter(&filter));
    EXPECT_FALSE(m_loop.RemoveMessageFilter(&stranger));

    RunOneMessage();
    EXPECT_EQ(m_events, (Events{"filter", "dispatch"}));

    EXPECT_TRUE(m_loop.RemoveMessageFilter(&filter));
    EXPECT_FALSE(m_loop.RemoveMessageFilter(&filter));
    m_events.clear();
    RunOneMessage();
    EXPECT_EQ(m_events, (Events{"dispatch"}));
}

// ---------------------------------------------------------------------------------
// Idle handlers

// Records each call and runs `step` with the call's number (from 1). Answers "more
// work to do", which the loop must not take as a reason to call again before the
// next message.
class RecordingIdleHandler : public CIdleHandler {
public:
    using Step = std::function<void(int call)>;

    RecordingIdleHandler(std::string name, Events& events, Step step = {})
        : m_name(std::move(name)), m_events(events), m_step(std::move(step))
    {
    }

    BOOL OnIdle() override
    {
        m_events.push_back(m_name);
        ++m_calls;
        if (m_step)
            m_step(m_calls);
        return TRUE;
    }

    int Calls() const { return m_calls; }

private:
    std::string m_name;
    Events& m_events;
    Step m_step;
    int m_calls = 0;
};

constexpr int kIdleQuitCode = 7;

TEST_F(MessageLoopTest, IdleHandlersRunInTheOrderAddedOncePerIdlePeriod)
{
    // Two test messages in each of the first three idle periods; quits in the fourth.
    RecordingIdleHandler first("first", m_events, [this](int call) {
        if (call <= 3) {
            m_window.Post();
            m_window.Post();
        } else if (call == 4) {
            PostQuitMessage(kIdleQuitCode);
        }
    });
    RecordingIdleHandler second("second", m_events);
    RecordingIdleHandler third("third", m_events);
    ASSERT_TRUE(m_loop.AddIdleHandler(&first));
    ASSERT_TRUE(m_loop.AddIdleHandler(&second));
    ASSERT_TRUE(m_loop.AddIdleHandler(&third));

    EXPECT_EQ(m_window.RunGuarded(m_loop), kIdleQuitCode);

    // No idle call while messages wait: both posted messages come before the next period.
    Events expected;
    for (int period = 0; period < 4; ++period) {
        expected.insert(expected.end(), {"first", "second", "third"});
        if (period < 3)
            expected.insert(expected.end(), {"dispatch", "dispatch"});
    }
    EXPECT_EQ(m_events, expected);
}

TEST_F(MessageLoopTest, MouseMovesPaintsAndCaretBlinksDoNotStartAnIdlePeriod)
{
    struct ContinuousCase {
        const char* name;
        UINT message;
    };
    const std::vector<ContinuousCase> cases{
        {"WM_MOUSEMOVE", WM_MOUSEMOVE},
        {"WM_NCMOUSEMOVE", WM_NCMOUSEMOVE},
        {"WM_PAINT", WM_PAINT},
        {"caret blink timer", 0x0118},
    };
    for (const ContinuousCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_events.clear();
        CMessageLoop loop;
        // The first idle period posts the continuous message and starts a timer: only
        // the WM_TIMER that follows may open the second period, which quits.
        RecordingIdleHandler handler("idle", m_events, [this, &c](int call) {
            if (call == 1) {
                m_window.Post(c.message);
                m_window.StartStepTimer(30);
            } else if (call == 2) {
                PostQuitMessage(kIdleQuitCode);
            }
        });
        ASSERT_TRUE(loop.AddIdleHandler(&handler));

        EXPECT_EQ(m_window.RunGuarded(loop), kIdleQuitCode);
        EXPECT_EQ(m_events, (Events{"idle", "timer", "idle"}));
        DrainQueue();
    }
}

TEST_F(MessageLoopTest, IdleHandlerIsRegisteredOnceAndRemovedOnce)
{
    RecordingIdleHandler driver("driver", m_events, [](int call) {
        if (call == 1)
            PostQuitMessage(kIdleQuitCode);
    });
    RecordingIdleHandler handler("handler", m_events);
    RecordingIdleHandler stranger("stranger", m_events);

    EXPECT_FALSE(m_loop.RemoveIdleHandler(&stranger));
    EXPECT_FALSE(m_loop.AddIdleHandler(nullptr));
    EXPECT_TRUE(m_loop.AddIdleHandler(&driver));
    EXPECT_TRUE(m_loop.AddIdleHandler(&handler));
    EXPECT_FALSE(m_loop.AddIdleHandler(&handler));

    EXPECT_EQ(m_window.RunGuarded(m_loop), kIdleQuitCode);
    EXPECT_EQ(m_events, (Events{"driver", "handler"}));

    EXPECT_TRUE(m_loop.RemoveIdleHandler(&handler));
    EXPECT_FALSE(m_loop.RemoveIdleHandler(&handler));
    EXPECT_EQ(stranger.Calls(), 0);
}

// ---------------------------------------------------------------------------------
// CAppModule

TEST(AppModuleTest, LoopIsRegisteredForTheCallingThreadOnly)
{
    CAppModule module;
    CMessageLoop loop;
    CMessageLoop other;

    EXPECT_EQ(module.GetMessageLoop(), nullptr);
    EXPECT_FALSE(module.RemoveMessageLoop());

    EXPECT_TRUE(module.AddMessageLoop(&loop));
    EXPECT_EQ(module.GetMessageLoop(), &loop);
    EXPECT_EQ(module.GetMessageLoop(GetCurrentThreadId()), &loop);
    // A thread has one loop; a second registration leaves the first in place.
    EXPECT_FALSE(module.AddMessageLoop(&other));
    EXPECT_EQ(module.GetMessageLoop(), &loop);

    EXPECT_TRUE(module.RemoveMessageLoop());
    EXPECT_EQ(module.GetMessageLoop(), nullptr);
    EXPECT_FALSE(module.RemoveMessageLoop());
}

struct ThreadView {
    CAppModule* module;
    CMessageLoop* ownLoop;
    DWORD threadId = 0;
    CMessageLoop* seenBeforeAdding = nullptr;
    CMessageLoop* seenAfterAdding = nullptr;
    BOOL added = FALSE;
    BOOL removed = FALSE;
    UniqueHandle registered{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UniqueHandle release{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

DWORD WINAPI OtherThread(void* parameter)
{
    auto* view = static_cast<ThreadView*>(parameter);
    view->threadId = GetCurrentThreadId();
    view->seenBeforeAdding = view->module->GetMessageLoop();
    view->added = view->module->AddMessageLoop(view->ownLoop);
    view->seenAfterAdding = view->module->GetMessageLoop();
    SetEvent(view->registered.get());
    WaitForSingleObject(view->release.get(), 5000);
    view->removed = view->module->RemoveMessageLoop();
    return 0;
}

TEST(AppModuleTest, EachThreadSeesOnlyItsOwnLoop)
{
    CAppModule module;
    CMessageLoop mainLoop;
    CMessageLoop threadLoop;
    ASSERT_TRUE(module.AddMessageLoop(&mainLoop));

    ThreadView view{&module, &threadLoop};
    ASSERT_NE(view.registered.get(), nullptr);
    ASSERT_NE(view.release.get(), nullptr);
    UniqueHandle thread(CreateThread(nullptr, 0, OtherThread, &view, 0, nullptr));
    ASSERT_NE(thread.get(), nullptr);
    const DWORD registered = WaitForSingleObject(view.registered.get(), 5000);

    // While the other thread holds its loop, both are found by thread id.
    if (registered == WAIT_OBJECT_0) {
        EXPECT_EQ(module.GetMessageLoop(), &mainLoop);
        EXPECT_EQ(module.GetMessageLoop(view.threadId), &threadLoop);
    }
    SetEvent(view.release.get());
    ASSERT_EQ(WaitForSingleObject(thread.get(), 5000), WAIT_OBJECT_0);
    ASSERT_EQ(registered, WAIT_OBJECT_0);

    EXPECT_EQ(view.seenBeforeAdding, nullptr);
    EXPECT_TRUE(view.added);
    EXPECT_EQ(view.seenAfterAdding, &threadLoop);
    EXPECT_TRUE(view.removed);
    // The other thread's removal took only its own loop away.
    EXPECT_EQ(module.GetMessageLoop(view.threadId), nullptr);
    EXPECT_EQ(module.GetMessageLoop(), &mainLoop);
    EXPECT_TRUE(module.RemoveMessageLoop());
}

TEST(AppModuleTest, TermForgetsEveryLoop)
{
    CAppModule module;
    CMessageLoop loop;
    ASSERT_TRUE(module.AddMessageLoop(&loop));

    module.Term();

    EXPECT_EQ(module.GetMessageLoop(), nullptr);
    EXPECT_TRUE(module.AddMessageLoop(&loop));
    EXPECT_TRUE(module.RemoveMessageLoop());
}

}  // namespace
