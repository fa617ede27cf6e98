#include "LinkView.h"

#include <algorithm>
#include <limits>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include <shellapi.h>

#include "ClipboardText.h"
#include "CommandLine.h"
#include "LinkText.h"
#include "LinkViewRules.h"
#include "Mbcs.h"
#include "TextFile.h"
#include "resource.h"

namespace {

constexpr COLORREF kLinkColour = RGB(0, 0, 255);
constexpr COLORREF kTextColour = RGB(0, 0, 0);
// TextOutA takes at most this many bytes at a time on every system we run on.
constexpr int32_t kPieceBytes = 0xFC00;

int ClampToInt(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

bool IsLeadingBlank(char c) { return c == ' ' || (c >= 0x09 && c <= 0x0D); }

// DragQueryFileA's index that asks for the number of files dropped.
constexpr UINT kDroppedFileCount = 0xFFFFFFFF;

}  // namespace

BEGIN_MESSAGE_MAP(CLinkView, CWnd)
    ON_MESSAGE(WM_CREATE, OnCreate)
    ON_MESSAGE(WM_PAINT, OnPaint)
    ON_MESSAGE(WM_SIZE, OnSize)
    ON_MESSAGE(WM_VSCROLL, OnVScroll)
    ON_MESSAGE(WM_HSCROLL, OnHScroll)
    ON_MESSAGE(WM_KEYDOWN, OnKeyDown)
    ON_MESSAGE(WM_MOUSEWHEEL, OnMouseWheel)
    ON_MESSAGE(WM_MOUSEMOVE, OnMouseMove)
    ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeave)
    ON_MESSAGE(WM_SETCURSOR, OnSetCursor)
    ON_MESSAGE(WM_LBUTTONDOWN, OnLButtonDown)
    ON_MESSAGE(WM_LBUTTONUP, OnLButtonUp)
    ON_MESSAGE(WM_CONTEXTMENU, OnContextMenu)
    ON_MESSAGE(WM_DESTROY, OnDestroy)
    ON_MESSAGE(WM_DROPFILES, OnDropFiles)
    ON_COMMAND(ID_FILE_OPENTEXT, OnFileOpen)
    ON_COMMAND(ID_FILE_COMPARE, OnFileCompare)
    ON_COMMAND(ID_FILE_COMPARELIVE, OnFileCompareLive)
    ON_COMMAND(ID_FILE_IMPORTPREVIEW, OnFileImportPreview)
    ON_COMMAND(ID_FILE_SWAPCOMPARE, OnFileSwapCompare)
    ON_COMMAND(ID_FILE_SAVETEXTAS, OnFileSaveAs)
    ON_COMMAND(ID_EDIT_PASTETEXT, OnEditPaste)
    ON_COMMAND(ID_EDIT_FINDTEXT, OnEditFind)
    ON_COMMAND(ID_EDIT_FINDNEXTMATCH, OnEditFindNext)
    ON_COMMAND(ID_EDIT_FINDPREVMATCH, OnEditFindPrevious)
END_MESSAGE_MAP()

bool CLinkView::PreCreateWindow(CREATESTRUCTA& cs) {
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ::LoadCursorA(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr);
    // The frame asks for a border; a sunken edge looks like the document area it is.
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
    cs.style &= ~WS_BORDER;
    return cs.lpszClass != nullptr;
}

// ---------------------------------------------------------------------------------------
// Creation

