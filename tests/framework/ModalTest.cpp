// The modal loop: pre-translation of the dialog and its controls, the keys and the close box
// that end a dialog, WM_QUIT, and the owner's state.
#include <Framework.h>
#include <gtest/gtest.h>

#include <string>

#include "ScriptDlg.h"

namespace {

// An edit bound by DDX that sees every character before dispatch and eats 'b'.
class CFilterEdit : public CWnd {
public:
    std::string m_seen;
    bool m_preSubclassed = false;

    bool PreTranslateMessage(MSG* msg) override {
        if (msg->message != WM_CHAR) return false;
        m_seen += static_cast<char>(msg->wParam);
        return msg->wParam == 'b';
    }
    void PreSubclassWindow() override { m_preSubclassed = m_hWnd != nullptr; }
};

class CEditDlg : public CScriptDlg {
public:
    using CScriptDlg::CScriptDlg;
    CFilterEdit m_edit;
    std::string m_dialogSaw;  // characters that reached the dialog's pre-translation
    HWND m_watchOwner = nullptr;
    bool m_ownerEnabledAtDestroy = false;
    std::string m_textAtDestroy;

    bool PreTranslateMessage(MSG* msg) override {
        if (msg->message == WM_CHAR) m_dialogSaw += static_cast<char>(msg->wParam);
        return CScriptDlg::PreTranslateMessage(msg);
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_EDIT, m_edit); }
    LRESULT OnDestroy(WPARAM, LPARAM) {
        m_ownerEnabledAtDestroy = m_watchOwner && ::IsWindowEnabled(m_watchOwner);
        m_textAtDestroy = m_edit.GetWindowText();
        return Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CEditDlg, CScriptDlg)
    ON_MESSAGE(WM_DESTROY, OnDestroy)
END_MESSAGE_MAP()

TEST(ModalTest, PreTranslationRunsForTheControlThenTheDialog) {
    CEditDlg dlg(IDD_SCRIPT, [](CScriptDlg& base) {
        auto& d = static_cast<CEditDlg&>(base);
        EXPECT_TRUE(d.m_edit.m_preSubclassed);
        d.m_edit.SetFocus();
        for (char ch : {'a', 'b', 'c'}) d.m_edit.PostMessage(WM_CHAR, ch, 1);
        d.PostMessage(WM_COMMAND, IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_edit.m_seen, "abc");
    EXPECT_EQ(dlg.m_dialogSaw, "ac") << "a consumed message goes no further";
    EXPECT_EQ(dlg.m_textAtDestroy, "ac") << "nor is it dispatched";
}

// Enter, Esc and the close box end a dialog. Its owner is disabled while it runs and enabled
// again before its window goes, unless it was disabled before; without a parent the main window
// is the owner.
TEST(ModalTest, KeysEndTheDialogAndTheOwnerIsDisabledOnlyWhileItRuns) {
    const struct { const char* what; UINT templateId; bool asMainWindow, disabledBefore; int key, result; } cases[] = {
        {"given owner, Enter", IDD_SCRIPT, false, false, VK_RETURN, IDOK},
        {"main window, Esc", IDD_SCRIPT, true, false, VK_ESCAPE, IDCANCEL},
        {"owner disabled before, close box (key 0)", IDD_SCRIPT, false, true, 0, IDCANCEL},
        {"no such template: fails, owner untouched", 4242, false, false, 0, -1},
    };
    for (const auto& c : cases) {
        CWinApp app;
        CWnd owner;
        ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr));
        owner.EnableWindow(!c.disabledBefore);
        if (c.asMainWindow) app.m_pMainWnd = &owner;
        bool disabledDuring = false;
        HWND ownerSeen = nullptr;
        CEditDlg dlg(c.templateId, [&](CScriptDlg& base) {
            auto& d = static_cast<CEditDlg&>(base);
            disabledDuring = !owner.IsWindowEnabled();
            ownerSeen = GetWindow(d, GW_OWNER);
            d.m_edit.SetFocus();
            if (c.key) d.m_edit.PostMessage(WM_KEYDOWN, c.key, 1); else d.PostMessage(WM_CLOSE);
        }, c.asMainWindow ? nullptr : &owner);
        dlg.m_watchOwner = owner;
        EXPECT_EQ(dlg.DoModal(), c.result) << c.what;
        app.m_pMainWnd = nullptr;
        EXPECT_EQ(owner.IsWindowEnabled(), !c.disabledBefore) << c.what;
        if (c.result == -1) continue;
        EXPECT_TRUE(disabledDuring) << c.what;
        EXPECT_EQ(ownerSeen, owner.m_hWnd) << c.what;
        EXPECT_EQ(dlg.m_ownerEnabledAtDestroy, !c.disabledBefore) << c.what;
    }
}

TEST(ModalTest, QuitDuringNestedDialogsEndsEveryLoopAndStaysQueued) {
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

}  // namespace
