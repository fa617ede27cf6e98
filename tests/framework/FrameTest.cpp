// The frame: loading from one resource id, focus, command routing, the Exit command,
// strings and the error report.
#include <Framework.h>
#include <WinTest.h>
#include <gtest/gtest.h>

#include <string>

#include "resource.h"

namespace {

std::string g_took;  // who handled the last command

class CTestView : public CWnd {
protected:
    void Took() { g_took = "view"; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestView, CWnd)
    ON_COMMAND(ID_BOTH, Took)
END_MESSAGE_MAP()

class CTestFrame : public CFrameWnd {
public:
    CTestView m_wndView;
    bool m_failCreate = false;
    bool* m_deleted = nullptr;
    ~CTestFrame() override { if (m_deleted) *m_deleted = true; }

protected:
    LRESULT OnCreate(WPARAM wp, LPARAM lp) {
        if (m_failCreate || CFrameWnd::OnCreate(wp, lp) == -1) return -1;
        return m_wndView.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(), this, AFX_IDW_PANE_FIRST) ? 0 : -1;
    }
    void Took() { g_took = "frame"; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestFrame, CFrameWnd)
    ON_MESSAGE(WM_CREATE, OnCreate)
    ON_COMMAND(ID_BOTH, Took)
    ON_COMMAND(ID_FRAME_ONLY, Took)
END_MESSAGE_MAP()

class CTestApp : public CWinApp {
protected:
    void Took() { g_took = "app"; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
    ON_COMMAND(ID_BOTH, Took)
    ON_COMMAND(ID_FRAME_ONLY, Took)
    ON_COMMAND(ID_APP_ABOUT, Took)
END_MESSAGE_MAP()

// (The pane follows the frame's size: the viewer's resize test.)
TEST(FrameTest, OneResourceMakesTheFrameWhosePaneHasTheFocusAndIsOfferedCommandsFirst) {
    CTestApp app;
    CTestFrame frame;
    frame.m_bAutoDelete = false;
    ASSERT_TRUE(frame.LoadFrame(IDR_TESTFRAME));
    EXPECT_EQ(frame.GetWindowText(), wintest::A("测试框架")) << "the title ends at the first newline";
    EXPECT_NE(GetMenu(frame), nullptr);
    frame.ShowWindow(SW_SHOW);
    frame.SetFocus();
    EXPECT_EQ(GetFocus(), frame.m_wndView.m_hWnd);

    const struct { UINT id, code; const char* took; } cases[] = {
        {ID_BOTH, 0, "view"},  // listed by view, frame and application
        {ID_FRAME_ONLY, 0, "frame"},
        {ID_FRAME_ONLY, 1, "frame"},  // from an accelerator
        {ID_APP_ABOUT, 0, "app"},
        {ID_NOBODY, 0, ""},
    };
    for (const auto& c : cases) {
        g_took.clear();
        frame.SendMessage(WM_COMMAND, MAKEWPARAM(c.id, c.code), 0);
        EXPECT_EQ(g_took, c.took) << "command " << c.id << " code " << c.code;
    }
    frame.DestroyWindow();
}

TEST(FrameTest, ExitClosesTheMainWindowWhichEndsTheLoopAndDeletesTheFrame) {
    CTestApp app;
    bool deleted = false;
    auto* frame = new CTestFrame;
    frame->m_deleted = &deleted;
    app.m_pMainWnd = frame;
    ASSERT_TRUE(frame->LoadFrame(IDR_TESTFRAME));
    frame->ShowWindow(SW_SHOW);
    frame->PostMessage(WM_COMMAND, ID_APP_EXIT, 0);
    EXPECT_EQ(app.Run(), 0);
    EXPECT_TRUE(deleted);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
}

TEST(FrameTest, AFailedCreationReportsFalseAndLeavesTheObjectToItsOwner) {
    bool deleted = false;
    CTestFrame frame;  // on the stack: deleting it would crash
    frame.m_failCreate = true;
    frame.m_deleted = &deleted;
    EXPECT_FALSE(frame.LoadFrame(IDR_TESTFRAME));
    EXPECT_EQ(frame.m_hWnd, nullptr);
    EXPECT_FALSE(deleted);
}

TEST(AppTest, StringsLoadWholeAndTheErrorReportCarriesTheAppTitle) {
    std::string expected;
    for (int i = 0; i < 150; ++i) expected += wintest::A("长");
    std::string s;
    EXPECT_TRUE(AfxLoadString(IDS_LONG, s));
    EXPECT_EQ(s, expected + "end") << "longer than the first buffer";
    EXPECT_FALSE(AfxLoadString(4321, s));
    EXPECT_EQ(s, "");

    wintest::MessageBoxWatcher watcher(IDOK);
    AfxReportFileError("C:\\data\\a.reg", false, ERROR_READ_FAULT);
    auto seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, wintest::A("框架测试"));
    EXPECT_EQ(seen[0].text, wintest::A("读取文件“C:\\data\\a.reg”时发生错误。"));
}

}  // namespace