LRESULT CLinkView::OnCreate(WPARAM, LPARAM) {
    if (Default() == -1) return -1;

    // Everything else measured in pixels (rows, columns, link areas, the wheel's lines)
    // follows from this one font, so scaling it scales the whole view.
    const std::string face = AfxLoadString(IDS_VIEW_FONT);
    const int height = -AfxScalePixels(20);
    if (!m_fontText.CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, OUT_STROKE_PRECIS,
                               CLIP_STROKE_PRECIS, DRAFT_QUALITY, VARIABLE_PITCH, face.c_str()) ||
        !m_fontLink.CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 1, 0, GB2312_CHARSET, OUT_STROKE_PRECIS,
                               CLIP_STROKE_PRECIS, DRAFT_QUALITY, VARIABLE_PITCH, face.c_str()))
        return -1;
    // The cursor file holds the hand at 32, 48 and 64 pixels: the system's cursor size picks one.
    m_hLinkCursor = static_cast<HCURSOR>(::LoadImageA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDC_LINKHAND),
                                                      IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    if (!m_hLinkCursor) return -1;

    {
        CClientDC dc(this);
        dc.SelectObject(m_fontText);
        TEXTMETRICA tm{};
        dc.GetTextMetrics(&tm);
        m_cxChar = tm.tmAveCharWidth;
        m_cyLine = tm.tmHeight + tm.tmExternalLeading;
    }

    UINT lines = 0;
    const bool read = ::SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0) != FALSE;
    m_nWheelStep = linkview::WheelStepFromSetting(read, lines);

    // Runs inside the frame's creation, so the file is there before the window is first
    // shown; the first WM_SIZE corrects the scroll pages.
    LoadCommandLine();
    return 0;
}

// ---------------------------------------------------------------------------------------
// Layout and scroll ranges

void CLinkView::ShowNewText() {
    m_match = TextMatch();
    m_clickedLine = -1;  // a line of the text before
    for (LineStarts& known : m_lineStarts) known.line = -1;
    LayoutLinks();
    CRect rc;
    GetClientRect(&rc);
    SetScrollRanges(rc.Width(), rc.Height(), true);
    Invalidate(true);
}

void CLinkView::LayoutLinks() {
    // One area per link line, in line order. The right edge stays open: measuring every
    // key line of a full export would cost seconds before anything is shown, so each
    // area is measured on the first hit test that reaches its row (MeasureLink).
    m_links.Clear();
    const int32_t count = m_doc.GetLineCount();
    for (int32_t i = 0; i < count; ++i) {
        if (!IsLink(m_doc.LineKind(i))) continue;
        const int64_t top = static_cast<int64_t>(i) * m_cyLine;
        // Document rows are 32-bit; a line beyond them cannot be pointed at anyway.
        if (top + m_cyLine > std::numeric_limits<int32_t>::max()) break;
        LinkRect rect;
        rect.left = m_cxChar;
        rect.top = static_cast<int32_t>(top);
        rect.right = LINK_UNMEASURED;
        rect.bottom = static_cast<int32_t>(top + m_cyLine);
        if (!m_links.Add(rect, i)) break;
    }
}

int32_t CLinkView::MeasureLink(int32_t line, const LinkRect& rect) {
    const std::string_view text = m_doc.LineText(line);
    CClientDC dc(this);
    dc.SelectObject(m_fontLink);
    RECT rc{rect.left, rect.top, rect.left, rect.bottom};
    dc.DrawText(text.data(), static_cast<int>(text.size()), &rc, DT_CALCRECT);
    return rc.right;
}

void CLinkView::SetScrollRanges(int width, int height, bool reset) {
    SCROLLINFO si{};
    si.fMask = SIF_RANGE | SIF_PAGE | (reset ? SIF_POS : 0);
    si.nMin = 0;
    si.nMax = m_doc.GetLineCount() - 1;
    si.nPage = m_cyLine > 0 ? static_cast<UINT>(std::max(height, 0) / m_cyLine) : 0;
    si.nPos = 0;
    SetScrollInfo(SB_VERT, &si, true);

    si.fMask = SIF_RANGE | SIF_PAGE | (reset ? SIF_POS : 0);
    si.nMin = 0;
    si.nMax = ClampToInt(static_cast<int64_t>(m_doc.GetMaxLineLength()) + 2);
    si.nPage = m_cxChar > 0 ? static_cast<UINT>(std::max(width, 0) / m_cxChar) : 0;
    si.nPos = 0;
    SetScrollInfo(SB_HORZ, &si, true);
}

LRESULT CLinkView::OnSize(WPARAM, LPARAM lParam) {
    SetScrollRanges(LOWORD(lParam), HIWORD(lParam), false);
    return 0;
}

// ---------------------------------------------------------------------------------------
// Painting

