// Entry point: brings up COM, GDI+ and the common controls, runs the start-up tasks in
// their fixed order, shows the main dialog and runs the message loop until it quits.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <gdiplus.h>

#include <memory>

#include "app/app_module.h"
#include "app/message_loop.h"
#include "install/compat_flag.h"
#include "lang/language.h"
#include "ui/main_dlg.h"

namespace {

int RunDialog(int showCommand)
{
    CMessageLoop loop;
    g_module.AddMessageLoop(&loop);

    int result = 0;
    auto dialog = std::make_unique<CMainDlg>();
    if (dialog->Create(nullptr, g_module.GetResourceInstance())) {
        ShowWindow(dialog->m_hWnd, showCommand);
        result = loop.Run();
    }

    g_module.RemoveMessageLoop();
    dialog.reset();
    return result;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR /*commandLine: ignored*/, int showCommand)
{
    CoInitialize(nullptr);

    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartupInput gdiplusInput;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);

    SetCompatibilityFlag();
    ExtractDefaultLanguageFile();
    SelectLanguageFile();

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_BAR_CLASSES;
    InitCommonControlsEx(&controls);

    g_module.Init(instance);
    const int result = RunDialog(showCommand);
    g_module.Term();

    Gdiplus::GdiplusShutdown(gdiplusToken);
    CoUninitialize();
    return result;
}
