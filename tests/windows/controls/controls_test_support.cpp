#include "controls_test_support.h"

#include "ui/message_map.h"

std::vector<Command> g_commands;
std::function<int()> g_commandProbe;

namespace {

// The controls draw with GDI+, which the program starts once; so does this one.
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
[[maybe_unused]] testing::Environment* const g_gdiplus = testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

constexpr wchar_t kParentClass[] = L"LumarouteControlsTestParent";

LRESULT CALLBACK ParentProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_COMMAND) {
        g_commands.push_back({wParam, lParam, g_commandProbe ? g_commandProbe() : -1});
        return 0;
    }
    if (uMsg == WM_DRAWITEM) {
        BOOL handled = TRUE;
        const LRESULT result = ReflectNotifications(hWnd, uMsg, wParam, lParam, handled);
        if (handled)
            return result;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

}  // namespace

Canvas::Canvas(int width, int height) : m_width(width), m_height(height), m_dc(CreateCompatibleDC(nullptr))
{
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(info.bmiHeader), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    m_bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    m_bits = static_cast<const DWORD*>(bits);
    m_previous = SelectObject(m_dc, m_bitmap.get());
    const RECT all{0, 0, width, height};
    const UniqueGdiObject<HBRUSH> brush(CreateSolidBrush(kBackground));
    FillRect(m_dc, &all, brush.get());
}

Canvas::~Canvas()
{
    SelectObject(m_dc, m_previous);
    DeleteDC(m_dc);
}

COLORREF Canvas::Pixel(int x, int y) const
{
    GdiFlush();
    const DWORD pixel = m_bits[y * m_width + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

int Canvas::Mismatches(const std::function<COLORREF(int, int)>& expected, int firstRow, int rows) const
{
    int count = 0;
    for (int y = firstRow; y < (rows < 0 ? m_height : firstRow + rows); ++y) {
        for (int x = 0; x < m_width; ++x)
            count += Pixel(x, y) != expected(x, y);
    }
    return count;
}

void ControlsTest::SetUp()
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kParentClass;
    RegisterClassW(&wc);  // fails harmlessly when an earlier test registered it

    MoveCursorAway();
    // Shown without activation: Wine takes an activated pop-up for one a window manager
    // handles and, with none on the test display, waits two seconds at its destruction.
    m_parent = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, kParentClass, L"", WS_POPUP, 0, 0, 600, 60,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(m_parent, nullptr);
    ShowWindow(m_parent, SW_SHOWNOACTIVATE);
    g_commands.clear();
}

void ControlsTest::TearDown()
{
    DestroyWindow(m_parent);
    g_commandProbe = nullptr;
}

HWND ControlsTest::Child(const wchar_t* className, DWORD style, int id, int width, int height) const
{
    return CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, width, height, m_parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

void ControlsTest::DispatchPending()
{
    MSG msg{};
    for (int i = 0; i < 100 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i)
        DispatchMessageW(&msg);
}

void ControlsTest::MoveCursorAway()
{
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
}
