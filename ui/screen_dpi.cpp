#include "ui/screen_dpi.h"

#include "ui/dialog_layout.h"

// Windows 8.1's per-monitor DPI, from shcore.dll, which the program delay-loads from the
// system folder; Windows 7 and 8 have no such DLL, so it is asked for only where it is.
extern "C" __declspec(dllimport) HRESULT WINAPI GetDpiForMonitor(HMONITOR monitor, int type, UINT* dpiX,
                                                                 UINT* dpiY);

namespace {

constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

template <class Function>
Function User32Function(const char* name)
{
    // user32 is loaded by the time a window exists.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

bool HasMonitorDpi()
{
    // From the system folder, where the delay-loaded call finds it too; it stays loaded.
    const HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return shcore && GetProcAddress(shcore, "GetDpiForMonitor");
}

int SystemDpi()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kBaseDpi;
}

}  // namespace

int WindowDpi(HWND window)
{
    // Windows 10 1607 on.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(window))
            return static_cast<int>(dpi);
    }
    if (HasMonitorDpi()) {
        UINT dpiX = 0;
        UINT dpiY = 0;
        if (SUCCEEDED(GetDpiForMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &dpiX,
                                       &dpiY)) &&
            dpiX > 0)
            return static_cast<int>(dpiX);
    }
    return SystemDpi();
}

void LeaveDpiChangesToProgram(HWND dialog)
{
    using SetDialogDpiChangeBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
    constexpr int kDisableAll = 1;  // DDC_DISABLE_ALL
    if (const auto set = User32Function<SetDialogDpiChangeBehaviorFn>("SetDialogDpiChangeBehavior"))
        set(dialog, kDisableAll, kDisableAll);
}

int SystemMetricForDpi(int index, int dpi)
{
    // Windows 10 1607 on.
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
    const auto forDpi = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    if (forDpi)
        return forDpi(index, static_cast<UINT>(dpi));
    return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}
