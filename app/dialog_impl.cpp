#include "app/dialog_impl.h"

#include "app/memory_barrier.h"

HWND CDialogImplBase::CreateFromTemplate(HINSTANCE instance, UINT templateId, HWND parent)
{
    return CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId), parent, DialogProc,
                              reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CDialogImplBase::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialogImplBase*>(lParam);
        dialog->m_hWnd = hWnd;
        SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
    }
    auto* self = reinterpret_cast<CDialogImplBase*>(GetWindowLongPtrW(hWnd, DWLP_USER));
    if (!self)
        return FALSE;  // messages before WM_INITDIALOG get default dialog processing

    LRESULT result = 0;
    const BOOL handled = CallGuarded(TRUE, [&] { return self->ProcessWindowMessage(hWnd, uMsg, wParam, lParam, result); });

    if (uMsg == WM_NCDESTROY) {
        SetWindowLongPtrW(hWnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
        self->OnFinalMessage(hWnd);
        return FALSE;
    }
    if (!handled)
        return FALSE;

    // These messages answer through the dialog procedure's own result; all others
    // through DWLP_MSGRESULT.
    switch (uMsg) {
    case WM_INITDIALOG:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return static_cast<INT_PTR>(result);
    default:
        SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
}
