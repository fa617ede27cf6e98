#include "ScriptDlg.h"

const UINT WM_RUN_SCRIPT = WM_APP + 1;

BEGIN_MESSAGE_MAP(CScriptDlg, CDialog)
    ON_MESSAGE(WM_RUN_SCRIPT, OnRunScript)
END_MESSAGE_MAP()

bool CScriptDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    PostMessage(WM_RUN_SCRIPT);
    return true;
}

LRESULT CScriptDlg::OnRunScript(WPARAM, LPARAM) {
    m_script(*this);
    return 0;
}
