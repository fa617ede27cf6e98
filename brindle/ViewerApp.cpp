#include "ViewerApp.h"

#include "AboutDlg.h"
#include "MainFrame.h"
#include "resource.h"

CViewerApp theApp;

BEGIN_MESSAGE_MAP(CViewerApp, CWinApp)
    ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
END_MESSAGE_MAP()

bool CViewerApp::InitInstance() {
    Enable3dControls();
    CMainFrame* frame = new CMainFrame;
    m_pMainWnd = frame;
    if (!frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr)) {
        // No window (a font, the cursor or the view failed): end rather than run a
        // message loop for nothing.
        m_pMainWnd = nullptr;
        delete frame;
        return false;
    }
    frame->ShowWindow(SW_SHOW);
    frame->UpdateWindow();
    return true;
}

void CViewerApp::OnAppAbout() {
    CAboutDlg dlg;
    dlg.DoModal();
}
