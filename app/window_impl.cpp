#include "app/window_impl.h"

#include <memory>
#include <new>

#include "app/memory_barrier.h"

namespace {

// The one window property of a subclassed control. It leads to what our procedure
// needs to answer a message: the object whose map sees it first (none once that object
// has let go while another subclass sat on top of ours) and the procedure the window
// had before ours, which gets everything else.
constexpr wchar_t kSubclassProperty[] = L"Lumaroute.Subclass";

}  // namespace

struct CWindowImpl::Subclass {
    CWindowImpl* object;
    WNDPROC previous;
};

CWindowImpl::~CWindowImpl()
{
    if (m_hWnd && IsWindow(m_hWnd))
        UnsubclassWindow();
}

CWindowImpl::Subclass* CWindowImpl::FindSubclass(HWND hWnd)
{
    return static_cast<Subclass*>(GetPropW(hWnd, kSubclassProperty));
}

BOOL CWindowImpl::SubclassWindow(HWND hWnd)
{
    if (m_hWnd || !IsWindow(hWnd))
        return FALSE;
    if (Subclass* kept = FindSubclass(hWnd)) {
        // Our procedure is in the window's chain already, under another subclass: the
        // object takes its place there. Installing it a second time would have it pass
        // messages on to itself.
        if (kept->object)
            return FALSE;
        kept->object = this;
        m_prevProc = kept->previous;
        m_hWnd = hWnd;
        return TRUE;
    }

    std::unique_ptr<Subclass> subclass(new (std::nothrow) Subclass{this, nullptr});
    if (!subclass || !SetPropW(hWnd, kSubclassProperty, subclass.get()))
        return FALSE;
    subclass->previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWindowImpl::WindowProc)));
    if (!subclass->previous) {
        RemovePropW(hWnd, kSubclassProperty);
        return FALSE;
    }
    m_prevProc = subclass.release()->previous;
    m_hWnd = hWnd;
    return TRUE;
}

HWND CWindowImpl::UnsubclassWindow()
{
    const HWND hWnd = m_hWnd;
    if (!hWnd)
        return nullptr;
    m_hWnd = nullptr;
    Subclass* subclass = FindSubclass(hWnd);
    if (!subclass)
        return hWnd;
    if (GetWindowLongPtrW(hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&CWindowImpl::WindowProc)) {
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclass->previous));
        RemovePropW(hWnd, kSubclassProperty);
        delete subclass;
    } else {
        // A subclass installed on top of ours keeps its place and still calls our
        // procedure, which from now on passes everything straight on.
        subclass->object = nullptr;
    }
    return hWnd;
}

LRESULT CWindowImpl::DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcW(m_prevProc, m_hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK CWindowImpl::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    const Subclass* subclass = FindSubclass(hWnd);
    if (!subclass)
        return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    // Copied: a handler may let the window go, and the record with it.
    CWindowImpl* const self = subclass->object;
    const WNDPROC previous = subclass->previous;

    LRESULT result = 0;
    const BOOL handled = self && CallGuarded(TRUE, [&] {
        return self->ProcessWindowMessage(hWnd, uMsg, wParam, lParam, result);
    });
    if (!handled)
        result = CallWindowProcW(previous, hWnd, uMsg, wParam, lParam);

    if (uMsg == WM_NCDESTROY) {
        if (self && self->m_hWnd == hWnd) {
            self->UnsubclassWindow();
            self->OnFinalMessage(hWnd);
        }
        // Still there when another subclass sits on top: the window needs it no more.
        if (Subclass* left = FindSubclass(hWnd)) {
            RemovePropW(hWnd, kSubclassProperty);
            delete left;
        }
    }
    return result;
}
