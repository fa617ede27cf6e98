// Find in the viewer: the system's Find dialog (Ctrl+F), searching again for the last text
// (F3 down, Shift+F3 up), and the search itself. A search runs on the worker's thread, so that
// one through a few hundred MB leaves the window painting and Esc can end it at once; it reads
// the view's document and hands back where it found the text, nothing more. What it finds goes
// to the view, which scrolls to it and paints it.
//
// The view owns this object and hands it its commands; the frame, which owns the dialog's
// window and sees every key first, hands it the dialog's requests and Esc.
#pragma once
#include "Framework.h"
#include "TextSearch.h"

#include <memory>
#include <string>

class CLinkDoc;
class CLinkView;

class CFindController : private CWorkerClient {
public:
    CFindController(CLinkView& view, const CLinkDoc& doc) : m_view(view), m_doc(doc) {}
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

    bool IsSearching() const { return m_worker.IsRunning(); }
    // Ends the running search (Esc); its result is not shown.
    void CancelSearch() { m_worker.Cancel(); }
    // The document is about to change: every search that reads it has ended on return.
    void ReleaseText();
    // The view's window is going: the search ends and the dialog closes.
    void Close();

private:
    void StartSearch(bool down);
    void OnJobDone(std::unique_ptr<CWorkerJob> job) override;

    CLinkView& m_view;
    const CLinkDoc& m_doc;

    // The dialog and what was last asked of it, which is what a running search looks for.
    CFindReplaceDialog m_dialog;
    std::string m_findText;
    bool m_bMatchCase = false;
    bool m_bFindDown = true;

    // Last, so that it goes first: its end waits for every search that reads the document.
    CWorker m_worker{*this, 0};
};
