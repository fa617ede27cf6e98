#include "FindController.h"

#include <atomic>

#include "LinkDoc.h"
#include "resource.h"

void CFindController::OpenDialog() {
    if (m_dialog.m_hWnd) {
        ::SetActiveWindow(m_dialog.m_hWnd);
        return;
    }
    // Owned by the frame, which hands its requests on and sees its keys first (Esc, the
    // accelerators).
    const DWORD flags = FR_HIDEWHOLEWORD | (m_bFindDown ? FR_DOWN : 0) | (m_bMatchCase ? FR_MATCHCASE : 0);
    m_dialog.Create(m_findText, flags, m_host.DialogOwner());
}

void CFindController::FindAgain(bool down) {
    if (m_findText.empty()) OpenDialog();
    else StartSearch(down);
}

void CFindController::OnDialogRequest(const CFindReplaceDialog& dialog) {
    if (dialog.FindNext()) Find(dialog.GetFindString(), dialog.MatchCase(), dialog.SearchDown());
}

void CFindController::Find(const std::string& text, bool matchCase, bool down) {
    m_findText = text;
    m_bMatchCase = matchCase;
    m_bFindDown = down;
    StartSearch(down);
}

namespace {

// One search through the document's text, which stays as it is until the search has ended:
// the view waits for it before it changes the text.
class CSearchJob : public CWorkerJob {
public:
    CSearchJob(std::string_view text, const std::string& needle, bool matchCase, size_t from, bool down)
        : m_text(text), m_search(needle, matchCase), m_from(from), m_down(down) {}
    void Run() override { m_found = m_search.Search(m_text, m_from, m_down, &m_cancel); }
    void Cancel() override { m_cancel = true; }
    size_t Found() const { return m_found; }
    size_t Length() const { return m_search.Length(); }

private:
    std::string_view m_text;
    CTextSearch m_search;
    size_t m_from;
    bool m_down;
    std::atomic<bool> m_cancel{false};
    size_t m_found = CTextSearch::npos;
};

}  // namespace

// Searches from just after the match shown (before it, upward), or from the top line shown,
// to the end (the start) of the text.
void CFindController::StartSearch(bool down) {
    CancelSearch();  // the one still running
    if (m_findText.empty()) return;
    const size_t from = m_doc.SearchStart(m_host.Match(), down, m_host.TopLine());
    m_worker.Start(std::make_unique<CSearchJob>(m_doc.Text(), m_findText, m_bMatchCase, from, down));
}

void CFindController::ReleaseText() {
    m_worker.Cancel();
    m_worker.Wait();
}

void CFindController::OnJobDone(std::unique_ptr<CWorkerJob> job) {
    const CSearchJob& search = static_cast<const CSearchJob&>(*job);
    if (search.Found() != CTextSearch::npos) {
        m_host.ShowMatch(m_doc.MatchAt(search.Found(), search.Length()), m_dialog.m_hWnd);
        return;
    }
    // Nothing found: the match and the view stay as they were.
    AfxMessageBox(AfxFillIn(AfxLoadString(IDS_FIND_NOT_FOUND), m_findText), MB_OK | MB_ICONINFORMATION);
}

void CFindController::Close() {
    ReleaseText();
    m_dialog.DestroyWindow();
}
