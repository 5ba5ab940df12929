#include "app/message_loop.h"

#include <algorithm>

#include "app/memory_barrier.h"

namespace {

template <typename T>
BOOL AddOnce(std::vector<T*>& list, T* item)
{
    if (!item || std::find(list.begin(), list.end(), item) != list.end())
        return FALSE;
    list.push_back(item);
    return TRUE;
}

template <typename T>
BOOL RemoveItem(std::vector<T*>& list, T* item)
{
    const auto found = std::find(list.begin(), list.end(), item);
    if (found == list.end())
        return FALSE;
    list.erase(found);
    return TRUE;
}

}  // namespace

BOOL CMessageLoop::AddMessageFilter(CMessageFilter* filter) { return AddOnce(m_filters, filter); }
BOOL CMessageLoop::RemoveMessageFilter(CMessageFilter* filter) { return RemoveItem(m_filters, filter); }
BOOL CMessageLoop::AddIdleHandler(CIdleHandler* handler) { return AddOnce(m_idleHandlers, handler); }
BOOL CMessageLoop::RemoveIdleHandler(CIdleHandler* handler) { return RemoveItem(m_idleHandlers, handler); }

int CMessageLoop::Run()
{
    bool doIdle = true;
    int idleCount = 0;
    for (;;) {
        while (doIdle && !PeekMessageW(&m_msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++))
                doIdle = false;
        }

        const BOOL got = GetMessageW(&m_msg, nullptr, 0, 0);
        if (got == -1)
            continue;
        if (!got)
            break;

        if (!PreTranslateMessage(&m_msg)) {
            TranslateMessage(&m_msg);
            DispatchMessageW(&m_msg);
        }

        if (StartsIdlePeriod(m_msg)) {
            doIdle = true;
            idleCount = 0;
        }
    }
    return static_cast<int>(m_msg.wParam);
}

BOOL CMessageLoop::PreTranslateMessage(MSG* pMsg)
{
    // Indexed from the end so that a filter may remove itself (the dialog does when
    // a filtered message destroys it) without invalidating the walk.
    for (std::size_t i = m_filters.size(); i > 0; --i) {
        if (i > m_filters.size())
            continue;
        if (CallGuarded(FALSE, [&] { return m_filters[i - 1]->PreTranslateMessage(pMsg); }))
            return TRUE;
    }
    return FALSE;
}

BOOL CMessageLoop::OnIdle(int /*idleCount*/)
{
    for (std::size_t i = 0; i < m_idleHandlers.size(); ++i)
        CallGuarded(FALSE, [&] { return m_idleHandlers[i]->OnIdle(); });
    return FALSE;
}

bool CMessageLoop::StartsIdlePeriod(const MSG& msg)
{
    // These arrive continuously without anything having changed.
    switch (msg.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case 0x0118:  // WM_SYSTIMER, the caret blink
        return false;
    }
    return true;
}
