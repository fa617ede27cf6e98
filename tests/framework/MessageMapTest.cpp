// Message maps: lookup through the class chain, and no exception escaping into the system;
// the file error report. (The frame's menu, focus, command routing and Exit: the viewer's
// window tests, on the program's own frame.)
#include <Framework.h>
#include <WinTest.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

const UINT WM_BASE_ONLY = WM_APP + 10, WM_BOTH = WM_APP + 11, WM_NEITHER = WM_APP + 12, WM_THROW = WM_APP + 13;

class CBaseWnd : public CWnd {
public:
    std::string m_log;

protected:
    LRESULT OnBaseOnly(WPARAM wp, LPARAM) { return 100 + static_cast<LRESULT>(wp); }
    LRESULT OnBoth(WPARAM, LPARAM) { return 1; }
    bool OnNotifyBase(UINT id, NMHDR*, LRESULT* result) {
        m_log += "base" + std::to_string(id) + ";";
        *result = 41;
        return true;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
    ON_MESSAGE(WM_BASE_ONLY, OnBaseOnly)
    ON_MESSAGE(WM_BOTH, OnBoth)
    ON_NOTIFY_EX_RANGE(NM_CLICK, 400, 499, OnNotifyBase)
END_MESSAGE_MAP()

class CDerivedWnd : public CBaseWnd {
protected:
    LRESULT OnBoth(WPARAM, LPARAM) { return 2; }
    LRESULT OnThrow(WPARAM, LPARAM) { throw std::runtime_error("handler failed"); }
    bool OnNotifyDeclined(UINT, NMHDR*, LRESULT*) {
        m_log += "declined;";
        return false;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
    ON_MESSAGE(WM_BOTH, OnBoth)
    ON_MESSAGE(WM_THROW, OnThrow)
    ON_NOTIFY_EX_RANGE(NM_CLICK, 400, 499, OnNotifyDeclined)
END_MESSAGE_MAP()

TEST(MessageMapTest, LookupGoesFromTheClassToItsBasesAndSurvivesAThrowingHandler) {
    CDerivedWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "map", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    const struct { UINT msg; WPARAM wp; LRESULT expected; const char* why; } cases[] = {
        {WM_BASE_ONLY, 5, 105, "only the base lists it"},
        {WM_BOTH, 0, 2, "both list it: the derived entry wins"},
        {WM_NEITHER, 0, 0, "nobody lists it: the default procedure answers"},
        {WM_THROW, 0, 0, "the exception stops inside the window procedure"},
        {WM_BASE_ONLY, 1, 101, "and the window still works afterwards"},
    };
    for (const auto& c : cases) EXPECT_EQ(wnd.SendMessage(c.msg, c.wp), c.expected) << c.why;

    // A derived notify entry that declines passes the message on to the base entry.
    NMHDR nm{nullptr, 450, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 450, reinterpret_cast<LPARAM>(&nm)), 41);
    EXPECT_EQ(wnd.m_log, "declined;base450;");

    HWND hwnd = wnd.m_hWnd;
    ASSERT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr) << "the binding ends with the window";
}

// Brindle reports a file it could not read this way; its tests cannot make a read fail.
TEST(AppTest, TheFileErrorReportCarriesTheAppTitle) {
    wintest::MessageBoxWatcher watcher(IDOK);
    AfxReportFileError("C:\\data\\a.reg", false, ERROR_READ_FAULT);
    auto seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, wintest::A("框架测试"));
    EXPECT_EQ(seen[0].text, wintest::A("读取文件“C:\\data\\a.reg”时发生错误。"));
}

}  // namespace
