#include "QuilletApp.h"

#include "ToolbarDlg.h"

CQuilletApp theApp;

// No command line, no single-instance check: every start opens a further strip, and the
// program ends when the strip's close button ends the modal run.
bool CQuilletApp::InitInstance() {
    Enable3dControls();
    CToolbarDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return false;
}
