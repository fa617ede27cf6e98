// Find in the viewer: the system's Find dialog (Ctrl+F), searching again for the last text
// (F3 down, Shift+F3 up), and the search itself. A search runs on the worker's thread, so that
// one through a few hundred MB leaves the window painting and Esc can end it at once; it reads
// the document and hands back where it found the text, nothing more. What it finds goes to
// its host (the view), which scrolls to it and paints it.
//
// The view owns this object and hands it its commands, the Find dialog's requests and Esc.
#pragma once
#include "Framework.h"
#include "TextSearch.h"

#include <cstdint>
#include <memory>
#include <string>

class CLinkDoc;
struct TextMatch;

class CFindController : private CWorkerClient {
public:
    // What Find needs of the window that shows the text.
    class Host {
    public:
        // Where a search goes on from: the match shown, the first line shown.
        virtual const TextMatch& Match() const = 0;
        virtual int32_t TopLine() const = 0;
        // A match found, to be shown out from under `cover` (the dialog).
        virtual void ShowMatch(const TextMatch& match, HWND cover) = 0;
        // The frame: it owns the dialog and sees its keys first.
        virtual HWND DialogOwner() const = 0;

    protected:
        ~Host() = default;
    };

    CFindController(Host& host, const CLinkDoc& doc) : m_host(host), m_doc(doc) {}
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

    Host& m_host;
    const CLinkDoc& m_doc;

    // The dialog and what was last asked of it, which is what a running search looks for.
    CFindReplaceDialog m_dialog;
    std::string m_findText;
    bool m_bMatchCase = false;
    bool m_bFindDown = true;

    // Last, so that it goes first: its end waits for every search that reads the document.
    CWorker m_worker{*this, 0};
};
