// The viewer's one pane: paints the document line by line (links blue and underlined),
// scrolls by lines and average character widths, shows the hand over a link and opens it
// on a click. It also takes the texts that come in: Open, Paste, a drop, the command line;
// and it finds text, through the system's Find dialog and F3 / Shift+F3.
#pragma once
#include "Framework.h"
#include "LinkDoc.h"
#include "LinkRectList.h"
#include "Mbcs.h"
#include "RegKeyTool.h"
#include "ShellTool.h"
#include "TextSearch.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

class CLinkView : public CWnd {
public:
    CLinkView() = default;
    ~CLinkView() override;

    bool PreCreateWindow(CREATESTRUCTA& cs) override;

    // The ways a text comes in. Each empties the document first (after the name and
    // existence tests, for a file) and shows the new text when there is one.
    bool LoadTextFile(const char* path);
    bool PasteText();
    bool LoadCommandLine();

    // After a load or paste whose SetText succeeded: links, both bars back to 0, repaint.
    void ShowNewText();
    void SetScrollRanges(int width, int height, bool reset);
    void LayoutLinks();
    bool OpenLink(int32_t line);

    // Find. The frame hands on the dialog's requests and ends a running search on Esc; a
    // search runs on a thread of its own. A new request ends the one still running.
    void OnFindRequest(const CFindReplaceDialog& dialog);
    void Find(const std::string& text, bool matchCase, bool down);
    bool IsSearching() const;
    void CancelSearch();
    const TextMatch& GetMatch() const { return m_match; }  // line -1: none shown

    // For the tests: what the view shows.
    const CLinkDoc& GetDoc() const { return m_doc; }
    int GetCharWidth() const { return m_cxChar; }
    int GetLineHeight() const { return m_cyLine; }

protected:
    LRESULT OnCreate(WPARAM, LPARAM);
    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnSize(WPARAM, LPARAM);
    LRESULT OnVScroll(WPARAM, LPARAM);
    LRESULT OnHScroll(WPARAM, LPARAM);
    LRESULT OnKeyDown(WPARAM, LPARAM);
    LRESULT OnMouseWheel(WPARAM, LPARAM);
    LRESULT OnMouseMove(WPARAM, LPARAM);
    LRESULT OnMouseLeave(WPARAM, LPARAM);
    LRESULT OnSetCursor(WPARAM, LPARAM);
    LRESULT OnLButtonDown(WPARAM, LPARAM);
    LRESULT OnLButtonUp(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);
    LRESULT OnDropFiles(WPARAM, LPARAM);
    LRESULT OnSearchDone(WPARAM, LPARAM);
    void OnFileOpen();
    void OnEditPaste();
    void OnEditFind();
    void OnEditFindNext();
    void OnEditFindPrevious();
    DECLARE_MESSAGE_MAP()

private:
    void Scroll(int bar, int code);
    // Client pixels to document pixels (origin at the top left of line 0, unscrolled).
    LinkPoint ToDocument(LPARAM clientPos) const;
    // Right edge of a link line's hit area: the measured extent of its text in the link font.
    int32_t MeasureLink(int32_t line, const LinkRect& rect);
    void DrawLine(CDC& dc, int32_t line, int y, int hPos, int clientWidth);
    // Pixels from the start of a line's text to byte `offset` of it, in the line's font.
    int64_t TextWidth(int32_t line, size_t offset);
    void StartSearch(bool down);
    static DWORD WINAPI SearchThread(void* view);
    void ShowMatch(size_t offset);
    // After the match has been scrolled into view: out from under the Find dialog.
    void MoveMatchBesideDialog();

    CLinkDoc m_doc;
    CLinkRectList m_links;
    CShellTool m_shell;
    CRegKeyTool m_regKey{EditorVariant::Brindle};  // the viewer's own rules for opening keys
    CFont m_fontText;
    CFont m_fontLink;
    int m_cxChar = 0;
    int m_cyLine = 0;
    int m_nWheelStep = 0;
    HCURSOR m_hLinkCursor = nullptr;
    BOOL m_bOverLink = FALSE;
    BOOL m_bTracking = FALSE;
    BOOL m_bButtonDown = FALSE;

    // Where characters start in the long lines painted last (a line of hundreds of MB of
    // lead-range bytes is walked once, not on every paint), by line number.
    struct LineStarts {
        int32_t line = -1;
        mbcs::CharStarts starts{std::string_view()};
    };
    std::array<LineStarts, 64> m_lineStarts;

    // Find: the dialog and what was last asked of it, which is what a running search looks for.
    CFindReplaceDialog m_findDialog;
    std::string m_findText;
    bool m_bMatchCase = false;
    bool m_bFindDown = true;
    TextMatch m_match;
    // A search runs on a worker thread that reads the document (which stays as it is until
    // the search has ended or been cancelled) and only posts its result back.
    HANDLE m_hSearch = nullptr;
    std::atomic<bool> m_cancel{false};
    std::unique_ptr<CTextSearch> m_search;
    size_t m_searchFrom = 0;
    bool m_bSearchDown = true;
    size_t m_found = CTextSearch::npos;
    UINT m_searchId = 0;
};
