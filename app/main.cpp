// Entry point: brings up COM, GDI+ and the common controls, runs the start-up tasks in
// their fixed order, shows the main dialog and runs the message loop until it quits.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <gdiplus.h>

#include <memory>
#include <new>

#include "app/app_module.h"
#include "app/message_loop.h"
#include "app/side_by_side.h"
#include "install/compat_flag.h"
#include "lang/language.h"
#include "ui/main_dlg.h"

namespace {

// Refusals at start. No box says why: a box would itself load the DLLs these checks
// keep out, so each ends with a code of its own.
constexpr int kExitNoDllSearchRestriction = 1001;
constexpr int kExitForeignAssembly = 1002;

// Windows resolves only kernel32 and the C runtime when it loads the program; every other
// DLL is delay-loaded. Confining the search to the system folder before the first of them
// is called means that a DLL dropped beside the program (a Downloads folder takes anything)
// is never loaded into this elevated process. The call exists from Windows 8 on and on
// Windows 7 with its DLL-search update; without it there is no safe search at all (the
// fallbacks still look beside the program first), so the program does not go on.
bool RestrictDllSearch()
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    return setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// Started from a Downloads folder, the program would have it as its current folder, and
// whatever it starts would search there: the system folder is one nobody else can write.
void LeaveLaunchFolder()
{
    wchar_t system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        SetCurrentDirectoryW(system);
}

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

static int RunProgram(HINSTANCE instance, int showCommand)
{
    if (!RestrictDllSearch())
        return kExitNoDllSearchRestriction;
    // Assemblies bound from outside the system's folders could run code of anyone's in
    // this elevated process as soon as the first window or GDI+ call loads them.
    if (HasForeignAssembly(nullptr))
        return kExitForeignAssembly;
    g_module.KeepLaunchFolder();
    LeaveLaunchFolder();
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

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR /*commandLine: ignored*/, int showCommand)
{
    // Once the dialog exists, memory running out is caught where the system calls the
    // program and reported in the dialog's box; before that the program ends as it does
    // when the dialog cannot be made.
    try {
        return RunProgram(instance, showCommand);
    } catch (const std::bad_alloc&) {
        return 0;
    }
}
