// Subclassing: the object's map first, the window's own procedure for the rest, and
// that procedure back in place when the object lets go.
#include <windows.h>

#include <vector>

#include "controls/window_impl.h"
#include "controls_test_support.h"

namespace {

constexpr UINT kMapped = WM_USER + 1;    // the map answers it
constexpr UINT kDeclined = WM_USER + 2;  // the map looks at it and passes it on
constexpr UINT kUnmapped = WM_USER + 3;
constexpr LRESULT kMapAnswer = 42;
constexpr LRESULT kOwnAnswer = 7;

std::vector<UINT> g_ownReceived;  // what the window's own procedure received
WNDPROC g_belowOnTop = nullptr;   // what the procedure installed on top chains to

LRESULT CALLBACK OwnProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    g_ownReceived.push_back(uMsg);
    if (uMsg >= WM_USER)
        return kOwnAnswer;
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK OnTopProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcW(g_belowOnTop, hWnd, uMsg, wParam, lParam);
}

class Probe : public CWindowImpl {
public:
    BEGIN_MSG_MAP(Probe)
        MESSAGE_HANDLER(kMapped, OnMapped)
        MESSAGE_HANDLER(kDeclined, OnDeclined)
    END_MSG_MAP()

    void OnFinalMessage(HWND hWnd) override { m_final.push_back({hWnd, m_hWnd}); }

    std::vector<UINT> m_seen;
    std::vector<std::pair<HWND, HWND>> m_final;  // (the window, m_hWnd at the time)

private:
    LRESULT OnMapped(UINT uMsg, WPARAM, LPARAM, BOOL&)
    {
        m_seen.push_back(uMsg);
        return kMapAnswer;
    }
    LRESULT OnDeclined(UINT uMsg, WPARAM, LPARAM, BOOL& bHandled)
    {
        m_seen.push_back(uMsg);
        bHandled = FALSE;
        return kMapAnswer;
    }
};

class WindowImplTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        WNDCLASSW wc{};
        wc.lpfnWndProc = OwnProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"LumarouteSubclassTestWindow";
        RegisterClassW(&wc);
        m_window = Child(wc.lpszClassName, 0, 1401, 10, 10);
        ASSERT_NE(m_window, nullptr);
        m_ownProc = GetWindowLongPtrW(m_window, GWLP_WNDPROC);
        g_ownReceived.clear();
    }

    // (map saw it, own procedure got it, result) for each message
    void ExpectRouting(Probe& probe, UINT message, bool mapSees, bool ownGets, LRESULT result)
    {
        SCOPED_TRACE(testing::Message() << "message " << message);
        probe.m_seen.clear();
        g_ownReceived.clear();
        EXPECT_EQ(SendMessageW(m_window, message, 0, 0), result);
        EXPECT_EQ(probe.m_seen, mapSees ? std::vector<UINT>{message} : std::vector<UINT>{});
        EXPECT_EQ(g_ownReceived, ownGets ? std::vector<UINT>{message} : std::vector<UINT>{});
    }

    HWND m_window = nullptr;
    LONG_PTR m_ownProc = 0;
};

TEST_F(WindowImplTest, MapAnswersWhatItHandlesAndTheOwnProcedureTheRest)
{
    Probe probe;
    ASSERT_TRUE(probe.SubclassWindow(m_window));
    ExpectRouting(probe, kMapped, true, false, kMapAnswer);
    ExpectRouting(probe, kDeclined, true, true, kOwnAnswer);
    ExpectRouting(probe, kUnmapped, false, true, kOwnAnswer);
}

TEST_F(WindowImplTest, AnObjectAttachesToOneWindowOnce)
{
    Probe probe;
    ASSERT_TRUE(probe.SubclassWindow(m_window));
    EXPECT_FALSE(probe.SubclassWindow(m_window));
    EXPECT_FALSE(probe.SubclassWindow(m_parent));
    EXPECT_EQ(probe.m_hWnd, m_window);
    Probe other;
    EXPECT_FALSE(other.SubclassWindow(nullptr));
}

TEST_F(WindowImplTest, UnsubclassingPutsTheOwnProcedureBack)
{
    Probe probe;
    ASSERT_TRUE(probe.SubclassWindow(m_window));
    EXPECT_EQ(probe.UnsubclassWindow(), m_window);
    EXPECT_EQ(probe.m_hWnd, nullptr);
    EXPECT_EQ(GetWindowLongPtrW(m_window, GWLP_WNDPROC), m_ownProc);
    ExpectRouting(probe, kMapped, false, true, kOwnAnswer);
}

TEST_F(WindowImplTest, UnsubclassingUnderAnotherSubclassKeepsTheChainWorking)
{
    Probe probe;
    ASSERT_TRUE(probe.SubclassWindow(m_window));
    g_belowOnTop = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OnTopProc)));

    probe.UnsubclassWindow();
    EXPECT_EQ(GetWindowLongPtrW(m_window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&OnTopProc));
    // The other subclass still chains through where the object was; the window's own
    // procedure must go on receiving what comes down that chain.
    ExpectRouting(probe, kUnmapped, false, true, kOwnAnswer);
    ExpectRouting(probe, kMapped, false, true, kOwnAnswer);
}

TEST_F(WindowImplTest, DestroyingTheWindowDetachesBeforeTheFinalMessage)
{
    Probe probe;
    ASSERT_TRUE(probe.SubclassWindow(m_window));
    DestroyWindow(m_window);
    EXPECT_EQ(probe.m_hWnd, nullptr);
    EXPECT_EQ(probe.m_final, (std::vector<std::pair<HWND, HWND>>{{m_window, nullptr}}));
    EXPECT_EQ(g_ownReceived.back(), static_cast<UINT>(WM_NCDESTROY));
}

}  // namespace
