#include "controls/window_impl.h"

namespace {

// The window property that leads from a subclassed control to its object.
constexpr wchar_t kObjectProperty[] = L"Lumaroute.WindowObject";

}  // namespace

CWindowImpl::~CWindowImpl()
{
    if (m_hWnd && IsWindow(m_hWnd))
        UnsubclassWindow();
}

BOOL CWindowImpl::SubclassWindow(HWND hWnd)
{
    if (m_hWnd || !IsWindow(hWnd))
        return FALSE;
    if (!SetPropW(hWnd, kObjectProperty, this))
        return FALSE;
    m_prevProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWindowImpl::WindowProc)));
    if (!m_prevProc) {
        RemovePropW(hWnd, kObjectProperty);
        return FALSE;
    }
    m_hWnd = hWnd;
    return TRUE;
}

HWND CWindowImpl::UnsubclassWindow()
{
    const HWND hWnd = m_hWnd;
    if (!hWnd)
        return nullptr;
    // Another subclass installed on top of ours must keep its place.
    if (GetWindowLongPtrW(hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&CWindowImpl::WindowProc))
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_prevProc));
    RemovePropW(hWnd, kObjectProperty);
    m_hWnd = nullptr;
    return hWnd;
}

LRESULT CWindowImpl::DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcW(m_prevProc, m_hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK CWindowImpl::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<CWindowImpl*>(GetPropW(hWnd, kObjectProperty));
    if (!self)
        return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);

    LRESULT result = 0;
    if (!self->ProcessWindowMessage(hWnd, uMsg, wParam, lParam, result))
        result = self->DefWindowProc(uMsg, wParam, lParam);

    if (uMsg == WM_NCDESTROY) {
        self->UnsubclassWindow();
        self->OnFinalMessage(hWnd);
    }
    return result;
}
