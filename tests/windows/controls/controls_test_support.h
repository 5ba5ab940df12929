// What the skinned-control tests share: GDI+ started for the whole program, a bitmap to
// draw into and read back, and a visible parent at the screen's top-left that records
// the commands it gets and reflects owner-draw requests to its children.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/handles.h"
#include "app/message_map.h"

inline constexpr COLORREF kRed = RGB(255, 0, 0);
inline constexpr COLORREF kGreen = RGB(0, 255, 0);
inline constexpr COLORREF kBlue = RGB(0, 0, 255);
inline constexpr COLORREF kBackground = RGB(1, 2, 3);

class GdiplusEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&m_token, &input, nullptr), Gdiplus::Ok);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(m_token); }

private:
    ULONG_PTR m_token = 0;
};
inline testing::Environment* const g_gdiplus = testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

// A 32-bit top-down DIB section in a memory DC, filled with kBackground.
class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height)
    {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(info.bmiHeader), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        m_bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        m_bits = static_cast<const DWORD*>(bits);
        m_previous = SelectObject(m_dc, m_bitmap.get());
        const RECT all{0, 0, width, height};
        FillRect(m_dc, &all, UniqueGdiObject<HBRUSH>(CreateSolidBrush(kBackground)).get());
    }
    ~Canvas()
    {
        SelectObject(m_dc, m_previous);
        DeleteDC(m_dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return m_dc; }
    COLORREF Pixel(int x, int y) const
    {
        GdiFlush();
        const DWORD pixel = m_bits[y * m_width + x];
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }
    // Pixels of rows [first, end) that differ from `expected(x)`.
    int Mismatches(const std::function<COLORREF(int x)>& expected, int first = 0, int end = -1) const
    {
        int count = 0;
        for (int y = first; y < (end < 0 ? m_height : end); ++y) {
            for (int x = 0; x < m_width; ++x)
                count += Pixel(x, y) != expected(x);
        }
        return count;
    }
    int Changed() const { return Mismatches([](int) { return kBackground; }); }

private:
    int m_width;
    int m_height;
    HDC m_dc = CreateCompatibleDC(nullptr);
    UniqueGdiObject<HBITMAP> m_bitmap;
    HGDIOBJ m_previous = nullptr;
    const DWORD* m_bits = nullptr;
};

struct Command {
    WPARAM wParam;
    LPARAM lParam;
    int probe;  // what g_commandProbe answered while the parent handled the command
};
inline std::vector<Command> g_commands;  // the WM_COMMANDs the parent received
inline std::function<int()> g_commandProbe;

inline LRESULT CALLBACK TestParentProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_COMMAND) {
        g_commands.push_back({wParam, lParam, g_commandProbe ? g_commandProbe() : -1});
        return 0;
    }
    BOOL handled = uMsg == WM_DRAWITEM;
    const LRESULT result = handled ? ReflectNotifications(hWnd, uMsg, wParam, lParam, handled) : 0;
    return handled ? result : DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

class ControlsTest : public testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = TestParentProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"LumarouteControlsTestParent";
        RegisterClassW(&wc);  // fails harmlessly when an earlier test registered it
        MoveCursorAway();
        // Shown without activation: Wine takes an activated pop-up for one a window
        // manager handles and, with none on the test display, waits two seconds when
        // it is destroyed.
        m_parent = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, wc.lpszClassName, L"", WS_POPUP, 0, 0, 600,
                                   60, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(m_parent, nullptr);
        ShowWindow(m_parent, SW_SHOWNOACTIVATE);
        g_commands.clear();
    }
    void TearDown() override
    {
        DestroyWindow(m_parent);
        g_commandProbe = nullptr;
    }

    // A visible child at the parent's top-left.
    HWND Child(const wchar_t* className, DWORD style, int id, int width, int height) const
    {
        return CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, width, height, m_parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    }
    static void MoveCursorAway()
    {
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    }

    HWND m_parent = nullptr;
};
