// The system's Find dialog (FindTextA), modeless, with an object of ours bound to it.
//
//   m_find.Create("text", FR_DOWN | FR_HIDEWHOLEWORD, ownerHwnd);   // shown at once
//   // the owner's WindowProc: each press of Find Next, and the dialog's end
//   if (message == CFindReplaceDialog::GetFindReplaceMsg()) {
//       const CFindReplaceDialog& dlg = *CFindReplaceDialog::GetNotifier(lParam);
//       if (dlg.FindNext()) Search(dlg.GetFindString(), dlg.MatchCase(), dlg.SearchDown());
//   }
//
// A modeless dialog gets no keyboard of its own: Enter, Esc, Tab and the Alt mnemonics work
// only when the message loop hands its keys to IsDialogMessage, as the modal loop does for a
// modal dialog. Being bound, the dialog is reached by the loop's pre-translation walk, which
// stops at the first top-level window, and its PreTranslateMessage does that. Its owner is
// asked first, so that the owner's accelerators (search again, say) work while the dialog has
// the keyboard: IsDialogMessage would hand every key to the dialog's controls.
// The binding ends when the dialog's window goes (Cancel, Esc, the close box, DestroyWindow).
#pragma once
#include "Wnd.h"

#include <commdlg.h>

#include <string>

class CFindReplaceDialog : public CWnd {
public:
    // The dialog with its box holding `findWhat`; notifications go to `owner`.
    bool Create(const std::string& findWhat, DWORD flags, HWND owner);

    // The registered message the dialog sends its owner, and the dialog it comes from.
    static UINT GetFindReplaceMsg();
    static CFindReplaceDialog* GetNotifier(LPARAM lParam);

    // What the last notification says (the dialog writes its choices back each time).
    std::string GetFindString() const { return m_findWhat; }
    bool FindNext() const { return (m_fr.Flags & FR_FINDNEXT) != 0; }
    bool MatchCase() const { return (m_fr.Flags & FR_MATCHCASE) != 0; }
    bool SearchDown() const { return (m_fr.Flags & FR_DOWN) != 0; }

    bool PreTranslateMessage(MSG* msg) override;

private:
    FINDREPLACEA m_fr{};  // the system reads it as long as the dialog lives
    char m_findWhat[256] = {};
};
