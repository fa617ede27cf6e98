// The strip's clipboard side: auto-open as one of the system's clipboard listeners, and the
// commands that open, add or clear what the clipboard holds. Only the first line of the
// clipboard's text counts, and every failure here is silent: the clipboard is background
// input, not something the user typed.
#include "ClipboardText.h"
#include "OpenTarget.h"
#include "RegKeyTool.h"
#include "ShortcutDlg.h"
#include "ToolbarDlg.h"

namespace {

// A copy another program holds open (clipboard history, a large copy rendered late) is
// tried again this often, for this long, while it is the newest: the system announces a
// copy once, not again when its holder lets go.
constexpr UINT_PTR kCopyRetryTimer = 1;
constexpr UINT kCopyRetryMs = 250;
constexpr DWORD kCopyRetryForMs = 5000;

}  // namespace

void CToolbarDlg::SetAutoOpen(bool on) {
    m_autoOpen = on;
    RedrawButton(IDC_AUTO_OPEN);  // lit while the mode is on
    // A listener, not a link of the clipboard-viewer chain: the system posts every listener
    // the news itself, so no other program stands between a copy and the strip. In the chain
    // a viewer that stopped answering froze the strip in each pass-on, or starved it of every
    // copy, and held the close for ever as the strip left.
    if (on) {
        ::AddClipboardFormatListener(m_hWnd);
        // Whatever the clipboard holds now opens straight away, even a copy opened before.
        m_openedCopy = 0;
        QueueCopy();
    } else {
        ::RemoveClipboardFormatListener(m_hWnd);
        ::KillTimer(m_hWnd, kCopyRetryTimer);
    }
}

LRESULT CToolbarDlg::OnClipboardUpdate(WPARAM, LPARAM) {
    QueueCopy();
    return 0;
}

void CToolbarDlg::QueueCopy() {
    // Not opened at once: while the strip types into the editor it waits in cross-process
    // sends, and answers the messages sent to it meanwhile; a walk started then could run
    // inside the one in progress. The queue is read only once any walk has ended, and one
    // queued open takes whatever copy is newest by then.
    if (!m_copyQueued) m_copyQueued = PostMessage(WM_OPEN_COPIED);
}

LRESULT CToolbarDlg::OnOpenCopied(WPARAM, LPARAM) {
    m_copyQueued = false;
    // Opening a file path goes through the shell, which may read this queue itself.
    if (m_openingCopy) {
        m_copyAgain = true;
        return 0;
    }
    m_openingCopy = true;
    do {
        m_copyAgain = false;
        if (!m_autoOpen) break;  // switched off since the copy
        // One copy can be announced twice (a program that puts its formats in two rounds, a
        // copy rendered late by our own read); its sequence number tells.
        std::string line;
        const CopyLine found = CClipboardText().NewCopyLine(line, m_openedCopy);
        if (found == CopyLine::Busy) RetryCopy();
        if (found == CopyLine::Line) OpenTargetLenient(line.c_str(), m_hWnd);
    } while (m_copyAgain);
    m_openingCopy = false;
    return 0;
}

void CToolbarDlg::RetryCopy() {
    const DWORD copy = ::GetClipboardSequenceNumber();
    if (copy != m_retriedCopy) {
        m_retriedCopy = copy;
        m_retriedSince = ::GetTickCount();
    } else if (::GetTickCount() - m_retriedSince >= kCopyRetryForMs) {
        return;  // given up: still held open
    }
    ::SetTimer(m_hWnd, kCopyRetryTimer, kCopyRetryMs, nullptr);
}

LRESULT CToolbarDlg::OnTimer(WPARAM wParam, LPARAM) {
    if (wParam != kCopyRetryTimer) return Default();
    ::KillTimer(m_hWnd, kCopyRetryTimer);
    // A newer copy has been announced itself.
    if (m_autoOpen && ::GetClipboardSequenceNumber() == m_retriedCopy) QueueCopy();
    return 0;
}

void CToolbarDlg::OpenFromClipboard() {
    std::string line;
    if (!CClipboardText().FirstLine(line)) return;
    OpenTargetLenient(line.c_str(), m_hWnd);
}

void CToolbarDlg::AddFromClipboard() {
    std::string line;
    if (!CClipboardText().FirstLine(line)) return;
    // Key paths only, with any words before them dropped; a file path is not a shortcut.
    Shortcut found;
    if (!CRegKeyTool().KeyPathToShortcut(line.c_str(), found) || found.name.empty()) return;
    CShortcutDlg dlg(CShortcutDlg::Mode::Add, &found);
    Shortcut result;
    if (dlg.DoModal() == IDOK && dlg.GetResult(result)) Add(result);
}

void CToolbarDlg::ClearClipboard() { CClipboardText().Empty(); }
