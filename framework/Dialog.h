// Modal dialogs from templates, run by our own loop.
//
//   CShortcutDlg dlg(...);            // on the caller's stack
//   if (dlg.DoModal() == IDOK) ...    // IDOK / IDCANCEL / EndDialog's value; -1 if not made
//
// DoModal disables the owner (the given parent, else AfxGetSafeOwner), creates the dialog
// modeless from template m_nIDTemplate and pumps: GetMessage -> AfxWalkPreTranslate (the
// target window up its parents; CDialog::PreTranslateMessage runs IsDialogMessage) ->
// dispatch, until EndDialog was called. A WM_QUIT ends the loop and is posted again, so the
// loop outside ends too. The owner is enabled again before the dialog window is destroyed.
// IDOK and IDCANCEL (Enter, Esc, the close box) reach OnOK/OnCancel. WM_INITDIALOG is not a
// table entry: override OnInitDialog (call the base first: it binds the DDX controls).
#pragma once
#include "Wnd.h"

class CDialog;

class CDataExchange {
public:
    CDataExchange(CDialog* dlg, bool save) : m_pDlgWnd(dlg), m_bSaveAndValidate(save) {}
    CDialog* m_pDlgWnd;
    bool m_bSaveAndValidate;
    bool m_bFailed = false;  // a DDX/DDV routine sets it; UpdateData then returns false
};

// A dialog's keyboard and mouse input handed to the dialog manager (IsDialogMessage: Tab,
// Enter, Esc, mnemonics); true when it took the message. Every other message is left for
// dispatch. For the PreTranslateMessage of modal and modeless dialogs alike.
bool AfxPreTranslateDialogInput(HWND dialog, MSG* msg);

// Binds control `id` of the dialog to `control` by subclassing it (once; calls its
// PreSubclassWindow). Marks pDX failed when the control does not exist.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT idTemplate, CWnd* parent = nullptr);
    ~CDialog() override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

    virtual int DoModal();
    // Modeless: the window from template m_nIDTemplate, owned by `parent` (else the safe
    // owner), shown without taking the keyboard from the owner. It gets its keys through the
    // loop's pre-translation walk, as any bound dialog; it lives until DestroyWindow.
    bool Create(CWnd* parent);
    // Ends the modal run with `result` after the current message (never the Win32 EndDialog).
    void EndDialog(int result);
    bool UpdateData(bool saveAndValidate = true);

    bool PreTranslateMessage(MSG* msg) override;  // keyboard/mouse -> IsDialogMessage

protected:
    virtual bool OnInitDialog();  // UpdateData(false); true = let the dialog set the focus
    virtual void OnOK();          // UpdateData(true), then EndDialog(IDOK)
    virtual void OnCancel();      // EndDialog(IDCANCEL)
    virtual void DoDataExchange(CDataExchange*) {}

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void PostNcDestroy() override;
    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void OnOKCommand() { OnOK(); }
    void OnCancelCommand() { OnCancel(); }

    int m_nModalResult = -1;
    bool m_bEndModal = false;
    bool m_bInModal = false;
};
