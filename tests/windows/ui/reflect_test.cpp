// Notification reflection, which hands a parent's control notifications back to the
// controls, and the dialog class whose message map receives them.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/dialog_impl.h"
#include "app/message_map.h"
#include "res/resource.h"

namespace {

// Reflected messages carry their original number plus 0x2000 (OCM__BASE); controls
// written against that number must keep receiving them.
constexpr UINT kReflectedBase = 0x2000;

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Messages each recording window received, by window.
std::map<HWND, std::vector<Received>> g_received;

// What a recording child answers to a reflected message: its own handle's low bits
// plus the message number, so that the answer tells who answered what.
LRESULT AnswerOf(HWND hWnd, UINT message)
{
    return static_cast<LRESULT>((reinterpret_cast<UINT_PTR>(hWnd) & 0xFFFF) << 16 | (message & 0xFFFF));
}

LRESULT CALLBACK RecordingWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    g_received[hWnd].push_back({uMsg, wParam, lParam});
    if (uMsg >= kReflectedBase && uMsg < kReflectedBase + WM_USER)
        return AnswerOf(hWnd, uMsg);
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

constexpr wchar_t kRecordingClass[] = L"LumarouteReflectTestWindow";
constexpr int kFirstId = 2001;
constexpr int kSecondId = 2002;

class ReflectTest : public testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = RecordingWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kRecordingClass;
        RegisterClassW(&wc);  // fails harmlessly when an earlier test registered it

        m_parent = CreateWindowExW(0, kRecordingClass, L"parent", WS_POPUP, 0, 0, 200, 200, nullptr,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_parent, nullptr);
        m_first = CreateChild(kFirstId);
        m_second = CreateChild(kSecondId);
        ASSERT_NE(m_first, nullptr);
        ASSERT_NE(m_second, nullptr);
        g_received.clear();
    }

    void TearDown() override
    {
        if (m_parent)
            DestroyWindow(m_parent);  // and the children with it
        g_received.clear();
    }

    HWND CreateChild(int id) const
    {
        return CreateWindowExW(0, kRecordingClass, L"", WS_CHILD, 0, 0, 10, 10, m_parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
    }

    // Messages numbered `message` or `message` + 0x2000 that `hWnd` received.
    static std::vector<Received> Relevant(HWND hWnd, UINT message)
    {
        std::vector<Received> found;
        for (const Received& r : g_received[hWnd]) {
            if (r.message == message || r.message == kReflectedBase + message)
                found.push_back(r);
        }
        return found;
    }

    HWND m_parent = nullptr;
    HWND m_first = nullptr;
    HWND m_second = nullptr;
};

struct ReflectCase {
    const char* name;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    HWND target;  // null: not reflected
};

