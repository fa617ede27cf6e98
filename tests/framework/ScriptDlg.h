// A modal dialog that runs test code from inside its own modal loop (posted at initialisation).
#pragma once
#include <Dialog.h>

#include <functional>

#include "resource.h"

class CScriptDlg : public CDialog {
public:
    using Script = std::function<void(CScriptDlg&)>;
    CScriptDlg(UINT idTemplate, Script script, CWnd* parent = nullptr)
        : CDialog(idTemplate, parent), m_script(std::move(script)) {}

protected:
    bool OnInitDialog() override;
    LRESULT OnRunScript(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    Script m_script;
};
