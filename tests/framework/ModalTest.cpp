// The modal loop: pre-translation of the dialog and its controls, the keys and the close box
// that end a dialog, WM_QUIT, and the owner's state.
#include <Framework.h>
#include <WinTest.h>
#include <gtest/gtest.h>

#include <vector>

#include "ScriptDlg.h"

namespace {

// An edit bound by DDX that sees every message before dispatch and eats F2.
class CFilterEdit : public CWnd {
public:
    std::vector<UINT> m_seenKeys;  // WM_KEYDOWN keys seen in PreTranslateMessage
    int m_keysReceived = 0;        // WM_KEYDOWN that reached the window
    bool m_preSubclassed = false;

    bool PreTranslateMessage(MSG* msg) override {
        if (msg->message != WM_KEYDOWN) return false;
        m_seenKeys.push_back(static_cast<UINT>(msg->wParam));
        return msg->wParam == VK_F2;
    }
    void PreSubclassWindow() override { m_preSubclassed = m_hWnd != nullptr; }

protected:
    LRESULT OnKeyDown(WPARAM, LPARAM) {
        ++m_keysReceived;
        return Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFilterEdit, CWnd)
    ON_MESSAGE(WM_KEYDOWN, OnKeyDown)
END_MESSAGE_MAP()

class CEditDlg : public CScriptDlg {
public:
    using CScriptDlg::CScriptDlg;
    CFilterEdit m_edit;
    std::vector<UINT> m_dialogSaw;  // WM_KEYDOWN keys that reached the dialog's pre-translation
    bool m_keepOpen = false;        // OnOK/OnCancel do nothing (a strip that only closes by command)
    int m_okCalls = 0;
    int m_cancelCalls = 0;
    bool m_ownerEnabledAtDestroy = true;
    HWND m_watchOwner = nullptr;

