#include "app/memory_barrier.h"

#include "app/start_gate.h"

namespace {

// Set and read on the thread of the windows only.
struct OutOfMemoryReport {
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    StartGate* gate = nullptr;
};
OutOfMemoryReport g_report;

}  // namespace

void SetOutOfMemoryReport(HWND window, UINT message, WPARAM wParam, LPARAM lParam, StartGate* gate)
{
    g_report = {window, message, wParam, lParam, gate};
}

void ReportOutOfMemory()
{
    if (g_report.gate)
        g_report.gate->Close();
    if (g_report.window)
        PostMessageW(g_report.window, g_report.message, g_report.wParam, g_report.lParam);
}
