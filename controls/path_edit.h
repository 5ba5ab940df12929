// The install-folder field: a standard edit control without a context menu.
#pragma once

#include <windows.h>

#include "app/window_impl.h"

class CEditImpl : public CWindowImpl {
public:
    BEGIN_MSG_MAP(CEditImpl)
        MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
    END_MSG_MAP()

private:
    LRESULT OnContextMenu(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
};