    bool PreTranslateMessage(MSG* msg) override {
        if (msg->message == WM_KEYDOWN) m_dialogSaw.push_back(static_cast<UINT>(msg->wParam));
        return CScriptDlg::PreTranslateMessage(msg);
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_EDIT, m_edit); }
    void OnOK() override {
        ++m_okCalls;
        if (!m_keepOpen) CScriptDlg::OnOK();
    }
    void OnCancel() override {
        ++m_cancelCalls;
        if (!m_keepOpen) CScriptDlg::OnCancel();
    }
    LRESULT OnDestroy(WPARAM, LPARAM) {
        if (m_watchOwner) m_ownerEnabledAtDestroy = ::IsWindowEnabled(m_watchOwner) != FALSE;
        return Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CEditDlg, CScriptDlg)
    ON_MESSAGE(WM_DESTROY, OnDestroy)
END_MESSAGE_MAP()

TEST(ModalTest, PreTranslationRunsForTheControlThenTheDialog) {
    Watchdog watchdog(60000);
    CEditDlg dlg(IDD_SCRIPT, std::vector<CScriptDlg::Script>{
        [](CScriptDlg& base) {
            auto& d = static_cast<CEditDlg&>(base);
            EXPECT_TRUE(d.m_edit.m_preSubclassed);
            d.m_edit.SetFocus();
            PostKey(d.m_edit, VK_F5);  // passes both filters and reaches the edit
            PostKey(d.m_edit, VK_F2);  // eaten by the edit's own filter
        },
        [](CScriptDlg& d) { d.EndDialog(IDOK); },
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_edit.m_seenKeys, (std::vector<UINT>{VK_F5, VK_F2}));
    EXPECT_EQ(dlg.m_dialogSaw, (std::vector<UINT>{VK_F5})) << "a consumed message goes no further";
    EXPECT_EQ(dlg.m_edit.m_keysReceived, 1) << "only F5 is dispatched to the edit";
}

TEST(ModalTest, EnterEscAndTheCloseBoxEndTheDialogThroughOnOKAndOnCancel) {
    Watchdog watchdog(60000);
    struct Case {
        const char* what;
        UINT key;  // 0: WM_CLOSE instead of a key
        int result;
        int ok, cancel;
    } cases[] = {
        {"Enter", VK_RETURN, IDOK, 1, 0},
        {"Esc", VK_ESCAPE, IDCANCEL, 0, 1},
        {"close box", 0, IDCANCEL, 0, 1},
    };
    for (const Case& c : cases) {
        CEditDlg dlg(IDD_SCRIPT, [&](CScriptDlg& base) {
            auto& d = static_cast<CEditDlg&>(base);
            d.m_edit.SetFocus();
            if (c.key)
                PostKey(d.m_edit, c.key);
            else
                d.PostMessage(WM_CLOSE);
        });
        EXPECT_EQ(dlg.DoModal(), c.result) << c.what;
        EXPECT_EQ(dlg.m_okCalls, c.ok) << c.what;
        EXPECT_EQ(dlg.m_cancelCalls, c.cancel) << c.what;
    }
}

TEST(ModalTest, EmptyOnOKAndOnCancelKeepTheDialogOpen) {
    Watchdog watchdog(60000);
    bool stillOpen = false;
    CEditDlg dlg(IDD_SCRIPT, std::vector<CScriptDlg::Script>{
        [](CScriptDlg& base) {
            auto& d = static_cast<CEditDlg&>(base);
            d.m_edit.SetFocus();
            PostKey(d.m_edit, VK_RETURN);
            PostKey(d.m_edit, VK_ESCAPE);
            d.PostMessage(WM_CLOSE);
        },
        [&](CScriptDlg& d) {
            stillOpen = d.IsWindowVisible();
            d.EndDialog(77);
        },
    });
    dlg.m_keepOpen = true;
    EXPECT_EQ(dlg.DoModal(), 77);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(dlg.m_okCalls, 1);
    EXPECT_EQ(dlg.m_cancelCalls, 2);
}

TEST(ModalTest, TheOwnerIsDisabledWhileTheDialogRunsAndEnabledBeforeItIsDestroyed) {
    Watchdog watchdog(60000);
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr));
    bool disabledDuring = false;
    HWND ownerSeen = nullptr;
    CEditDlg dlg(
        IDD_SCRIPT,
        [&](CScriptDlg& d) {
            disabledDuring = !owner.IsWindowEnabled();
            ownerSeen = GetWindow(d, GW_OWNER);
            d.EndDialog(IDOK);
        },
        &owner);
    dlg.m_watchOwner = owner;
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(disabledDuring);
    EXPECT_EQ(ownerSeen, owner.m_hWnd);
    EXPECT_TRUE(dlg.m_ownerEnabledAtDestroy);
    EXPECT_TRUE(owner.IsWindowEnabled());
}

TEST(ModalTest, WithoutAParentTheMainWindowOwnsTheDialog) {
    Watchdog watchdog(60000);
    CWinApp app;
    CWnd main;
    ASSERT_TRUE(main.CreateEx(0, nullptr, "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr));
    app.m_pMainWnd = &main;
    HWND ownerSeen = nullptr;
    bool disabledDuring = false;
    CEditDlg dlg(IDD_SCRIPT, [&](CScriptDlg& d) {
        ownerSeen = GetWindow(d, GW_OWNER);
        disabledDuring = !main.IsWindowEnabled();
        d.EndDialog(IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(ownerSeen, main.m_hWnd);
    EXPECT_TRUE(disabledDuring);
    EXPECT_TRUE(main.IsWindowEnabled());
    app.m_pMainWnd = nullptr;
}

TEST(ModalTest, AnOwnerThatWasDisabledStaysDisabled) {
    Watchdog watchdog(60000);
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr));
    owner.EnableWindow(false);
    CEditDlg dlg(IDD_SCRIPT, [](CScriptDlg& d) { d.EndDialog(IDOK); }, &owner);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_FALSE(owner.IsWindowEnabled());
}

TEST(ModalTest, QuitDuringNestedDialogsEndsEveryLoopAndStaysQueued) {
    Watchdog watchdog(60000);
    int innerResult = 0;
    CEditDlg outer(IDD_SCRIPT, [&](CScriptDlg& o) {
        CEditDlg inner(IDD_SCRIPT, [](CScriptDlg&) { PostQuitMessage(3); }, &o);
        innerResult = inner.DoModal();
        EXPECT_TRUE(o.IsWindowEnabled()) << "the inner dialog gave its owner back";
    });
    EXPECT_EQ(outer.DoModal(), -1) << "ended by WM_QUIT, not by EndDialog";
    EXPECT_EQ(innerResult, -1);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit is passed outwards";
    EXPECT_EQ(msg.wParam, 3u);
}

TEST(ModalTest, ATemplateWithoutAFontStillInitialisesAndBindsItsControls) {
    Watchdog watchdog(60000);
    bool bound = false;
    CEditDlg dlg(IDD_NOFONT, [&](CScriptDlg& base) {
        bound = static_cast<CEditDlg&>(base).m_edit.m_hWnd == base.GetDlgItem(IDC_EDIT);
        base.EndDialog(IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK) << "the script is posted from OnInitDialog";
    EXPECT_TRUE(bound);
}

TEST(ModalTest, ADialogWithoutItsTemplateFailsWithoutTouchingTheOwner) {
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr));
    CDialog dlg(4242, &owner);
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_TRUE(owner.IsWindowEnabled());
}

}  // namespace