LRESULT CLinkView::OnPaint(WPARAM, LPARAM) {
    {
        CPaintDC dc(this);
        SCROLLINFO si{};
        GetScrollInfo(SB_VERT, &si, SIF_POS);
        const int v = si.nPos;
        GetScrollInfo(SB_HORZ, &si, SIF_POS);
        const int h = si.nPos;
        CRect client;
        GetClientRect(&client);

        const linkview::LineRange range =
            linkview::LinesToPaint(v, dc.m_ps.rcPaint.top, dc.m_ps.rcPaint.bottom, m_cyLine, m_doc.GetLineCount());
        // The DC gives back font, colour and alignment when it goes (it saved its state
        // at the first selection).
        dc.SelectObject(m_fontText);
        dc.SetTextColor(kLinkColour);
        ::SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
        for (int32_t i = range.first; i <= range.last; ++i) {
            const int y = ClampToInt(static_cast<int64_t>(i - v) * m_cyLine);
            DrawLine(dc, i, y, h, client.Width());
        }
    }
    return 0;
}

void CLinkView::DrawLine(CDC& dc, int32_t line, int y, int hPos, int clientWidth) {
    const bool link = IsLink(m_doc.LineKind(line));
    dc.SelectObject(link ? m_fontLink : m_fontText);
    dc.SetTextColor(link ? kLinkColour : kTextColour);

    // A line that one call can draw is drawn whole from where its text starts. A longer one
    // is laid out one average character width a byte, the unit its horizontal bar counts in,
    // so that the part the window shows is drawn alone wherever in the line it lies:
    // scrolled to the end of a line of many MB, a paint costs what it costs at its start.
    const std::string_view text = m_doc.LineText(line);
    const bool longLine = text.size() > static_cast<size_t>(kPieceBytes);
    size_t first = 0, last = text.size();
    if (longLine) {
        LineStarts& known = m_lineStarts[static_cast<size_t>(line) % m_lineStarts.size()];
        if (known.line != line) known = LineStarts{line, mbcs::CharStarts(text)};
        const linkview::ByteSpan piece =
            linkview::PieceToDraw(text, hPos, m_cxChar, clientWidth, static_cast<size_t>(kPieceBytes), known.starts);
        first = static_cast<size_t>(piece.first);
        last = static_cast<size_t>(piece.last);
        if (last <= first) return;
    }
    const int left = linkview::ColumnToClient(hPos, m_cxChar, static_cast<int64_t>(first));
    const std::vector<INT> advance(longLine ? last - first : 0, m_cxChar);
    ::ExtTextOutA(dc, left, y, 0, nullptr, text.data() + first, static_cast<UINT>(last - first),
                  longLine ? advance.data() : nullptr);

    if (line != m_match.line || !m_doc.Holds(m_match)) return;
    const uint64_t start = m_match.start, end = start + m_match.length;
    if (longLine && (start >= last || end <= first)) return;
    // The match over the line, in the system's selection colours.
    const int64_t matchLeft = longLine ? linkview::ColumnToClient(hPos, m_cxChar, static_cast<int64_t>(start))
                                       : left + TextWidth(line, static_cast<size_t>(start));
    const int64_t matchRight = longLine ? linkview::ColumnToClient(hPos, m_cxChar, static_cast<int64_t>(end))
                                        : left + TextWidth(line, static_cast<size_t>(end));
    const CRect box(ClampToInt(matchLeft), y, ClampToInt(matchRight), y + m_cyLine);
    const std::vector<INT> matchAdvance(longLine ? m_match.length : 0, m_cxChar);
    dc.SetTextColor(::GetSysColor(COLOR_HIGHLIGHTTEXT));
    const COLORREF background = ::SetBkColor(dc, ::GetSysColor(COLOR_HIGHLIGHT));
    ::ExtTextOutA(dc, box.left, y, ETO_OPAQUE | ETO_CLIPPED, &box, text.data() + start, m_match.length,
                  longLine ? matchAdvance.data() : nullptr);
    ::SetBkColor(dc, background);
}

