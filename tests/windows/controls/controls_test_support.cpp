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

[[maybe_unused]] testing::Environment* const g_gdiplus =
    testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

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

COLORREF FromDib(DWORD pixel)
{
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

}  // namespace

Canvas::Canvas(int width, int height, COLORREF background)
    : m_width(width), m_height(height), m_background(background)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    m_bits = static_cast<const DWORD*>(bits);
    m_dc = CreateCompatibleDC(nullptr);
    m_previous = SelectObject(m_dc, m_bitmap.get());
    const RECT all{0, 0, width, height};
    const UniqueGdiObject<HBRUSH> brush(CreateSolidBrush(background));
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
    return FromDib(m_bits[y * m_width + x]);
}

int Canvas::LeadingRun(int y, COLORREF colour) const
{
    int x = 0;
    while (x < m_width && Pixel(x, y) == colour)
        ++x;
    return x;
}

int Canvas::CountInRow(int y, COLORREF colour) const
{
    int count = 0;
    for (int x = 0; x < m_width; ++x)
        count += Pixel(x, y) == colour;
    return count;
}

int Canvas::Changed() const
{
    int count = 0;
    for (int y = 0; y < m_height; ++y)
        count += m_width - CountInRow(y, m_background);
    return count;
}

void ControlsTest::SetUp()
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    wc.lpszClassName = kParentClass;
    RegisterClassW(&wc);  // fails harmlessly when an earlier test registered it

    DWORD t0 = GetTickCount();
    MoveCursorAway();
    DWORD t1 = GetTickCount();
    m_parent = CreateWindowExW(WS_EX_TOPMOST, kParentClass, L"parent", WS_POPUP | WS_VISIBLE, 0, 0, 600, 60,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    printf("cursor %lu create %lu\n", t1 - t0, GetTickCount() - t1);
    ASSERT_NE(m_parent, nullptr);
    g_commands.clear();
    g_commandProbe = nullptr;
}

void ControlsTest::TearDown()
{
    DWORD t0 = GetTickCount();
    if (m_parent)
        DestroyWindow(m_parent);
    printf("destroy %lu\n", GetTickCount() - t0);
    g_commandProbe = nullptr;
}

HWND ControlsTest::Child(const wchar_t* className, DWORD style, int id, int width, int height) const
{
    return CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, width, height, m_parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

void ControlsTest::MoveCursorAway()
{
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
}

std::wstring ControlsTest::Text(HWND hWnd)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hWnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(hWnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}
