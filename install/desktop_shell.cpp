#include "install/desktop_shell.h"

#include <windows.h>
#include <exdisp.h>
#include <oleauto.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "app/com_ptr.h"

namespace {

// A VARIANT holding a copy of `text`, cleared on destruction.
class VariantText {
public:
    explicit VariantText(const std::wstring& text)
    {
        VariantInit(&m_value);
        m_value.vt = VT_BSTR;
        m_value.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    ~VariantText() { VariantClear(&m_value); }
    VariantText(const VariantText&) = delete;
    VariantText& operator=(const VariantText&) = delete;

    bool Valid() const { return m_value.bstrVal != nullptr; }
    const VARIANT& Get() const { return m_value; }

private:
    VARIANT m_value;
};

// The scripting object of the shell that shows the desktop: the desktop window's
// browser, its view, the view's background object, and that object's application.
ComPtr<IShellDispatch2> DesktopShellDispatch()
{
    IShellWindows* rawWindows = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                reinterpret_cast<void**>(&rawWindows))))
        return nullptr;
    const ComPtr<IShellWindows> windows(rawWindows);

    VARIANT location;
    VariantInit(&location);
    long desktopWindow = 0;
    IDispatch* rawDesktop = nullptr;
    if (windows->FindWindowSW(&location, &location, SWC_DESKTOP, &desktopWindow, SWFO_NEEDDISPATCH,
                              &rawDesktop) != S_OK || rawDesktop == nullptr)
        return nullptr;
    const ComPtr<IDispatch> desktop(rawDesktop);

    const auto services = QueryInterfaceOf<IServiceProvider>(desktop.get(), IID_IServiceProvider);
    IShellBrowser* rawBrowser = nullptr;
    if (!services || FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                                   reinterpret_cast<void**>(&rawBrowser))))
        return nullptr;
    const ComPtr<IShellBrowser> browser(rawBrowser);

    IShellView* rawView = nullptr;
    if (FAILED(browser->QueryActiveShellView(&rawView)) || rawView == nullptr)
        return nullptr;
    const ComPtr<IShellView> view(rawView);

    IDispatch* rawBackground = nullptr;
    if (FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, reinterpret_cast<void**>(&rawBackground))))
        return nullptr;
    const ComPtr<IDispatch> background(rawBackground);

    const auto folderView = QueryInterfaceOf<IShellFolderViewDual>(background.get(), IID_IShellFolderViewDual);
    IDispatch* rawApplication = nullptr;
    if (!folderView || FAILED(folderView->get_Application(&rawApplication)) || rawApplication == nullptr)
        return nullptr;
    const ComPtr<IDispatch> application(rawApplication);
    return QueryInterfaceOf<IShellDispatch2>(application.get(), IID_IShellDispatch2);
}

}  // namespace

bool OpenFromDesktopShell(const std::wstring& file, const std::wstring& folder)
{
    const auto shell = DesktopShellDispatch();
    if (!shell)
        return false;
    BSTR fileName = SysAllocStringLen(file.data(), static_cast<UINT>(file.size()));
    if (fileName == nullptr)
        return false;
    const VariantText arguments(L""), directory(folder), verb(L"open");
    VARIANT show;
    VariantInit(&show);
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    // S_OK only: Wine's shell answers S_FALSE when its ShellExecute failed, and that
    // start must fall back like any other that did not happen.
    const bool asked = arguments.Valid() && directory.Valid() && verb.Valid() &&
                       shell->ShellExecute(fileName, arguments.Get(), directory.Get(), verb.Get(), show) == S_OK;
    SysFreeString(fileName);
    return asked;
}