int64_t CLinkView::TextWidth(int32_t line, size_t offset) {
    const std::string_view text = m_doc.LineText(line);
    offset = std::min(offset, text.size());
    if (text.size() > static_cast<size_t>(kPieceBytes)) return static_cast<int64_t>(offset) * m_cxChar;
    CClientDC dc(this);
    dc.SelectObject(IsLink(m_doc.LineKind(line)) ? m_fontLink : m_fontText);
    SIZE size{};
    ::GetTextExtentPoint32A(dc, text.data(), static_cast<int>(offset), &size);
    return size.cx;
}

// ---------------------------------------------------------------------------------------
// The texts that come in, and Save As

bool CLinkView::ReplaceText(const std::function<bool(CLinkDoc& doc)>& fill) {
    m_find.ReleaseText();  // a search reads the document that is about to change
    m_compare.Cancel();
    m_shown.Forget();
    m_links.Clear();
    m_doc.Clear();
    // A text too large to be had (to copy, to convert) is a failed load like any other.
    bool filled = false;
    try {
        filled = fill(m_doc);
    } catch (const std::bad_alloc&) { m_doc.Clear(); }
    // The new text, or the emptied view rather than the old picture until the next repaint;
    // no match of the old text is left pointing into the document.
    ShowNewText();
    return filled;
}

bool CLinkView::LoadTextFile(const char* path) {
    // Refused by the name or existence test: the text, its match and any search stay.
    if (!PassesLoadTests(path)) return false;
    bool readError = false;
    DWORD error = 0;
    const bool loaded = ReplaceText([&](CLinkDoc& doc) {
        const LoadResult result = LoadTestedFileInto(path, doc, m_links);
        if (result == LoadResult::ReadError) {
            readError = true;
            error = ::GetLastError();
        }
        return result == LoadResult::Loaded;
    });
    // Told over the emptied view, not over the old picture.
    if (readError) AfxReportFileError(path, false, error);
    if (loaded) m_shown.SetFile(path);
    return loaded;
}

bool CLinkView::PasteText() {
    if (!CClipboardText::IsAvailable()) return false;
    // A clipboard that could not be read leaves the view empty; an empty text is a paste.
    const bool pasted = ReplaceText([this](CLinkDoc& doc) {
        std::string text;
        return CClipboardText(m_hWnd).Read(text) && (doc.SetText(text) || text.empty());
    });
    if (pasted) m_shown.SetPasted();
    return pasted;
}

bool CLinkView::LoadCommandLine() {
    const ViewerRequest request = ReadViewerCommandLine(::GetCommandLineA(), ::GetCommandLineW());
    switch (request.kind) {
    case ViewerRequest::Kind::OpenFile: return LoadTextFile(request.file.c_str());
    case ViewerRequest::Kind::Compare: return m_compare.Start(request.older, request.newer);
    case ViewerRequest::Kind::CompareLive: return m_compare.StartLive(request.older, nullptr, false);
    case ViewerRequest::Kind::Preview: return m_compare.StartPreview(request.older, nullptr, false);
    case ViewerRequest::Kind::CompareUsage:
        AfxMessageBox(AfxLoadString(IDS_COMPARE_USAGE), MB_OK | MB_ICONEXCLAMATION);
        return false;
    case ViewerRequest::Kind::Nothing: break;
    }
    return false;
}

void CLinkView::ShowComparison(ShownComparison&& comparison) {
    const std::u16string& text = comparison.text;
    if (ReplaceText([&](CLinkDoc& doc) { return LoadWideTextInto(text, doc); }))
        m_shown.SetComparison(std::move(comparison));
}

bool CLinkView::EndWork() {
    const bool searching = m_find.IsSearching(), comparing = m_compare.IsRunning();
    if (searching) m_find.CancelSearch();
    if (comparing) m_compare.Cancel();
    return searching || comparing;
}

