// The editor of one shortcut: location and name, checked against the live registry on OK.
// It never touches the shortcut list; its callers decide what to do with the result.
//
//   CShortcutDlg dlg(CShortcutDlg::Mode::Add, nullptr);   // empty fields
//   Shortcut result;
//   if (dlg.DoModal() == IDOK && dlg.GetResult(result)) ...
#pragma once
#include <string>

#include "Dialog.h"
#include "Shortcut.h"

class CShortcutDlg : public CDialog {
public:
    // The caption says which: a shortcut to add, or one being corrected.
    enum class Mode { Edit, Add };
    // `initial` (optional) fills the fields.
    CShortcutDlg(Mode mode, const Shortcut* initial, CWnd* parent = nullptr);

    // After IDOK: the accepted location and name, exactly as typed (or the derived name).
    // False, with `out` untouched, when there is no result (cancelled, or not run).
    bool GetResult(Shortcut& out) const;

protected:
    void DoDataExchange(CDataExchange*) override {}  // the fields are read and written directly
    bool OnInitDialog() override;
    void OnOK() override;

private:
    std::string ItemText(int id) const;
    void Warn(UINT textId, UINT captionId, UINT type);

    Mode m_mode;
    std::string m_initialName;
    std::string m_initialLocation;
    std::string m_resultName;
    std::string m_resultLocation;
};
