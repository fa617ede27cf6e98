// The viewer's one pane: paints the document line by line (links blue and underlined),
// scrolls by lines and average character widths, shows the hand over a link and opens it
// on a click. It also takes the texts that come in: Open, Paste, a drop, the command line.
#pragma once
#include "Framework.h"
#include "LinkDoc.h"
#include "LinkRectList.h"
#include "RegKeyTool.h"
#include "ShellTool.h"

#include <cstdint>

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
    void OnFileOpen();
    void OnEditPaste();
    DECLARE_MESSAGE_MAP()

private:
    void Scroll(int bar, int code);
    // Client pixels to document pixels (origin at the top left of line 0, unscrolled).
    LinkPoint ToDocument(LPARAM clientPos) const;
    // Right edge of a link line's hit area: the measured extent of its text in the link font.
    int32_t MeasureLink(int32_t line, const LinkRect& rect);
    void DrawLine(CDC& dc, int32_t line, int x, int y, int hPos, int clientWidth);

    CLinkDoc m_doc;
    CLinkRectList m_links;
    CShellTool m_shell;
    CRegKeyTool m_regKey;
    CFont m_fontText;
    CFont m_fontLink;
    int m_cxChar = 0;
    int m_cyLine = 0;
    int m_nWheelStep = 0;
    HCURSOR m_hLinkCursor = nullptr;
    BOOL m_bOverLink = FALSE;
    BOOL m_bTracking = FALSE;
    BOOL m_bButtonDown = FALSE;
};