LRESULT CLinkView::OnDropFiles(WPARAM wParam, LPARAM) {
    HDROP drop = reinterpret_cast<HDROP>(wParam);
    if (!drop) return Default();
    if (::DragQueryFileA(drop, kDroppedFileCount, nullptr, 0) >= 1) {
        const UINT length = ::DragQueryFileA(drop, 0, nullptr, 0);
        std::string name(length + 1, '\0');
        ::DragQueryFileA(drop, 0, &name[0], length + 1);
        LoadTextFile(name.c_str());
    }
    ::DragFinish(drop);
    return 0;
}

void CLinkView::OnFileOpen() {
    const std::string filter = AfxLoadString(IDS_OPEN_FILTER);
    // No flags of our own: the read-only box shows, and a name that does not exist gets
    // past the dialog (LoadTextFile then refuses it quietly). The Explorer style is only
    // the dialog's look, the one every current program shows.
    CFileDialog dlg(true, nullptr, nullptr, OFN_EXPLORER, filter.c_str(), this);
    if (dlg.DoModal() != IDOK) return;
    const std::string path = dlg.GetPathName();
    if (!path.empty()) LoadTextFile(path.c_str());
}

void CLinkView::OnEditPaste() { PasteText(); }
void CLinkView::OnFileCompare() { m_compare.Choose(); }
void CLinkView::OnFileCompareLive() { m_compare.ChooseLive(); }
void CLinkView::OnFileImportPreview() { m_compare.ChoosePreview(); }

void CLinkView::OnFileSwapCompare() {
    // The comparison shown, the other way round: the changes that undo it.
    if (const ShownComparison* shown = m_shown.Comparison()) {
        // With the registry: the same reading, not read again.
        if (shown->preview) {
            const std::shared_ptr<const ImportPreview> preview = shown->preview;
            m_compare.StartPreview(std::wstring(shown->older), preview, !shown->liveSwapped);
            return;
        }
        if (shown->live) {
            const std::shared_ptr<const RegistryReading> live = shown->live;
            m_compare.StartLive(std::wstring(shown->older), live, !shown->liveSwapped);
            return;
        }
        const std::wstring older = shown->older, newer = shown->newer;
        m_compare.Start(newer, older);
    }
}

