// Subclassing: the object's map first, the window's own procedure for the rest, and
// that procedure back in place when the object lets go.
#include <windows.h>

#include <utility>
#include <vector>

#include "app/window_impl.h"
#include "controls_test_support.h"

namespace {

constexpr UINT kMapped = WM_USER + 1;    // the map answers it
constexpr UINT kDeclined = WM_USER + 2;  // the map looks at it and passes it on
constexpr UINT kUnmapped = WM_USER + 3;
constexpr LRESULT kMapAnswer = 42;
constexpr LRESULT kOwnAnswer = 7;

std::vector<UINT> g_ownReceived;  // what the window's own procedure received
WNDPROC g_belowOnTop = nullptr;   // where the procedure subclassing on top chains to

LRESULT CALLBACK OwnProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    g_ownReceived.push_back(uMsg);
    return uMsg >= WM_USER ? kOwnAnswer : DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK OnTopProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcW(g_belowOnTop, hWnd, uMsg, wParam, lParam);
}

class Probe : public CWindowImpl {
public:
    BEGIN_MSG_MAP(Probe)
        MESSAGE_HANDLER(kMapped, OnMessage)
        MESSAGE_HANDLER(kDeclined, OnMessage)
    END_MSG_MAP()

    std::vector<UINT> m_seen;

private:
    LRESULT OnMessage(UINT uMsg, WPARAM, LPARAM, BOOL& bHandled)
    {
        m_seen.push_back(uMsg);
        bHandled = uMsg != kDeclined;
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
    }

    void ExpectRouting(UINT message, bool mapSees, bool ownGets, LRESULT result)
    {
        SCOPED_TRACE(testing::Message() << "message " << message);
        m_probe.m_seen.clear();
        g_ownReceived.clear();
        EXPECT_EQ(SendMessageW(m_window, message, 0, 0), result);
        EXPECT_EQ(m_probe.m_seen, mapSees ? std::vector<UINT>{message} : std::vector<UINT>{});
        EXPECT_EQ(g_ownReceived, ownGets ? std::vector<UINT>{message} : std::vector<UINT>{});
    }

    // A second window of the test's class, for a case that needs a fresh one.
    HWND OtherWindow() const { return Child(L"LumarouteSubclassTestWindow", 0, 1402, 10, 10); }

    Probe m_probe;
    HWND m_window = nullptr;
    LONG_PTR m_ownProc = 0;
};

TEST_F(WindowImplTest, MapAnswersWhatItHandlesAndTheOwnProcedureTheRest)
{
    ASSERT_TRUE(m_probe.SubclassWindow(m_window));
    ExpectRouting(kMapped, true, false, kMapAnswer);
    ExpectRouting(kDeclined, true, true, kOwnAnswer);
    ExpectRouting(kUnmapped, false, true, kOwnAnswer);
}

TEST_F(WindowImplTest, AnObjectAttachesOnceAndDetachingPutsTheOwnProcedureBack)
{
    EXPECT_FALSE(m_probe.SubclassWindow(nullptr));
    ASSERT_TRUE(m_probe.SubclassWindow(m_window));
    EXPECT_FALSE(m_probe.SubclassWindow(m_window));
    EXPECT_FALSE(m_probe.SubclassWindow(m_parent));
    EXPECT_EQ(m_probe.UnsubclassWindow(), m_window);
    EXPECT_EQ(m_probe.m_hWnd, nullptr);
    EXPECT_EQ(GetWindowLongPtrW(m_window, GWLP_WNDPROC), m_ownProc);
    ExpectRouting(kMapped, false, true, kOwnAnswer);
}

TEST_F(WindowImplTest, UnsubclassingUnderAnotherSubclassLeavesItInPlaceAndTheChainWorking)
{
    ASSERT_TRUE(m_probe.SubclassWindow(m_window));
    g_belowOnTop = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OnTopProc)));
    m_probe.UnsubclassWindow();
    EXPECT_EQ(GetWindowLongPtrW(m_window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&OnTopProc));
    // The other subclass still chains through where the object was: what comes down
    // that chain must go on reaching the window's own procedure.
    ExpectRouting(kUnmapped, false, true, kOwnAnswer);
    ExpectRouting(kMapped, false, true, kOwnAnswer);
}

TEST_F(WindowImplTest, AWindowLetGoOfIsTakenAgainWithOrWithoutASubclassOnTop)
{
    for (const bool onTop : {false, true}) {
        SCOPED_TRACE(onTop ? "under another subclass" : "alone");
        const HWND window = onTop ? OtherWindow() : m_window;
        ASSERT_NE(window, nullptr);
        const LONG_PTR own = GetWindowLongPtrW(window, GWLP_WNDPROC);
        Probe first;
        ASSERT_TRUE(first.SubclassWindow(window));
        if (onTop) {
            g_belowOnTop = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OnTopProc)));
        }
        first.UnsubclassWindow();

        // Taken again by another object while one holds it: refused.
        Probe second;
        ASSERT_TRUE(second.SubclassWindow(window));
        EXPECT_FALSE(first.SubclassWindow(window));
        // Every message passes the object's map once and reaches the window's own
        // procedure once at most: no part of the chain calls itself.
        const std::vector<std::pair<UINT, LRESULT>> routes{
            {kMapped, kMapAnswer}, {kDeclined, kOwnAnswer}, {kUnmapped, kOwnAnswer}};
        for (const auto& [message, answer] : routes) {
            second.m_seen.clear();
            g_ownReceived.clear();
            EXPECT_EQ(SendMessageW(window, message, 0, 0), answer);
            EXPECT_EQ(second.m_seen.size(), message == kUnmapped ? 0u : 1u) << message;
            EXPECT_EQ(g_ownReceived.size(), message == kMapped ? 0u : 1u) << message;
        }
        second.UnsubclassWindow();
        EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), onTop ? reinterpret_cast<LONG_PTR>(&OnTopProc) : own);
    }
}

}  // namespace
