// The frame: loading from one resource id, its pane, command routing, focus, the standard
// commands and the end of the program with its main window.
#include <Framework.h>
#include <WinTest.h>
#include <gtest/gtest.h>

#include <string>

#include "ScriptDlg.h"
#include "resource.h"

namespace {

std::string g_log;

class CTestView : public CWnd {
protected:
    void OnBoth() { g_log += "view:both;"; }
    void OnViewOnly() { g_log += "view:only;"; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestView, CWnd)
    ON_COMMAND(ID_BOTH, OnBoth)
    ON_COMMAND(ID_VIEW_ONLY, OnViewOnly)
END_MESSAGE_MAP()

class CTestFrame : public CFrameWnd {
public:
    CTestView m_wndView;
    bool* m_deleted = nullptr;
    ~CTestFrame() override {
        if (m_deleted) *m_deleted = true;
    }

protected:
    LRESULT OnCreate(WPARAM wp, LPARAM lp) {
        if (CFrameWnd::OnCreate(wp, lp) == -1) return -1;
        if (!m_wndView.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(), this, AFX_IDW_PANE_FIRST))
            return -1;
        return 0;
    }
    void OnBoth() { g_log += "frame:both;"; }
    void OnFrameOnly() { g_log += "frame:only;"; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestFrame, CFrameWnd)
    ON_MESSAGE(WM_CREATE, OnCreate)
    ON_COMMAND(ID_BOTH, OnBoth)
    ON_COMMAND(ID_FRAME_ONLY, OnFrameOnly)
END_MESSAGE_MAP()

class CTestApp : public CWinApp {
protected:
    void OnAbout() { g_log += "app:about;"; }
    void OnBoth() { g_log += "app:both;"; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
    ON_COMMAND(ID_APP_ABOUT, OnAbout)
    ON_COMMAND(ID_BOTH, OnBoth)
END_MESSAGE_MAP()

TEST(FrameTest, LoadFrameTakesMenuAndTitleFromOneResource) {
    CTestFrame frame;
    frame.m_bAutoDelete = false;
    ASSERT_TRUE(frame.LoadFrame(IDR_TESTFRAME));
    EXPECT_EQ(frame.GetWindowText(), wintest::A("测试框架")) << "the title ends at the first newline";
    EXPECT_NE(GetMenu(frame), nullptr);
    EXPECT_TRUE(frame.GetStyle() & WS_CAPTION);
    EXPECT_EQ(frame.GetActiveView(), &frame.m_wndView);
    frame.DestroyWindow();
}

TEST(FrameTest, ThePaneFillsTheClientAreaAndTakesTheFocus) {
    CTestFrame frame;
    frame.m_bAutoDelete = false;
    ASSERT_TRUE(frame.LoadFrame(IDR_TESTFRAME));
    frame.ShowWindow(SW_SHOW);
    const SIZE sizes[] = {{400, 300}, {640, 200}, {250, 420}};
    for (SIZE s : sizes) {
        frame.MoveWindow(10, 10, s.cx, s.cy);
        CRect client, pane;
        frame.GetClientRect(&client);
        frame.m_wndView.GetWindowRect(&pane);
        frame.ScreenToClient(&pane);
        EXPECT_EQ(pane, client) << s.cx << "x" << s.cy;
    }
    frame.SetFocus();
    EXPECT_EQ(GetFocus(), frame.m_wndView.m_hWnd);
    frame.DestroyWindow();
}

TEST(FrameTest, CommandsGoToTheViewThenTheFrameThenTheApplication) {
    CTestApp app;
    CTestFrame frame;
    frame.m_bAutoDelete = false;
    ASSERT_TRUE(frame.LoadFrame(IDR_TESTFRAME));
    struct Case {
        UINT id;
        const char* expected;
    } cases[] = {
        {ID_BOTH, "view:both;"},  // listed by view, frame and application: the view takes it
        {ID_VIEW_ONLY, "view:only;"},
        {ID_FRAME_ONLY, "frame:only;"},
        {ID_APP_ABOUT, "app:about;"},
        {ID_NOBODY, ""},
    };
    for (const Case& c : cases) {
        g_log.clear();
        frame.SendMessage(WM_COMMAND, MAKEWPARAM(c.id, 0), 0);
        EXPECT_EQ(g_log, c.expected) << "command " << c.id;
    }
    frame.DestroyWindow();
}

TEST(FrameTest, ExitClosesTheMainWindowWhichEndsTheLoopAndDeletesTheFrame) {
    Watchdog watchdog(60000);
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

// A frame whose creation fails stays the caller's object and leaves no window behind.
class CFailingFrame : public CFrameWnd {
protected:
    LRESULT OnCreate(WPARAM, LPARAM) { return -1; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFailingFrame, CFrameWnd)
    ON_MESSAGE(WM_CREATE, OnCreate)
END_MESSAGE_MAP()

TEST(FrameTest, AFailedCreationReportsFalseAndKeepsTheObject) {
    CFailingFrame frame;  // on the stack: a delete of it would crash this test
    EXPECT_FALSE(frame.LoadFrame(IDR_TESTFRAME));
    EXPECT_EQ(frame.m_hWnd, nullptr);
}

// A dialog-based program: the dialog is the main window and the program ends with it,
// without entering the message loop.
class CDialogApp : public CWinApp {
public:
    int m_dialogResult = 0;
    HWND m_ownerOfDialog = reinterpret_cast<HWND>(1);
    bool InitInstance() override {
        Enable3dControls();
        CScriptDlg dlg(IDD_SCRIPT, [this](CScriptDlg& d) {
            m_ownerOfDialog = GetWindow(d, GW_OWNER);
            d.EndDialog(IDCANCEL);
        });
        m_pMainWnd = &dlg;
        m_dialogResult = dlg.DoModal();
        m_pMainWnd = nullptr;
        return false;
    }
};

TEST(AppTest, ADialogBasedProgramEndsWhenItsDialogCloses) {
    Watchdog watchdog(60000);
    CDialogApp app;
    ASSERT_EQ(AfxGetApp(), &app);
    EXPECT_EQ(AfxWinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOW), 0);
    EXPECT_EQ(app.m_dialogResult, IDCANCEL);
    EXPECT_EQ(app.m_ownerOfDialog, nullptr) << "the first window of the program has no owner";
}

TEST(AppTest, StringsLoadWholeAndTheErrorReportCarriesTheAppTitle) {
    std::string expected;
    for (int i = 0; i < 150; ++i) expected += wintest::A("长");
    expected += "end";
    std::string s;
    EXPECT_TRUE(AfxLoadString(IDS_LONG, s));
    EXPECT_EQ(s, expected) << "longer than the first buffer";
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