TEST_F(ReflectTest, NotificationsGoToTheChildTheyConcernWithTheSameParameters)
{
    DRAWITEMSTRUCT menuDraw{};
    menuDraw.CtlType = ODT_MENU;
    menuDraw.hwndItem = m_first;  // a menu's draw record has no control; wParam 0 says so
    DRAWITEMSTRUCT buttonDraw{};
    buttonDraw.CtlType = ODT_BUTTON;
    buttonDraw.CtlID = kFirstId;  // the record's window, not its id, names the target
    buttonDraw.hwndItem = m_second;
    NMHDR notify{};
    notify.hwndFrom = m_second;
    notify.idFrom = kFirstId;  // likewise
    notify.code = NM_CLICK;
    const HDC dc = reinterpret_cast<HDC>(static_cast<INT_PTR>(0x1234));
    const auto handle = [](HWND hWnd) { return reinterpret_cast<LPARAM>(hWnd); };

    const std::vector<ReflectCase> cases{
        {"WM_COMMAND from a control", WM_COMMAND, MAKEWPARAM(kSecondId, BN_CLICKED), handle(m_second),
         m_second},
        {"WM_COMMAND with another code", WM_COMMAND, MAKEWPARAM(kFirstId, EN_CHANGE), handle(m_first),
         m_first},
        {"WM_COMMAND from a menu", WM_COMMAND, MAKEWPARAM(kFirstId, 0), 0, nullptr},
        {"WM_COMMAND from an accelerator", WM_COMMAND, MAKEWPARAM(kFirstId, 1), 0, nullptr},
        {"WM_DRAWITEM of a menu", WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&menuDraw), nullptr},
        {"WM_DRAWITEM of a control", WM_DRAWITEM, kSecondId, reinterpret_cast<LPARAM>(&buttonDraw),
         m_second},
        {"WM_NOTIFY", WM_NOTIFY, kFirstId, reinterpret_cast<LPARAM>(&notify), m_second},
        {"WM_PARENTNOTIFY of a creation", WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, kFirstId),
         handle(m_second), m_second},
        {"WM_PARENTNOTIFY of a destruction", WM_PARENTNOTIFY, MAKEWPARAM(WM_DESTROY, kSecondId),
         handle(m_first), m_first},
        {"WM_PARENTNOTIFY of a click", WM_PARENTNOTIFY, MAKEWPARAM(WM_LBUTTONDOWN, kSecondId),
         MAKELPARAM(5, 6), m_second},
        {"WM_PARENTNOTIFY of a click on no child", WM_PARENTNOTIFY, MAKEWPARAM(WM_LBUTTONDOWN, 4321),
         MAKELPARAM(5, 6), nullptr},
        {"WM_CTLCOLORSTATIC", WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), handle(m_first), m_first},
        {"WM_CTLCOLOREDIT", WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), handle(m_second), m_second},
        {"WM_HSCROLL from a control", WM_HSCROLL, SB_LINEDOWN, handle(m_first), m_first},
        {"an unrelated message", WM_USER + 5, kFirstId, handle(m_first), nullptr},
    };
    for (const ReflectCase& c : cases) {
        SCOPED_TRACE(c.name);
        g_received.clear();
        BOOL handled = TRUE;

        const LRESULT result = ReflectNotifications(m_parent, c.message, c.wParam, c.lParam, handled);

        for (const HWND hWnd : {m_parent, m_first, m_second}) {
            const std::vector<Received> got = Relevant(hWnd, c.message);
            if (hWnd != c.target) {
                EXPECT_TRUE(got.empty()) << "also sent to window " << hWnd;
                continue;
            }
            ASSERT_EQ(got.size(), 1u);
            EXPECT_EQ(got[0].message, kReflectedBase + c.message);
            EXPECT_EQ(got[0].wParam, c.wParam);
            EXPECT_EQ(got[0].lParam, c.lParam);
        }
        if (c.target) {
            EXPECT_TRUE(handled);
            EXPECT_EQ(result, AnswerOf(c.target, kReflectedBase + c.message));
        } else {
            EXPECT_FALSE(handled);
            EXPECT_EQ(result, 0);
        }
    }
}

// ---------------------------------------------------------------------------------
// CDialogImpl

// Built from the installer's own dialog template; records what its map receives.
class TestDialog : public CDialogImpl<TestDialog> {
public:
    enum { IDD = IDD_MAINDLG };

    BEGIN_MSG_MAP(TestDialog)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_NCHITTEST, OnHitTest)
        COMMAND_ID_HANDLER(IDC_BTN_INSTALL, OnInstall)
        COMMAND_ID_HANDLER(IDC_BTN_BROWSE, OnBrowse)
        MESSAGE_HANDLER(WM_COMMAND, OnAnyCommand)
    END_MSG_MAP()

    void OnFinalMessage(HWND hWnd) override { m_finalMessages.push_back(hWnd); }

    HWND m_initWindow = nullptr;
    HWND m_initMember = nullptr;
    int m_initCount = 0;
    LRESULT m_hitTestAnswer = HTCAPTION;
    std::vector<WORD> m_installCodes;
    int m_browseCount = 0;
    std::vector<WORD> m_otherCommandIds;
    std::vector<HWND> m_finalMessages;

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
    {
        ++m_initCount;
        m_initMember = m_hWnd;
        return TRUE;
    }
    LRESULT OnHitTest(UINT, WPARAM, LPARAM, BOOL&) { return m_hitTestAnswer; }
    LRESULT OnInstall(WORD wNotifyCode, WORD wID, HWND, BOOL&)
    {
        if (wID == IDC_BTN_INSTALL)
            m_installCodes.push_back(wNotifyCode);
        return 0;
    }
    // Declines, so that the message goes on to the next entry of the map.
    LRESULT OnBrowse(WORD, WORD, HWND, BOOL& bHandled)
    {
        ++m_browseCount;
        bHandled = FALSE;
        return 0;
    }
    LRESULT OnAnyCommand(UINT, WPARAM wParam, LPARAM, BOOL&)
    {
        m_otherCommandIds.push_back(LOWORD(wParam));
        return 0;
    }
};

