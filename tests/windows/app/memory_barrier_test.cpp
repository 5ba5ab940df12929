// Memory running out in a handler the system called: the call returns and the report
// set is posted, which the dialog turns into its box.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <new>

#include "app/dialog_impl.h"
#include "app/memory_barrier.h"
#include "app/start_gate.h"
#include "app/message_loop.h"
#include "app/window_impl.h"
#include "res/resource.h"

namespace {

constexpr UINT kRunOut = WM_APP + 7, kReport = WM_APP + 8;

template <class Base>
struct RunsOutAtRunOut : Base {
    BOOL ProcessWindowMessage(HWND, UINT uMsg, WPARAM, LPARAM, LRESULT&) override
    {
        if (uMsg == kRunOut)
            throw std::bad_alloc();
        return FALSE;
    }
};
struct Dialog : RunsOutAtRunOut<CDialogImplBase> {
    HWND Create() { return CreateFromTemplate(GetModuleHandleW(nullptr), IDD_MAINDLG, nullptr); }
};

// Runs out in the loop's filter at kRunOut and when idle; quits at the second report or a time-out.
struct RunsOutInTheLoop : CMessageFilter, CIdleHandler {
    int reports = 0;
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == kRunOut)
            throw std::bad_alloc();
        if (msg->message == WM_TIMER || (msg->message == kReport && ++reports == 2))
            PostQuitMessage(reports);
        return msg->message == kReport;
    }
    BOOL OnIdle() override { throw std::bad_alloc(); }
};

bool Reported(HWND target)
{
    MSG msg{};
    return PeekMessageW(&msg, target, kReport, kReport, PM_REMOVE);
}

TEST(MemoryBarrierTest, RunningOutInAWindowDialogOrLoopHandlerIsReportedAndTheCallReturns)
{
    const HWND target = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    StartGate gate;
    SetOutOfMemoryReport(target, kReport, ERROR_NOT_ENOUGH_MEMORY, 42, &gate);
    RunsOutAtRunOut<CWindowImpl> control;
    ASSERT_TRUE(control.SubclassWindow(CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr)));
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_BAR_CLASSES};
    Dialog dialog;
    ASSERT_TRUE(InitCommonControlsEx(&classes) && dialog.Create());
    for (const HWND window : {control.m_hWnd, dialog.m_hWnd}) {
        SendMessageW(window, kRunOut, 0, 0);
        EXPECT_TRUE(Reported(target)) << (window == dialog.m_hWnd ? "dialog" : "window") << " procedure";
        DestroyWindow(window);
    }
    // Its box is decided there and then: no installer is started before it shows.
    EXPECT_FALSE(gate.Pass([] {}));

    CMessageLoop loop;
    RunsOutInTheLoop handler;
    loop.AddMessageFilter(&handler);
    loop.AddIdleHandler(&handler);
    const UINT_PTR bound = SetTimer(nullptr, 0, 10000, nullptr);
    PostMessageW(target, kRunOut, 0, 0);
    EXPECT_EQ(loop.Run(), 2) << "filter and idle handler";
    KillTimer(nullptr, bound);
    SetOutOfMemoryReport(nullptr, 0, 0, 0);
    DestroyWindow(target);
}

}  // namespace
