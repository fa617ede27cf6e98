// The strip's clipboard side: auto-open through the clipboard-viewer chain, and the
// commands that open, add or clear what the clipboard holds. Only the first line of the
// clipboard's text counts, and every failure here is silent: the clipboard is background
// input, not something the user typed.
#include "ClipboardText.h"
#include "OpenTarget.h"
#include "RegKeyTool.h"
#include "ShortcutDlg.h"
#include "ToolbarDlg.h"

void CToolbarDlg::SetAutoOpen(bool on) {
    m_autoOpen = on ? 1 : 0;
    RedrawButton(IDC_AUTO_OPEN);  // lit while the mode is on
    if (on) {
        // Joining makes the system send WM_DRAWCLIPBOARD at once, so whatever the clipboard
        // holds now is opened straight away.
        m_nextViewer = ::SetClipboardViewer(m_hWnd);
    } else {
        ::ChangeClipboardChain(m_hWnd, m_nextViewer);
        m_nextViewer = nullptr;
    }
}

LRESULT CToolbarDlg::OnChangeCbChain(WPARAM wParam, LPARAM lParam) {
    Default();
    HWND removed = reinterpret_cast<HWND>(wParam);
    if (removed == m_nextViewer)
        m_nextViewer = reinterpret_cast<HWND>(lParam);
    else if (m_nextViewer)
        ::SendMessageA(m_nextViewer, WM_CHANGECBCHAIN, wParam, lParam);
    return 0;
}

LRESULT CToolbarDlg::OnDrawClipboard(WPARAM wParam, LPARAM lParam) {
    Default();
    OpenFromClipboard();
    // The rest of the chain hears of the change only after the opening has finished.
    if (m_nextViewer) ::SendMessageA(m_nextViewer, WM_DRAWCLIPBOARD, wParam, lParam);
    return 0;
}

void CToolbarDlg::OpenFromClipboard() {
    std::string line;
    if (!CClipboardText().FirstLine(line)) return;
    OpenTargetLenient(line.c_str());
}

void CToolbarDlg::AddFromClipboard() {
    std::string line;
    if (!CClipboardText().FirstLine(line)) return;
    // Key paths only, with any words before them dropped; a file path is not a shortcut.
    Shortcut found;
    if (!CRegKeyTool().KeyPathToShortcut(line.c_str(), found) || found.name.empty()) return;
    CShortcutDlg dlg(TRUE, &found);
    Shortcut result;
    if (dlg.DoModal() == IDOK && dlg.GetResult(result)) Add(result);
}

void CToolbarDlg::ClearClipboard() { CClipboardText().Empty(); }