void CLinkView::OnFileSaveAs() {
    if (!m_shown.CanSave()) return;
    const std::string defExt = m_shown.SaveExtension();
    const std::string filter = AfxLoadString(IDS_SAVE_FILTER);
    CFileDialog dlg(false, defExt.c_str(), nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
                    filter.c_str(), this);
    // The filter entry that fits what is saved: .reg first, .txt second.
    dlg.m_ofn.nFilterIndex = defExt == "txt" || defExt == "TXT" ? 2 : 1;
    if (dlg.DoModal() != IDOK) return;
    const std::string path = dlg.GetPathName();
    if (path.empty()) return;
    for (const unsigned question : m_shown.SaveQuestions())
        if (AfxMessageBox(AfxLoadString(question), MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    if (!m_shown.SaveTo(path, m_doc)) AfxReportFileError(IDS_SAVE_FAILED, path, ::GetLastError());
}

// ---------------------------------------------------------------------------------------
// Find's commands (FindController.cpp) and the match it shows

void CLinkView::OnEditFind() { m_find.OpenDialog(); }
void CLinkView::OnEditFindNext() { m_find.FindAgain(true); }
void CLinkView::OnEditFindPrevious() { m_find.FindAgain(false); }

int32_t CLinkView::TopLine() const {
    SCROLLINFO si{};
    GetScrollInfo(SB_VERT, &si, SIF_POS);
    return si.nPos;
}

void CLinkView::ShowMatch(const TextMatch& match, HWND cover) {
    m_match = match;
    const int32_t line = m_match.line;

    // Into view: its line (centred when it was off screen), then the text itself sideways.
    SCROLLINFO si{};
    GetScrollInfo(SB_VERT, &si, SIF_POS | SIF_PAGE);
    si.nPos = linkview::PositionToShow(si.nPos, static_cast<int32_t>(si.nPage), line, int64_t(line) + 1, true);
    si.fMask = SIF_POS;
    SetScrollInfo(SB_VERT, &si, true);
    if (m_cxChar > 0) {
        // Columns of the bar: the text starts one column in.
        const int64_t left = TextWidth(line, static_cast<size_t>(m_match.start));
        const int64_t right = TextWidth(line, static_cast<size_t>(m_match.start + m_match.length));
        GetScrollInfo(SB_HORZ, &si, SIF_POS | SIF_PAGE);
        si.nPos = linkview::PositionToShow(si.nPos, static_cast<int32_t>(si.nPage), left / m_cxChar,
                                           (right + m_cxChar - 1) / m_cxChar + 2, false);
        si.fMask = SIF_POS;
        SetScrollInfo(SB_HORZ, &si, true);
    }
    MoveMatchBeside(cover);
    Invalidate(true);
    UpdateWindow();
}

void CLinkView::MoveMatchBeside(HWND cover) {
    if (!cover || !::IsWindowVisible(cover) || m_cyLine <= 0) return;
    CRect over;
    ::GetWindowRect(cover, &over);
    ScreenToClient(&over);
    SCROLLINFO si{};
    GetScrollInfo(SB_HORZ, &si, SIF_POS);
    const int64_t textLeft = linkview::ColumnToClient(si.nPos, m_cxChar, 0);
    const int64_t left = textLeft + TextWidth(m_match.line, static_cast<size_t>(m_match.start));
    const int64_t right = textLeft + TextWidth(m_match.line, static_cast<size_t>(m_match.start + m_match.length));
    if (right <= over.left || left >= over.right) return;  // beside it already
    GetScrollInfo(SB_VERT, &si, SIF_ALL);
    const int32_t page = static_cast<int32_t>(std::min<UINT>(si.nPage, std::numeric_limits<int32_t>::max()));
    si.nPos = linkview::PositionBeside(si.nPos, page, std::max(si.nMax - page + 1, 0), m_match.line, over.top,
                                       over.bottom, m_cyLine);
    si.fMask = SIF_POS;
    SetScrollInfo(SB_VERT, &si, true);
}

// ---------------------------------------------------------------------------------------
// Scrolling: bars, keys, wheel

LRESULT CLinkView::OnVScroll(WPARAM wParam, LPARAM) {
    Scroll(SB_VERT, LOWORD(wParam));
    return 0;
}

LRESULT CLinkView::OnHScroll(WPARAM wParam, LPARAM) {
    Scroll(SB_HORZ, LOWORD(wParam));
    return 0;
}

void CLinkView::Scroll(int bar, int code) {
    // The position in the message is 16 bits; the bar's own state has the full track
    // position, so the thumb can be dragged through any number of lines.
    SCROLLINFO si{};
    GetScrollInfo(bar, &si, SIF_ALL);
    linkview::ScrollBarState state;
    state.min = si.nMin;
    state.max = si.nMax;
    state.page = static_cast<int32_t>(std::min<UINT>(si.nPage, std::numeric_limits<int32_t>::max()));
    state.pos = si.nPos;
    state.trackPos = si.nTrackPos;
    const int oldPos = si.nPos;

    si.nPos = linkview::RequestedPosition(code, bar == SB_VERT, state);
    si.fMask = SIF_POS;
    SetScrollInfo(bar, &si, true);
    GetScrollInfo(bar, &si, SIF_POS);  // clamped by the system
    if (si.nPos == oldPos) return;

    const int unit = bar == SB_VERT ? m_cyLine : m_cxChar;
    // A jump of more than a window's worth just repaints everything; keep the pixel
    // distance inside what ScrollWindow can take.
    const int distance =
        static_cast<int>(std::clamp<int64_t>((static_cast<int64_t>(oldPos) - si.nPos) * unit, -0x3FFFFFFF, 0x3FFFFFFF));
    if (bar == SB_VERT) ::ScrollWindow(m_hWnd, 0, distance, nullptr, nullptr);
    else ::ScrollWindow(m_hWnd, distance, 0, nullptr, nullptr);
    UpdateWindow();
}

LRESULT CLinkView::OnKeyDown(WPARAM wParam, LPARAM) {
    UINT message = 0;
    int code = 0;
    switch (wParam) {
    case VK_PRIOR:
        message = WM_VSCROLL;
        code = SB_PAGEUP;
        break;
    case VK_NEXT:
        message = WM_VSCROLL;
        code = SB_PAGEDOWN;
        break;
    case VK_END:
        message = WM_VSCROLL;
        code = SB_BOTTOM;
        break;
    case VK_HOME:
        message = WM_VSCROLL;
        code = SB_TOP;
        break;
    case VK_LEFT:
        message = WM_HSCROLL;
        code = SB_LINELEFT;
        break;
    case VK_UP:
        message = WM_VSCROLL;
        code = SB_LINEUP;
        break;
    case VK_RIGHT:
        message = WM_HSCROLL;
        code = SB_LINERIGHT;
        break;
    case VK_DOWN:
        message = WM_VSCROLL;
        code = SB_LINEDOWN;
        break;
    default: break;
    }
    if (message) SendMessage(message, MAKEWPARAM(code, 0), 0);
    return Default();
}

LRESULT CLinkView::OnMouseWheel(WPARAM wParam, LPARAM) {
    const linkview::WheelSteps steps = linkview::WheelLines(static_cast<int16_t>(HIWORD(wParam)), m_nWheelStep);
    for (int32_t i = 0; i < steps.up; ++i) SendMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEUP, 0), 0);
    for (int32_t i = 0; i < steps.down; ++i) SendMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    return Default();
}

