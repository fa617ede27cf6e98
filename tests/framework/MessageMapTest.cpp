// Message maps: lookup through the class chain, commands, Default(), and no exception
// escaping into the system.
#include <Framework.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

const UINT WM_BASE_ONLY = WM_APP + 10;
const UINT WM_BOTH = WM_APP + 11;
const UINT WM_NEITHER = WM_APP + 12;
const UINT WM_THROW = WM_APP + 13;

class CBaseWnd : public CWnd {
public:
    std::string m_log;

protected:
    LRESULT OnBaseOnly(WPARAM wp, LPARAM) { return 100 + static_cast<LRESULT>(wp); }
    LRESULT OnBoth(WPARAM, LPARAM) { return 1; }
    void OnCommandBase() { m_log += "base;"; }
    void OnRange(UINT id) { m_log += "range" + std::to_string(id) + ";"; }
    void OnSelEnd() { m_log += "control;"; }
    bool OnNotifyBase(UINT id, NMHDR*, LRESULT* result) {
        m_log += "notify-base" + std::to_string(id) + ";";
        *result = 41;
        return true;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
    ON_MESSAGE(WM_BASE_ONLY, OnBaseOnly)
    ON_MESSAGE(WM_BOTH, OnBoth)
    ON_COMMAND(100, OnCommandBase)
    ON_COMMAND_RANGE(200, 210, OnRange)
    ON_CONTROL(CBN_SELENDOK, 300, OnSelEnd)
    ON_NOTIFY_EX_RANGE(NM_CLICK, 400, 499, OnNotifyBase)
END_MESSAGE_MAP()

class CDerivedWnd : public CBaseWnd {
protected:
    LRESULT OnBoth(WPARAM, LPARAM) { return 2; }
    LRESULT OnSetText(WPARAM, LPARAM lp) {
        m_log += std::string("settext:") + reinterpret_cast<const char*>(lp) + ";";
        return Default();  // the default procedure stores the text
    }
    LRESULT OnThrow(WPARAM, LPARAM) { throw std::runtime_error("handler failed"); }
    bool OnNotifyNotMine(UINT, NMHDR*, LRESULT*) {
        m_log += "notify-derived-declined;";
        return false;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
    ON_MESSAGE(WM_BOTH, OnBoth)
    ON_MESSAGE(WM_SETTEXT, OnSetText)
    ON_MESSAGE(WM_THROW, OnThrow)
    ON_NOTIFY_EX_RANGE(NM_CLICK, 400, 499, OnNotifyNotMine)
END_MESSAGE_MAP()

class MessageMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_wnd.CreateEx(0, nullptr, "map", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    }
    CDerivedWnd m_wnd;
};

TEST_F(MessageMapTest, LookupGoesFromTheClassToItsBases) {
    struct Case {
        UINT msg;
        WPARAM wp;
        LRESULT expected;
        const char* why;
    } cases[] = {
        {WM_BASE_ONLY, 5, 105, "only the base lists it: the base handler runs"},
        {WM_BOTH, 0, 2, "both list it: the derived entry wins"},
        {WM_NEITHER, 0, 0, "nobody lists it: the default procedure answers"},
    };
    for (const Case& c : cases) EXPECT_EQ(m_wnd.SendMessage(c.msg, c.wp), c.expected) << c.why;
}

TEST_F(MessageMapTest, DefaultInsideAHandlerRunsTheDefaultProcedure) {
    ::SetWindowTextA(m_wnd, "hello");
    EXPECT_EQ(m_wnd.m_log, "settext:hello;");
    EXPECT_EQ(m_wnd.GetWindowText(), "hello");
}

TEST_F(MessageMapTest, CommandsMatchByIdRangeAndCode) {
    struct Case {
        WPARAM wp;
        LPARAM lp;
        const char* expected;
    } cases[] = {
        {MAKEWPARAM(100, 0), 0, "base;"},                       // menu item
        {MAKEWPARAM(100, 1), 0, "base;"},                       // accelerator: a plain command too
        {MAKEWPARAM(205, 0), 0, "range205;"},                   // inside the range, id passed on
        {MAKEWPARAM(211, 0), 0, ""},                            // just outside the range
        {MAKEWPARAM(300, CBN_SELENDOK), 1, "control;"},         // notification code from a control
        {MAKEWPARAM(300, CBN_SELCHANGE), 1, ""},                // another code from the same control
    };
    for (const Case& c : cases) {
        m_wnd.m_log.clear();
        // lParam 1 stands for "from a control" and names no window, so nothing is reflected.
        m_wnd.SendMessage(WM_COMMAND, c.wp, c.lp);
        EXPECT_EQ(m_wnd.m_log, c.expected) << "id " << LOWORD(c.wp) << " code " << HIWORD(c.wp);
    }
}

TEST_F(MessageMapTest, ADeclinedNotifyGoesOnToTheBaseEntry) {
    NMHDR nm{nullptr, 450, static_cast<UINT>(NM_CLICK)};
    LRESULT r = m_wnd.SendMessage(WM_NOTIFY, 450, reinterpret_cast<LPARAM>(&nm));
    EXPECT_EQ(m_wnd.m_log, "notify-derived-declined;notify-base450;");
    EXPECT_EQ(r, 41);
}

TEST_F(MessageMapTest, AnExceptionInAHandlerDoesNotLeaveTheWindowProcedure) {
    EXPECT_EQ(m_wnd.SendMessage(WM_THROW), 0);
    // The window still works afterwards.
    EXPECT_EQ(m_wnd.SendMessage(WM_BASE_ONLY, 1), 101);
}

TEST_F(MessageMapTest, TheBindingEndsWithTheWindow) {
    HWND hwnd = m_wnd.m_hWnd;
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), &m_wnd);
    ASSERT_TRUE(m_wnd.DestroyWindow());
    EXPECT_EQ(m_wnd.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
}

// A control bound by subclassing: our map first, then the control's own procedure.
class CCountingEdit : public CWnd {
public:
    int m_chars = 0;

protected:
    LRESULT OnChar(WPARAM, LPARAM) {
        ++m_chars;
        return Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCountingEdit, CWnd)
    ON_MESSAGE(WM_CHAR, OnChar)
END_MESSAGE_MAP()

TEST(SubclassTest, MessagesPassTheMapAndReachTheControl) {
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    CCountingEdit wrapper;
    ASSERT_TRUE(wrapper.SubclassWindow(edit));
    EXPECT_FALSE(CCountingEdit().SubclassWindow(edit)) << "a window is bound to one object only";
    SendMessageA(edit, WM_CHAR, 'a', 1);
    SendMessageA(edit, WM_CHAR, 'b', 1);
    EXPECT_EQ(wrapper.m_chars, 2);
    EXPECT_EQ(wrapper.GetWindowText(), "ab");
    EXPECT_EQ(wrapper.UnsubclassWindow(), edit);
    SendMessageA(edit, WM_CHAR, 'c', 1);
    EXPECT_EQ(wrapper.m_chars, 2);
    EXPECT_TRUE(IsWindow(edit)) << "giving a window back does not destroy it";
    DestroyWindow(edit);
}

}  // namespace
