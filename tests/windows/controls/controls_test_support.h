// What the skinned-control tests share: a bitmap to draw into and read back, and a
// visible parent window at the screen's top-left that records the commands it gets.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "app/handles.h"

// A 32-bit top-down DIB section in a memory DC, filled with `background`.
class Canvas {
public:
    Canvas(int width, int height, COLORREF background);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return m_dc; }
    COLORREF Pixel(int x, int y) const;
    // Pixels of row `y` in `colour` counted from the left edge up to the first other one.
    int LeadingRun(int y, COLORREF colour) const;
    int CountInRow(int y, COLORREF colour) const;
    // Pixels that no longer show the background.
    int Changed() const;

private:
    int m_width;
    int m_height;
    COLORREF m_background;
    HDC m_dc = nullptr;
    UniqueGdiObject<HBITMAP> m_bitmap;
    HGDIOBJ m_previous = nullptr;
    const DWORD* m_bits = nullptr;
};

struct Command {
    WPARAM wParam;
    LPARAM lParam;
    int probe;  // what g_commandProbe answered while the command was being handled
};

// WM_COMMANDs the test parent received, in order.
extern std::vector<Command> g_commands;
extern std::function<int()> g_commandProbe;

class ControlsTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A visible child of the parent at its top-left, created `width` x `height`.
    HWND Child(const wchar_t* className, DWORD style, int id, int width, int height) const;
    static void MoveCursorAway();
    static std::wstring Text(HWND hWnd);

    HWND m_parent = nullptr;
};

inline constexpr COLORREF kRed = RGB(255, 0, 0);
inline constexpr COLORREF kGreen = RGB(0, 255, 0);
inline constexpr COLORREF kBlue = RGB(0, 0, 255);
inline constexpr COLORREF kBackground = RGB(1, 2, 3);