// ---------------------------------------------------------------------------------------
// Hover and click

LinkPoint CLinkView::ToDocument(LPARAM clientPos) const {
    SCROLLINFO si{};
    GetScrollInfo(SB_VERT, &si, SIF_POS);
    const int v = si.nPos;
    GetScrollInfo(SB_HORZ, &si, SIF_POS);
    const int h = si.nPos;
    const CPoint pt(clientPos);
    LinkPoint doc;
    doc.x = ClampToInt(pt.x + static_cast<int64_t>(m_cxChar) * h);
    doc.y = ClampToInt(pt.y + static_cast<int64_t>(m_cyLine) * v);
    return doc;
}

LRESULT CLinkView::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    // Any move with the button held cancels the pending click: a click is a press and a
    // release in one place.
    if (wParam & MK_LBUTTON) m_bButtonDown = false;
    m_bOverLink = m_links.HitAny(ToDocument(lParam),
                                 [this](int32_t line, const LinkRect& rect) { return MeasureLink(line, rect); });
    if (!m_bTracking) {
        TRACKMOUSEEVENT tme{};
        tme.cbSize = sizeof(tme);
        tme.dwFlags = TME_LEAVE;
        tme.hwndTrack = m_hWnd;
        tme.dwHoverTime = 0;
        m_bTracking = ::_TrackMouseEvent(&tme) != FALSE;
    }
    return Default();
}

LRESULT CLinkView::OnMouseLeave(WPARAM, LPARAM) {
    m_bButtonDown = false;
    m_bOverLink = false;
    m_bTracking = false;
    return 0;
}

LRESULT CLinkView::OnSetCursor(WPARAM, LPARAM) {
    if (m_find.IsSearching()) {
        ::SetCursor(::LoadCursorA(nullptr, IDC_APPSTARTING));
        return TRUE;
    }
    if (m_bOverLink) {
        ::SetCursor(m_hLinkCursor);
        return TRUE;
    }
    return Default();
}

LRESULT CLinkView::OnLButtonDown(WPARAM, LPARAM lParam) {
    m_bButtonDown = true;
    m_clickedLine = LineAt(lParam);
    return Default();
}

LRESULT CLinkView::OnLButtonUp(WPARAM, LPARAM lParam) {
    if (m_bOverLink && m_bButtonDown) {
        m_bButtonDown = false;
        const int32_t line = m_links.HitTest(ToDocument(lParam),
                                             [this](int32_t l, const LinkRect& rect) { return MeasureLink(l, rect); });
        if (line >= 0) OpenLink(line);
    }
    return Default();
}

