// What the skinned-control tests share: a bitmap to draw into and read back, and a
// visible parent window at the screen's top-left that records the commands it gets.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/handles.h"

inline constexpr COLORREF kRed = RGB(255, 0, 0);
inline constexpr COLORREF kGreen = RGB(0, 255, 0);
inline constexpr COLORREF kBlue = RGB(0, 0, 255);
inline constexpr COLORREF kBackground = RGB(1, 2, 3);

// A 32-bit top-down DIB section in a memory DC, filled with kBackground.
class Canvas {
public:
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return m_dc; }
    COLORREF Pixel(int x, int y) const;
    // Pixels of `rows` not in `expected(x, y)`.
    int Mismatches(const std::function<COLORREF(int x, int y)>& expected, int firstRow = 0, int rows = -1) const;
    int Changed() const { return Mismatches([](int, int) { return kBackground; }); }

private:
    int m_width;
    int m_height;
    HDC m_dc;
    UniqueGdiObject<HBITMAP> m_bitmap;
    HGDIOBJ m_previous = nullptr;
    const DWORD* m_bits = nullptr;
};

struct Command {
    WPARAM wParam;
    LPARAM lParam;
    int probe;  // what g_commandProbe answered while the parent handled the command
};
extern std::vector<Command> g_commands;  // the WM_COMMANDs the parent received
extern std::function<int()> g_commandProbe;

class ControlsTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A visible child at the parent's top-left.
    HWND Child(const wchar_t* className, DWORD style, int id, int width, int height) const;
    // Dispatches what has been posted to this thread (at most 100 messages).
    static void DispatchPending();
    static void MoveCursorAway();

    HWND m_parent = nullptr;
};
