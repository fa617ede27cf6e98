// Find in the viewer: the system's Find dialog (Ctrl+F), searching again for the last text
// (F3 down, Shift+F3 up), and the search itself. A search runs on a thread of its own, so that
// one through a few hundred MB leaves the window painting and Esc can end it; the thread reads
// the view's document and posts its result, nothing more. What it finds goes to the view,
// which scrolls to it and paints it.
//
// The view owns this object and hands it its commands and the search's end notice; the frame,
// which owns the dialog's window and sees every key first, hands it the dialog's requests and Esc.
#pragma once
#include "Framework.h"
#include "TextSearch.h"

#include <atomic>
#include <memory>
#include <string>

class CLinkDoc;
class CLinkView;

class CFindController {
public:
    CFindController(CLinkView& view, const CLinkDoc& doc) : m_view(view), m_doc(doc) {}
    ~CFindController() { CancelSearch(); }
    CFindController(const CFindController&) = delete;
    CFindController& operator=(const CFindController&) = delete;

    // The dialog, with the last text searched for and the last choices made in it; brought to
    // the front when it is open already.
    void OpenDialog();
    // F3 and Shift+F3: the last text again, down or up; the dialog when there is none yet.
    void FindAgain(bool down);
    // A request of the dialog: Find Next with what the dialog says now.
    void OnDialogRequest(const CFindReplaceDialog& dialog);
    // A search, remembered for F3 and for the dialog's next opening. A request while a search
    // runs ends that search and starts its own: the text may have been corrected meanwhile,
    // and the result shown must be that of the text asked for last.
    void Find(const std::string& text, bool matchCase, bool down);

    bool IsSearching() const;
    // Ends the running search; its result is not shown. The view calls it before its text changes.
    void CancelSearch();
    // Posted by the search thread to the view when it has ended: wParam is the search's number.
    static constexpr UINT kSearchDone = WM_APP + 1;
    void OnSearchDone(WPARAM id);
    // The view's window is going: the search ends and the dialog closes.
    void Close();

private:
    void StartSearch(bool down);
    static DWORD WINAPI SearchThread(void* controller);

    CLinkView& m_view;
    const CLinkDoc& m_doc;

    // The dialog and what was last asked of it, which is what a running search looks for.
    CFindReplaceDialog m_dialog;
    std::string m_findText;
    bool m_bMatchCase = false;
    bool m_bFindDown = true;

    // A search reads the document, which stays as it is until the search has ended or been
    // cancelled, and only posts its result back.
    HANDLE m_hSearch = nullptr;  // INVALID_HANDLE_VALUE: it ran here, without a thread
    std::atomic<bool> m_cancel{false};
    std::unique_ptr<CTextSearch> m_search;
    size_t m_searchFrom = 0;
    bool m_bSearchDown = true;
    size_t m_found = CTextSearch::npos;
    UINT m_searchId = 0;
};
