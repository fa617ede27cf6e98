// The modal loop: pre-translation of the dialog and its controls, the keys and the close box
// that end a dialog, WM_QUIT, and the owner's state.
#include <Framework.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "resource.h"

namespace {

const UINT WM_RUN_SCRIPT = WM_APP + 1;

// An edit bound by DDX that eats 'b' before dispatch.
class CFilterEdit : public CWnd {
public:
    bool PreTranslateMessage(MSG* msg) override { return msg->message == WM_CHAR && msg->wParam == 'b'; }
};

// Runs the test's script from inside its own modal loop (posted at initialisation).
class CScriptDlg : public CDialog {
public:
    using Script = std::function<void(CScriptDlg&)>;
    CScriptDlg(UINT idTemplate, Script script, CWnd* parent = nullptr)
        : CDialog(idTemplate, parent), m_script(std::move(script)) {}
    CFilterEdit m_edit;
    bool m_ownerEnabledAtDestroy = false;
    std::string m_textAtDestroy;

protected:
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        PostMessage(WM_RUN_SCRIPT);
        return true;
    }
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_EDIT, m_edit); }
    LRESULT OnRunScript(WPARAM, LPARAM) {
        m_script(*this);
        return 0;
    }
    LRESULT OnDestroy(WPARAM, LPARAM) {
        m_ownerEnabledAtDestroy = ::IsWindowEnabled(::GetWindow(m_hWnd, GW_OWNER)) != FALSE;
        char text[16] = "";
        ::GetWindowTextA(m_edit, text, sizeof text);
        m_textAtDestroy = text;
        return Default();
    }
    DECLARE_MESSAGE_MAP()

private:
    Script m_script;
};

BEGIN_MESSAGE_MAP(CScriptDlg, CDialog)
    ON_MESSAGE(WM_RUN_SCRIPT, OnRunScript)
    ON_MESSAGE(WM_DESTROY, OnDestroy)
END_MESSAGE_MAP()

// Typed characters pass the control's pre-translation before the dialog's, and one consumed
// there is not dispatched. Enter, Esc and the close box end a dialog. Its owner is disabled
// while it runs and enabled again before its window goes, unless it was disabled before;
// without a parent the main window is the owner.
TEST(ModalTest, KeysEndTheDialogAndTheOwnerIsDisabledOnlyWhileItRuns) {
    const struct {
        const char* what;
        bool asMainWindow, disabledBefore;
        int key, result;
    } cases[] = {
        {"given owner, Enter", false, false, VK_RETURN, IDOK},
        {"main window, Esc", true, false, VK_ESCAPE, IDCANCEL},
        {"owner disabled before, close box (key 0)", false, true, 0, IDCANCEL},
    };
    for (const auto& c : cases) {
        CWinApp app;
        CWnd owner;
        ASSERT_TRUE(
            owner.CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr));
        ::EnableWindow(owner, !c.disabledBefore);
        if (c.asMainWindow) app.m_pMainWnd = &owner;
        bool disabledDuring = false;
        HWND ownerSeen = nullptr;
        CScriptDlg dlg(
            IDD_SCRIPT,
            [&](CScriptDlg& d) {
                disabledDuring = !::IsWindowEnabled(owner);
                ownerSeen = GetWindow(d, GW_OWNER);
                d.m_edit.SetFocus();
                for (char ch : {'a', 'b', 'c'}) d.m_edit.PostMessage(WM_CHAR, ch, 1);
                if (c.key) d.m_edit.PostMessage(WM_KEYDOWN, c.key, 1);
                else d.PostMessage(WM_CLOSE);
            },
            c.asMainWindow ? nullptr : &owner);
        EXPECT_EQ(dlg.DoModal(), c.result) << c.what;
        app.m_pMainWnd = nullptr;
        EXPECT_EQ(!!::IsWindowEnabled(owner), !c.disabledBefore) << c.what;
        EXPECT_TRUE(disabledDuring) << c.what;
        EXPECT_EQ(ownerSeen, owner.m_hWnd) << c.what;
        EXPECT_EQ(dlg.m_ownerEnabledAtDestroy, !c.disabledBefore) << c.what;
        EXPECT_EQ(dlg.m_textAtDestroy, "ac") << c.what;
    }
}

// A quit posted from a nested dialog ends both loops and gives each owner back. (Notifications
// reflected to the controls: the strip's picker and the manager's list.)
TEST(ModalTest, QuitEndsNestedLoops) {
    int innerResult = 0;
    CScriptDlg outer(IDD_SCRIPT, [&](CScriptDlg& o) {
        CScriptDlg inner(
            IDD_SCRIPT, [](CScriptDlg&) { PostQuitMessage(3); }, &o);
        innerResult = inner.DoModal();
        EXPECT_TRUE(::IsWindowEnabled(o)) << "the inner dialog gave its owner back";
    });
    EXPECT_EQ(outer.DoModal(), -1) << "ended by WM_QUIT, not by EndDialog";
    EXPECT_EQ(innerResult, -1);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit is passed outwards";
    EXPECT_EQ(msg.wParam, 3u);
}

}  // namespace
