#include "controls/window_impl.h"

namespace {

// The window properties that lead from a subclassed control to its object and to the
// procedure it had before.
constexpr wchar_t kObjectProperty[] = L"Lumaroute.WindowObject";
constexpr wchar_t kPreviousProperty[] = L"Lumaroute.PreviousProc";

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
    SetPropW(hWnd, kPreviousProperty, reinterpret_cast<HANDLE>(m_prevProc));
    m_hWnd = hWnd;
    return TRUE;
}

HWND CWindowImpl::UnsubclassWindow()
{
    const HWND hWnd = m_hWnd;
    if (!hWnd)
        return nullptr;
    // Another subclass installed on top of ours must keep its place; it still calls
    // our procedure, which then passes everything straight to the previous one.
    if (GetWindowLongPtrW(hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&CWindowImpl::WindowProc)) {
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_prevProc));
        RemovePropW(hWnd, kPreviousProperty);
    }
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
    if (!self) {
        // Detached while another subclass sat on top of ours.
        const auto previous = reinterpret_cast<WNDPROC>(GetPropW(hWnd, kPreviousProperty));
        if (uMsg == WM_NCDESTROY)
            RemovePropW(hWnd, kPreviousProperty);
        return previous ? CallWindowProcW(previous, hWnd, uMsg, wParam, lParam)
                        : ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }

    LRESULT result = 0;
    if (!self->ProcessWindowMessage(hWnd, uMsg, wParam, lParam, result))
        result = self->DefWindowProc(uMsg, wParam, lParam);

    if (uMsg == WM_NCDESTROY) {
        self->UnsubclassWindow();
        RemovePropW(hWnd, kPreviousProperty);
        self->OnFinalMessage(hWnd);
    }
    return result;
}