class DialogImplTest : public testing::Test {
protected:
    void SetUp() override
    {
        // The template holds a progress bar.
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof(controls);
        controls.dwICC = ICC_PROGRESS_CLASS;
        InitCommonControlsEx(&controls);

        m_created = m_dialog.Create(nullptr, GetModuleHandleW(nullptr));
        ASSERT_NE(m_created, nullptr) << "error " << GetLastError();
    }
    void TearDown() override
    {
        if (m_dialog.m_hWnd)
            DestroyWindow(m_dialog.m_hWnd);
    }

    TestDialog m_dialog;
    HWND m_created = nullptr;
};

TEST_F(DialogImplTest, InitDialogReachesTheMapWithTheWindowAlreadyKnown)
{
    EXPECT_EQ(m_dialog.m_initCount, 1);
    EXPECT_EQ(m_dialog.m_hWnd, m_created);
    EXPECT_EQ(m_dialog.m_initMember, m_created);
    // The template's controls were created from it.
    EXPECT_NE(GetDlgItem(m_created, IDC_BTN_INSTALL), nullptr);
    EXPECT_NE(GetDlgItem(m_created, IDC_PROGRESS), nullptr);
}

TEST_F(DialogImplTest, CommandReachesItsIdHandlerWhateverTheNotificationCode)
{
    const std::vector<WORD> codes{BN_CLICKED, BN_DOUBLECLICKED, EN_CHANGE, 0xFFFF};
    for (const WORD code : codes)
        SendMessageW(m_created, WM_COMMAND, MAKEWPARAM(IDC_BTN_INSTALL, code), 0);

    EXPECT_EQ(m_dialog.m_installCodes, codes);
    EXPECT_TRUE(m_dialog.m_otherCommandIds.empty());
}

TEST_F(DialogImplTest, CommandOfAnotherIdSkipsTheIdHandlerAndDeclinedOnesGoOn)
{
    SendMessageW(m_created, WM_COMMAND, MAKEWPARAM(IDC_BTN_CLOSE, BN_CLICKED), 0);
    SendMessageW(m_created, WM_COMMAND, MAKEWPARAM(IDC_BTN_BROWSE, BN_CLICKED), 0);

    EXPECT_TRUE(m_dialog.m_installCodes.empty());
    EXPECT_EQ(m_dialog.m_browseCount, 1);
    EXPECT_EQ(m_dialog.m_otherCommandIds, (std::vector<WORD>{IDC_BTN_CLOSE, IDC_BTN_BROWSE}));
}

TEST_F(DialogImplTest, HandlerResultIsWhatSendMessageReturns)
{
    for (const LRESULT answer : {LRESULT{HTCAPTION}, LRESULT{HTBOTTOMRIGHT}, LRESULT{HTTRANSPARENT}}) {
        SCOPED_TRACE(answer);
        m_dialog.m_hitTestAnswer = answer;
        EXPECT_EQ(SendMessageW(m_created, WM_NCHITTEST, 0, MAKELPARAM(1, 1)), answer);
    }
}

TEST_F(DialogImplTest, DestroyingTheWindowClearsTheHandleAndEndsWithTheFinalMessage)
{
    ASSERT_TRUE(DestroyWindow(m_created));

    EXPECT_EQ(m_dialog.m_hWnd, nullptr);
    EXPECT_FALSE(IsWindow(m_created));
    EXPECT_EQ(m_dialog.m_finalMessages, std::vector<HWND>{m_created});
}

}  // namespace
