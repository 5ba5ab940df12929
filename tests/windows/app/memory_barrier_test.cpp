// Memory running out in a handler the system called: the call returns and the report
// set is posted, which the dialog turns into its box.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <new>

#include "app/dialog_impl.h"
#include "app/memory_barrier.h"
#include "app/message_loop.h"
#include "app/window_impl.h"
#include "res/resource.h"

namespace {

constexpr UINT kRunOut = WM_APP + 7;  // its handler runs out of memory
constexpr UINT kReport = WM_APP + 8;

LRESULT RunOut(UINT, WPARAM, LPARAM, BOOL&)
{
    throw std::bad_alloc();
}

struct Control : CWindowImpl {
    BEGIN_MSG_MAP(Control)
        MESSAGE_HANDLER(kRunOut, RunOut)
    END_MSG_MAP()
};

struct Dialog : CDialogImpl<Dialog> {
    enum { IDD = IDD_MAINDLG };
    BEGIN_MSG_MAP(Dialog)
        MESSAGE_HANDLER(kRunOut, RunOut)
    END_MSG_MAP()
};

// Runs out in the loop's filter (at kRunOut) and at its first idle moment; ends the
// loop at the second report, or at a time-out.
struct RunsOutInTheLoop : CMessageFilter, CIdleHandler {
    int reports = 0;
    bool idled = false;
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == kRunOut)
            throw std::bad_alloc();
        if (msg->message == WM_TIMER || (msg->message == kReport && ++reports == 2))
            PostQuitMessage(reports);
        return msg->message == kReport;
    }
    BOOL OnIdle() override
    {
        if (idled)
            return FALSE;
        idled = true;
        throw std::bad_alloc();
    }
};

int TakeReports(HWND target)
{
    MSG msg{};
    int count = 0;
    while (PeekMessageW(&msg, target, kReport, kReport, PM_REMOVE))
        count += msg.wParam == ERROR_NOT_ENOUGH_MEMORY && msg.lParam == 42;
    return count;
}

TEST(MemoryBarrierTest, RunningOutInAWindowDialogOrLoopHandlerIsReportedAndTheCallReturns)
{
    const HWND target = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetOutOfMemoryReport(target, kReport, ERROR_NOT_ENOUGH_MEMORY, 42);

    Control control;
    ASSERT_TRUE(control.SubclassWindow(CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr)));
    SendMessageW(control.m_hWnd, kRunOut, 0, 0);
    EXPECT_EQ(TakeReports(target), 1) << "window procedure";
    DestroyWindow(control.m_hWnd);

    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    Dialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr, GetModuleHandleW(nullptr)));
    SendMessageW(dialog.m_hWnd, kRunOut, 0, 0);
    EXPECT_EQ(TakeReports(target), 1) << "dialog procedure";
    DestroyWindow(dialog.m_hWnd);

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
