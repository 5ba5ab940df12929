// The install-folder field: no context menu, everything else the standard edit's.
#include <windows.h>

#include <string>

#include "controls/path_edit.h"
#include "controls_test_support.h"

namespace {

// Whether a popup menu was up when the guard timer fired. The guard closes it, so that
// a menu shown by mistake cannot hold the test in its modal loop.
bool g_menuSeen = false;

bool MenuShown()
{
    const HWND menu = FindWindowW(L"#32768", nullptr);
    return menu && IsWindowVisible(menu);
}

void CALLBACK CloseAnyMenu(HWND, UINT, UINT_PTR, DWORD)
{
    if (MenuShown()) {
        g_menuSeen = true;
        EndMenu();
    }
}

std::wstring Text(HWND hWnd)
{
    wchar_t text[256] = {};
    GetWindowTextW(hWnd, text, 256);
    return text;
}

class PathEditTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        m_edit = Child(L"EDIT", WS_BORDER | ES_AUTOHSCROLL, 1301, 300, 24);
        ASSERT_NE(m_edit, nullptr);
        SetFocus(m_edit);
    }

    // WM_CONTEXTMENU as a right click in the middle of the field sends it; its result.
    LRESULT RightClick()
    {
        RECT rect{};
        GetWindowRect(m_edit, &rect);
        g_menuSeen = false;
        const UINT_PTR guard = SetTimer(nullptr, 0, 300, CloseAnyMenu);
        // The timeout bounds a window of another thread only; the guard bounds this one.
        DWORD_PTR result = 0xDEAD;
        SendMessageTimeoutW(m_edit, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_edit),
                            MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2), SMTO_NORMAL,
                            2000, &result);
        KillTimer(nullptr, guard);
        return static_cast<LRESULT>(result);
    }

    HWND m_edit = nullptr;
};

TEST_F(PathEditTest, RightClickShowsNoMenu)
{
    RightClick();
    ASSERT_TRUE(g_menuSeen) << "the standard control shows one, and the guard notices it";

    CEditImpl edit;
    ASSERT_TRUE(edit.SubclassWindow(m_edit));
    EXPECT_EQ(RightClick(), 0);
    EXPECT_FALSE(g_menuSeen);
    EXPECT_FALSE(MenuShown());
}

TEST_F(PathEditTest, TypingUndoAndTheClipboardStillWork)
{
    CEditImpl edit;
    ASSERT_TRUE(edit.SubclassWindow(m_edit));
    SendMessageW(m_edit, WM_CHAR, L'a', 1);
    SendMessageW(m_edit, WM_CHAR, L'b', 1);
    EXPECT_EQ(Text(m_edit), L"ab");

    const std::wstring path = L"C:\\Program Files (x86)\\Lumaroute";
    SetWindowTextW(m_edit, path.c_str());
    SendMessageW(m_edit, EM_SETSEL, 0, -1);
    SendMessageW(m_edit, WM_COPY, 0, 0);
    SendMessageW(m_edit, WM_CLEAR, 0, 0);
    EXPECT_EQ(Text(m_edit), L"");
    SendMessageW(m_edit, EM_UNDO, 0, 0);
    EXPECT_EQ(Text(m_edit), path);
    SetWindowTextW(m_edit, L"");
    SendMessageW(m_edit, WM_PASTE, 0, 0);
    EXPECT_EQ(Text(m_edit), path);
}

}  // namespace
