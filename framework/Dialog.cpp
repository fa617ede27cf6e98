#include "Dialog.h"

#include "WinApp.h"

namespace {
// The dialog whose window is being made from its template; its first message binds it.
thread_local CDialog* t_creating = nullptr;
}  // namespace

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (control.m_hWnd) return;  // bound at an earlier exchange
    HWND item = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, id);
    if (!item || !control.SubclassWindow(item)) pDX->m_bFailed = true;
}

CDialog::CDialog(UINT idTemplate, CWnd* parent) : m_nIDTemplate(idTemplate), m_pParentWnd(parent) {}

CDialog::~CDialog() {
    // A dialog object that still has its window (the run was cut short) must not leave a
    // window pointing at a dead object.
    if (m_hWnd) {
        HWND hwnd = m_hWnd;
        Unbind();
        ::DestroyWindow(hwnd);
    }
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOKCommand)
    ON_COMMAND(IDCANCEL, OnCancelCommand)
END_MESSAGE_MAP()

// The dialog manager's procedure for our dialogs does nothing but bind: once bound, every
// message passes the object first (subclass) and reaches here only for default handling,
// where FALSE means "do what dialogs do".
INT_PTR CALLBACK CDialog::DlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (t_creating && !FromHandlePermanent(hwnd)) {
        CDialog* dlg = t_creating;
        t_creating = nullptr;
        // Bound at the first message the dialog manager passes on (WM_SETFONT for a template
        // with a font), so that the controls' notifications and WM_INITDIALOG pass the map.
        dlg->Bind(hwnd);
        if (!dlg->ChainProcedure(hwnd)) {
            dlg->Unbind();
            return FALSE;
        }
        // A template without a font sends nothing before WM_INITDIALOG: that message is
        // already past the new subclass, so it is handed to the object here.
        if (msg == WM_INITDIALOG) return Dispatch(dlg, hwnd, msg, wp, lp) ? TRUE : FALSE;
    }
    return FALSE;
}

bool CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_INITDIALOG) {
        // Not in any table: the virtual is the hook; its value decides the default focus.
        *result = OnInitDialog() ? TRUE : FALSE;
        return true;
    }
    return CWnd::OnWndMsg(message, wParam, lParam, result);
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The dialog manager (DefDlgProc) is the window's own procedure behind our subclass.
    return CWnd::DefWindowProc(message, wParam, lParam);
}

void CDialog::PostNcDestroy() {
    // Destroyed from outside while running: the loop must not wait for an end that never comes.
    if (m_bInModal) m_bEndModal = true;
}

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return !dx.m_bFailed;
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::OnOK() {
    if (!UpdateData(true)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int result) {
    m_nModalResult = result;
    m_bEndModal = true;
    // Wake the loop even when EndDialog is called from outside a message of this thread's queue.
    if (m_hWnd) ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
}

bool AfxPreTranslateDialogInput(HWND dialog, MSG* msg) {
    // Only keyboard and mouse input goes to the dialog manager; everything else is
    // dispatched normally.
    const bool key = msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST;
    const bool mouse = msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST;
    if (!key && !mouse) return false;
    if (!dialog) return false;
    return ::IsDialogMessageA(dialog, msg) != FALSE;
}

bool CDialog::PreTranslateMessage(MSG* msg) { return AfxPreTranslateDialogInput(m_hWnd, msg); }

namespace {

const DLGTEMPLATE* LoadTemplate(UINT id) {
    HINSTANCE inst = AfxGetInstanceHandle();
    HRSRC res = ::FindResourceA(inst, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5) /*RT_DIALOG*/);
    HGLOBAL block = res ? ::LoadResource(inst, res) : nullptr;
    return block ? static_cast<const DLGTEMPLATE*>(::LockResource(block)) : nullptr;
}

}  // namespace

bool CDialog::Create(CWnd* parent) {
    if (m_hWnd || m_bInModal) return false;
    const DLGTEMPLATE* tmpl = LoadTemplate(m_nIDTemplate);
    if (!tmpl) return false;
    t_creating = this;
    HWND hwnd =
        ::CreateDialogIndirectParamA(AfxGetInstanceHandle(), tmpl, AfxGetSafeOwner(parent), &CDialog::DlgProc, 0);
    t_creating = nullptr;
    if (hwnd && m_hWnd != hwnd) {
        ::DestroyWindow(hwnd);  // never bound: not one of ours
        return false;
    }
    if (hwnd) ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    return hwnd != nullptr;
}

int CDialog::DoModal() {
    if (m_hWnd || m_bInModal) return -1;
    HINSTANCE inst = AfxGetInstanceHandle();
    const DLGTEMPLATE* tmpl = LoadTemplate(m_nIDTemplate);
    if (!tmpl) return -1;

    HWND owner = AfxGetSafeOwner(m_pParentWnd);
    if (owner && owner == m_hWnd) owner = nullptr;
    bool enableOwner = false;
    if (owner && ::IsWindowEnabled(owner)) {
        ::EnableWindow(owner, FALSE);
        enableOwner = true;
    }

    m_nModalResult = -1;
    m_bEndModal = false;
    m_bInModal = true;
    t_creating = this;
    HWND hwnd = ::CreateDialogIndirectParamA(inst, tmpl, owner, &CDialog::DlgProc, 0);
    t_creating = nullptr;

    if (hwnd && m_hWnd == hwnd) {
        // cppcheck-suppress knownConditionTrueFalse ; EndDialog in WM_INITDIALOG sets it during the create
        if (!m_bEndModal) ::ShowWindow(hwnd, SW_SHOWNORMAL);
        MSG msg;
        while (!m_bEndModal) {
            BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
            if (got == 0) {
                // The program is quitting: end this run and let the outer loop see it too.
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (got == -1) break;
            if (!AfxWalkPreTranslate(nullptr, &msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
    } else if (hwnd) {
        ::DestroyWindow(hwnd);  // never bound: not one of ours to run
        hwnd = nullptr;
    }

    // The owner first, so that activation can go back to it when the dialog disappears.
    if (enableOwner) ::EnableWindow(owner, TRUE);
    if (hwnd && ::IsWindow(hwnd)) {
        if (owner && ::GetActiveWindow() == hwnd) ::SetActiveWindow(owner);
        ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::DestroyWindow(hwnd);
    }
    m_bInModal = false;
    return m_nModalResult;
}