int32_t CLinkView::LineAt(LPARAM clientPos) const {
    const LinkPoint at = ToDocument(clientPos);
    if (m_cyLine <= 0 || at.y < 0) return -1;
    const int32_t line = at.y / m_cyLine;
    return line < m_doc.GetLineCount() ? line : -1;
}

// ---------------------------------------------------------------------------------------
// The line menu

LRESULT CLinkView::OnContextMenu(WPARAM, LPARAM lParam) {
    POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    int32_t line = -1;
    if (at.x == -1 && at.y == -1) {
        // From the keyboard: the line Find shows, the one clicked, or the first in view, and
        // the menu beside it, under the start of its text.
        CRect client;
        GetClientRect(&client);
        const int32_t top = TopLine();
        const int32_t shown = m_cyLine > 0 ? (client.Height() + m_cyLine - 1) / m_cyLine : 0;
        line = linkview::KeyboardMenuLine(m_doc.Holds(m_match) ? m_match.line : -1, m_clickedLine, top, shown,
                                          m_doc.GetLineCount());
        if (line < 0) return 0;
        SCROLLINFO si{};
        GetScrollInfo(SB_HORZ, &si, SIF_POS);
        const int left = linkview::ColumnToClient(si.nPos, m_cxChar, 0);
        const int y = ClampToInt(static_cast<int64_t>(line - top) * m_cyLine);
        const CRect row(left, y, left + std::max(m_cxChar, 1), y + m_cyLine);
        at = ContextMenuPoint(m_hWnd, lParam, row);
    } else {
        POINT client = at;
        ScreenToClient(&client);
        CRect rc;
        GetClientRect(&rc);
        if (!rc.PtInRect(client)) return Default();  // on a scroll bar: the system's own menu
        line = m_clickedLine = LineAt(MAKELPARAM(client.x, client.y));
        if (line < 0) return 0;
    }
    // What the items act on is taken now: the text may change while the menu is open (a
    // comparison that ends).
    const LineMenuTarget target = MenuTargetOf(m_doc, line);
    switch (TrackLineMenu(target, at)) {
    case ID_LINE_OPENKEY: m_regKey.OpenInRegEdit(target.key.c_str()); break;
    case ID_LINE_OPENVALUE: m_regKey.OpenValueInRegEdit(target.key.c_str(), target.name); break;
    case ID_LINE_COPYPATH: CClipboardText(m_hWnd).Write(target.CopyText()); break;
    default: break;
    }
    return 0;
}

UINT CLinkView::TrackLineMenu(const LineMenuTarget& target, POINT at) {
    CMenu menu;
    if (!menu.CreatePopupMenu()) return 0;
    const struct {
        UINT id;
        bool applies;
    } items[] = {
        {ID_LINE_OPENKEY, target.openKey}, {ID_LINE_OPENVALUE, target.openValue}, {ID_LINE_COPYPATH, target.copy}};
    for (const auto& item : items)
        menu.AppendMenu(MF_STRING | (item.applies ? 0 : MF_GRAYED), item.id, AfxLoadString(item.id));
    // The item comes back here rather than as a command, to act on the target taken.
    return static_cast<UINT>(menu.TrackPopupMenu(TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, m_hWnd));
}

bool CLinkView::OpenLink(int32_t line) {
    if (line < 0 || line >= m_doc.GetLineCount()) return false;
    LineItem item;
    if (!m_doc.GetLine(line, item)) return false;
    // The line was judged a link without its leading blanks and tabs; hand over what was
    // judged, so that an indented key or file opens like any other.
    const size_t start =
        static_cast<size_t>(std::find_if_not(item.text.begin(), item.text.end(), IsLeadingBlank) - item.text.begin());
    const char* target = item.text.c_str() + start;
    if (item.kind == LINE_KEY) return m_regKey.OpenInRegEdit(target);
    if (item.kind == LINE_FILE) return m_shell.SelectInExplorer(target);
    return false;
}

LRESULT CLinkView::OnDestroy(WPARAM, LPARAM) {
    m_find.Close();
    m_compare.Cancel();
    const LRESULT result = Default();
    m_links.Clear();
    m_doc.Clear();
    return result;
}
