#include "FindController.h"

#include "LinkDoc.h"
#include "LinkView.h"
#include "resource.h"

void CFindController::OpenDialog() {
    if (m_dialog.m_hWnd) {
        ::SetActiveWindow(m_dialog.m_hWnd);
        return;
    }
    // Owned by the frame, which hands its requests on and sees its keys first (Esc, the
    // accelerators).
    const DWORD flags = FR_HIDEWHOLEWORD | (m_bFindDown ? FR_DOWN : 0) | (m_bMatchCase ? FR_MATCHCASE : 0);
    m_dialog.Create(m_findText, flags, m_view.GetParent());
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

// Searches from just after the match shown (before it, upward), or from the top line shown,
// to the end (the start) of the text.
void CFindController::StartSearch(bool down) {
    CancelSearch();  // the one still running, and one whose end was never told
    if (m_findText.empty()) return;
    m_searchFrom = m_doc.SearchStart(m_view.Match(), down, m_view.TopLine());
    m_search = std::make_unique<CTextSearch>(m_findText, m_bMatchCase);
    m_bSearchDown = down;
    m_found = CTextSearch::npos;
    m_cancel = false;
    ++m_searchId;
    m_hSearch = ::CreateThread(nullptr, 0, SearchThread, this, 0, nullptr);
    if (!m_hSearch) {  // no thread to be had: search here, at the cost of a pause
        m_found = m_search->Search(m_doc.Text(), m_searchFrom, m_bSearchDown);
        m_hSearch = INVALID_HANDLE_VALUE;
        OnSearchDone(m_searchId);
    }
}

DWORD WINAPI CFindController::SearchThread(void* param) {
    CFindController* find = static_cast<CFindController*>(param);
    const CTextSearch& search = *find->m_search;
    find->m_found = search.Search(find->m_doc.Text(), find->m_searchFrom, find->m_bSearchDown, &find->m_cancel);
    ::PostMessageA(find->m_view.m_hWnd, kSearchDone, find->m_searchId, 0);
    return 0;
}

// The thread, not its end notice, tells whether a search runs: a notice that could not be
// posted (a full queue) must not leave Find waiting for it, refusing every later search.
bool CFindController::IsSearching() const {
    return m_hSearch && m_hSearch != INVALID_HANDLE_VALUE && ::WaitForSingleObject(m_hSearch, 0) == WAIT_TIMEOUT;
}

void CFindController::CancelSearch() {
    if (!m_hSearch) return;
    m_cancel = true;
    if (m_hSearch != INVALID_HANDLE_VALUE) {
        ::WaitForSingleObject(m_hSearch, INFINITE);
        ::CloseHandle(m_hSearch);
    }
    m_hSearch = nullptr;
}

void CFindController::OnSearchDone(WPARAM id) {
    // A search cancelled since may have posted its end all the same.
    if (!m_hSearch || id != m_searchId) return;
    if (m_hSearch != INVALID_HANDLE_VALUE) {
        ::WaitForSingleObject(m_hSearch, INFINITE);
        ::CloseHandle(m_hSearch);
    }
    m_hSearch = nullptr;
    if (m_cancel) return;
    if (m_found != CTextSearch::npos) {
        m_view.ShowMatch(m_doc.MatchAt(m_found, m_search->Length()), m_dialog.m_hWnd);
        return;
    }
    // Nothing found: the match and the view stay as they were.
    std::string text = AfxLoadString(IDS_FIND_NOT_FOUND);
    const size_t at = text.find("%1");
    if (at != std::string::npos) text.replace(at, 2, m_findText);
    AfxMessageBox(text, MB_OK | MB_ICONINFORMATION);
}

void CFindController::Close() {
    CancelSearch();
    m_dialog.DestroyWindow();
}
