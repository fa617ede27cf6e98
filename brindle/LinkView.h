// The viewer's one pane: paints the document line by line (links blue and underlined),
// scrolls by lines and average character widths, shows the hand over a link and opens it
// on a click, and shows the match Find has found. The texts that come in (Open, Paste, a
// drop, the command line, a comparison) replace its document through ReplaceText; what it
// shows is remembered by m_shown, which Save As and Swap ask. Its helpers, each in a file
// of its own, know it only as their host:
//   FindController.*    Find: the dialog, F3 / Shift+F3 and the search on the worker's thread
//   CompareController.* comparing two exports on the worker's thread, with its progress window
//   ShownText.*         what is shown, and saving it
#pragma once
#include "CompareController.h"
#include "FindController.h"
#include "Framework.h"
#include "LinkDoc.h"
#include "LinkRectList.h"
#include "Mbcs.h"
#include "RegKeyTool.h"
#include "RegText.h"
#include "ShellTool.h"
#include "ShownText.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class CLinkView : public CWnd, private CFindController::Host, private CCompareController::Host {
public:
    CLinkView() = default;

    bool PreCreateWindow(CREATESTRUCTA& cs) override;

    // The ways a text comes in. Each empties the document first (after the name and existence
    // tests, for a file) and shows the new text when there is one.
    bool LoadTextFile(const char* path);
    bool PasteText();
    // What the command line asks for (ReadViewerCommandLine): a file, or a comparison.
    bool LoadCommandLine();
    // Where each of them, and any further way in, replaces the text: the running search
    // ends, a running comparison too (the text asked for last wins), the document and the
    // links are emptied, `fill` puts the new text into the document, and the view shows what
    // is there then (nothing, when fill failed). The result is fill's.
    bool ReplaceText(const std::function<bool(CLinkDoc& doc)>& fill);

    // After a text has come in: links, both bars back to 0, repaint.
    void ShowNewText();
    void SetScrollRanges(int width, int height, bool reset);
    void LayoutLinks();
    bool OpenLink(int32_t line);

    // For the frame, which sees every key and the Find dialog's requests first: Esc ends a
    // search or a comparison that runs (false when none does); a request of the dialog.
    bool EndWork();
    void OnFindRequest(const CFindReplaceDialog& dialog) { m_find.OnDialogRequest(dialog); }
    // For the menu: swapping needs a comparison shown, saving any text shown.
    bool CanSwap() const { return m_shown.Comparison() != nullptr; }
    bool CanSave() const { return m_shown.CanSave(); }

    const CLinkDoc& Doc() const { return m_doc; }
    const CShownText& Shown() const { return m_shown; }
    bool IsSearching() const { return m_find.IsSearching(); }
    // Find and the comparison, also to be asked directly: a search for a text, a comparison of
    // sources of the caller's.
    CFindController& Finder() { return m_find; }
    CCompareController& Comparer() { return m_compare; }
    // The match shown (line -1: none), from where Find goes on; the first line shown.
    const TextMatch& Match() const override { return m_match; }
    int32_t TopLine() const override;
    // Shows a match found: scrolled into view (its line centred when it was off screen,
    // then the text sideways), out from under `cover` (the Find dialog) when that is shown.
    void ShowMatch(const TextMatch& match, HWND cover) override;

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
    LRESULT OnContextMenu(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);
    LRESULT OnDropFiles(WPARAM, LPARAM);
    void OnFileOpen();
    void OnFileCompare();
    void OnFileCompareLive();
    void OnFileImportPreview();
    void OnFileSwapCompare();
    void OnFileSaveAs();
    void OnEditPaste();
    void OnEditFind();
    void OnEditFindNext();
    void OnEditFindPrevious();
    DECLARE_MESSAGE_MAP()

private:
    void Scroll(int bar, int code);
    // Client pixels to document pixels (origin at the top left of line 0, unscrolled).
    LinkPoint ToDocument(LPARAM clientPos) const;
    // The line at a client point, -1 below the last one.
    int32_t LineAt(LPARAM clientPos) const;
    // The line menu for what it acts on, at a screen point: the item chosen, 0 for none.
    UINT TrackLineMenu(const LineMenuTarget& target, POINT at);
    // Right edge of a link line's hit area: the measured extent of its text in the link font.
    int32_t MeasureLink(int32_t line, const LinkRect& rect);
    void DrawLine(CDC& dc, int32_t line, int y, int hPos, int clientWidth);
    // Pixels from the start of a line's text to byte `offset` of it, in the line's font.
    int64_t TextWidth(int32_t line, size_t offset);
    // After the match has been scrolled into view: out from under a window over the view.
    void MoveMatchBeside(HWND cover);
    // The hosts' other parts: the frame owns the dialogs; a comparison ended is shown.
    HWND DialogOwner() const override { return GetParent(); }
    CWnd* Owner() const override { return CWnd::FromHandlePermanent(GetParent()); }
    void ShowComparison(ShownComparison&& comparison) override;

    CLinkDoc m_doc;
    CLinkRectList m_links;
    CShellTool m_shell;
    // A link is a key path as a whole line, and a click that opens nothing must say why.
    CRegKeyTool m_regKey{RootNamePlace::AtStart, EditorFailures::Told};
    CFont m_fontText;
    CFont m_fontLink;
    int m_cxChar = 0;
    int m_cyLine = 0;
    int m_nWheelStep = 0;
    HCURSOR m_hLinkCursor = nullptr;
    bool m_bOverLink = false;
    bool m_bTracking = false;
    bool m_bButtonDown = false;
    int32_t m_clickedLine = -1;  // the line of the last click, either button; -1: none

    // Where characters start in the long lines painted last (a line of hundreds of MB of
    // lead-range bytes is walked once, not on every paint), by line number.
    struct LineStarts {
        int32_t line = -1;
        mbcs::CharStarts starts{std::string_view()};
    };
    std::array<LineStarts, 64> m_lineStarts;

    TextMatch m_match;
    CShownText m_shown;
    // After the document it reads, so that it goes first: its end waits for a running search.
    CFindController m_find{*this, m_doc};
    CCompareController m_compare{*this};
};
