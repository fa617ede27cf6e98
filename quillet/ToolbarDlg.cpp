#include "ToolbarDlg.h"

#include <algorithm>
#include <climits>

#include "Pictures.h"
#include "ShellTool.h"
#include "ShortcutDlg.h"
#include "ShortcutManagerDlg.h"
#include "ShortcutMessages.h"
#include "WinApp.h"

namespace {

// The strip's own colour, a light pink-violet, behind the buttons and in the gaps.
const COLORREF kStripBackground = RGB(255, 192, 255);

// The twelve picture buttons; a button's index here is its cell in IDB_STRIP and IDB_STRIP_LIT.
const int kButtonIds[] = {
    IDC_RUN_REGEDIT,         IDC_ADD,       IDC_DELETE,          IDC_EDIT,        IDC_MANAGER, IDC_ADD_FROM_CLIPBOARD,
    IDC_OPEN_FROM_CLIPBOARD, IDC_AUTO_OPEN, IDC_CLEAR_CLIPBOARD, IDC_MANUAL_OPEN, IDC_ABOUT,   IDC_CLOSE,
};

int CellOf(int id) {
    for (int i = 0; i < static_cast<int>(sizeof kButtonIds / sizeof kButtonIds[0]); ++i)
        if (kButtonIds[i] == id) return i;
    return -1;
}

// Controls with a tooltip: every button and the picker; the string resource shares the id.
const int kToolIds[] = {
    IDC_RUN_REGEDIT,
    IDC_PICKER,
    IDC_ADD,
    IDC_DELETE,
    IDC_EDIT,
    IDC_MANAGER,
    IDC_ADD_FROM_CLIPBOARD,
    IDC_OPEN_FROM_CLIPBOARD,
    IDC_AUTO_OPEN,
    IDC_CLEAR_CLIPBOARD,
    IDC_MANUAL_OPEN,
    IDC_ABOUT,
    IDC_CLOSE,
};

LRESULT Answer(bool done) { return done ? 0 : -1; }

}  // namespace

CToolbarDlg::CToolbarDlg(CWnd* parent)
    : CDialog(IDD, parent), m_hIcon(::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))) {}

CToolbarDlg::~CToolbarDlg() = default;

// Handlers in the order of the message table; program messages and commands after.
BEGIN_MESSAGE_MAP(CToolbarDlg, CDialog)
    ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgnd)
    ON_MESSAGE(WM_PAINT, OnPaint)
    ON_MESSAGE(WM_QUERYDRAGICON, OnQueryDragIcon)
    ON_MESSAGE(WM_DRAWITEM, OnDrawItem)
    ON_MESSAGE(WM_LBUTTONDOWN, OnLButtonDown)
    ON_MESSAGE(WM_ENDSESSION, OnEndSession)
    ON_MESSAGE(WM_CLIPBOARDUPDATE, OnClipboardUpdate)
    ON_MESSAGE(WM_OPEN_COPIED, OnOpenCopied)
    ON_MESSAGE(WM_TIMER, OnTimer)
    ON_MESSAGE(WM_SHORTCUT_ITEM, OnShortcutItem)
    ON_MESSAGE(WM_SHORTCUT_QUERY, OnShortcutQuery)
    ON_MESSAGE(WM_SHORTCUT_ACTION, OnShortcutAction)
    ON_MESSAGE(WM_SHORTCUT_REPLACE, OnShortcutReplace)
    ON_COMMAND(IDC_RUN_REGEDIT, OnRunRegEdit)
    ON_COMMAND(IDC_ADD, OnAdd)
    ON_COMMAND(IDC_DELETE, OnDelete)
    ON_COMMAND(IDC_EDIT, OnEdit)
    ON_COMMAND(IDC_MANAGER, OnManager)
    ON_COMMAND(IDC_ADD_FROM_CLIPBOARD, AddFromClipboard)
    ON_COMMAND(IDC_OPEN_FROM_CLIPBOARD, OpenFromClipboard)
    ON_COMMAND(IDC_AUTO_OPEN, OnAutoOpen)
    ON_COMMAND(IDC_CLEAR_CLIPBOARD, ClearClipboard)
    ON_COMMAND(IDC_MANUAL_OPEN, OnManualOpen)
    ON_COMMAND(IDC_ABOUT, OnAbout)
    ON_COMMAND(IDC_CLOSE, OnClose)
END_MESSAGE_MAP()

void CToolbarDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_PATH_BOX, m_pathBox);
    DDX_Control(pDX, IDC_PICKER, m_picker);
}

bool CToolbarDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(m_hIcon, true);
    SetIcon(m_hIcon, false);

    // The strip lives above other windows, not on the taskbar: as a tool window it has no
    // taskbar button (and none in Alt+Tab), whatever the template asked for.
    ModifyStyleEx(WS_EX_APPWINDOW, WS_EX_TOOLWINDOW);
    // 100 pixels from the left at 100%, as far at other scales, and never past the right edge.
    CRect window;
    GetWindowRect(&window);
    const int left = std::min(AfxScalePixels(100), std::max(0, ::GetSystemMetrics(SM_CXSCREEN) - window.Width()));
    SetWindowPos(HWND_TOPMOST, left, 0, 0, 0, SWP_NOSIZE);

    const PictureSet pictures = PicturesForScreen();
    m_faceSize = pictures.face;
    m_stripNormal.LoadBitmap(pictures.strip);
    m_stripLit.LoadBitmap(pictures.stripLit);

    // TTS_ALWAYSTIP: the strip is rarely the active window, the tips must show anyway.
    if (m_tip.Create(this, TTS_ALWAYSTIP)) {
        for (int id : kToolIds) m_tip.AddTool(GetDlgItem(id), AfxLoadString(static_cast<UINT>(id)));
    }

    m_store.SetOwner(m_hWnd);  // for the navigator's box about an editor of higher rights
    LoadShortcutFile();
    SetManualOpen(false);
    return false;  // the focus has been set
}

bool CToolbarDlg::PreTranslateMessage(MSG* msg) {
    if (m_tip.m_hWnd) m_tip.RelayEvent(msg);
    return CDialog::PreTranslateMessage(msg);
}

// ---- Painting, moving -----------------------------------------------------------------------

LRESULT CToolbarDlg::OnEraseBkgnd(WPARAM wParam, LPARAM) {
    CDC dc(reinterpret_cast<HDC>(wParam));
    CRect rc;
    GetClientRect(&rc);
    dc.FillSolidRect(rc, kStripBackground);
    return TRUE;
}

LRESULT CToolbarDlg::OnPaint(WPARAM, LPARAM) {
    if (!::IsIconic(m_hWnd)) return Default();
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    const int cx = ::GetSystemMetrics(SM_CXICON), cy = ::GetSystemMetrics(SM_CYICON);
    dc.DrawIcon((rc.Width() - cx + 1) / 2, (rc.Height() - cy + 1) / 2, m_hIcon);
    return 0;
}

LRESULT CToolbarDlg::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hIcon); }

LRESULT CToolbarDlg::OnDrawItem(WPARAM, LPARAM lParam) {
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    const int cell = dis && dis->CtlType == ODT_BUTTON ? CellOf(static_cast<int>(dis->CtlID)) : -1;
    if (cell < 0) return Default();

    // Lit while held down, and for the two mode buttons while their mode is on.
    const bool lit = (dis->itemState & ODS_SELECTED) || (dis->CtlID == IDC_AUTO_OPEN && m_autoOpen) ||
                     (dis->CtlID == IDC_MANUAL_OPEN && m_manualOpen);
    CDC dc(dis->hDC);
    CDC mem;
    if (!mem.CreateCompatibleDC(dc)) return TRUE;
    mem.SelectObject(lit ? m_stripLit : m_stripNormal);
    const CRect rc(dis->rcItem);
    dc.StretchBlt(rc.left, rc.top, rc.Width(), rc.Height(), mem, m_faceSize * cell, 0, m_faceSize, m_faceSize, SRCCOPY);
    return TRUE;
}

LRESULT CToolbarDlg::OnLButtonDown(WPARAM, LPARAM) {
    // A press on the strip itself (grip, gaps, separators): let the system move the window
    // as if its caption had been grabbed.
    ::ReleaseCapture();
    SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, 0);
    return 0;
}

void CToolbarDlg::RedrawButton(int id) {
    ::RedrawWindow(GetDlgItem(id), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

// ---- The shortcut file ----------------------------------------------------------------------

void CToolbarDlg::LoadShortcutFile() {
    if (m_store.LoadFromFile(CShortcutStore::DefaultFilePath())) RefillPicker();
}

void CToolbarDlg::RefillPicker() {
    // One redraw for the whole list, not one per item: a long list fills several times faster.
    m_picker.SendMessage(WM_SETREDRAW, FALSE);
    m_picker.ResetContent();
    // Room for every item at once, so the list does not grow in small steps.
    const int count = m_store.Count();
    m_picker.SendMessage(CB_INITSTORAGE, static_cast<WPARAM>(count), static_cast<LPARAM>(count) * 32);
    m_store.SendAll(m_hWnd);
    m_picker.SendMessage(WM_SETREDRAW, TRUE);
    m_picker.Invalidate();
}

void CToolbarDlg::SaveShortcutFile() { m_store.SaveAtClose(m_hWnd, CShortcutStore::DefaultFilePath()); }

// ---- Picker-position operations -------------------------------------------------------------

bool CToolbarDlg::Add(const Shortcut& shortcut) {
    const int id = m_store.Add(shortcut);
    if (id == -1) return false;
    if (!m_picker.AddItem(shortcut.name.c_str(), id)) {
        m_store.Remove(id);  // store and picker never disagree
        return false;
    }
    return true;
}

bool CToolbarDlg::Delete(int position) {
    const int id = m_picker.IdAt(position);
    if (id == -1) return false;
    m_picker.DeleteItem(position);
    return m_store.Remove(id);
}

bool CToolbarDlg::Update(int position, const Shortcut& shortcut) {
    const int id = m_picker.IdAt(position);
    if (id == -1 || !m_store.Update(id, shortcut)) return false;
    return m_picker.ReplaceItem(position, shortcut.name.c_str());
}

bool CToolbarDlg::Get(int position, Shortcut& shortcut) {
    const int id = m_picker.IdAt(position);
    return id != -1 && m_store.Get(id, shortcut);
}

bool CToolbarDlg::Open(int position) {
    const int id = m_picker.IdAt(position);
    return id != -1 && m_store.Open(id);
}

// ---- Program messages -----------------------------------------------------------------------

LRESULT CToolbarDlg::OnShortcutItem(WPARAM wParam, LPARAM lParam) {
    const auto* shortcut = reinterpret_cast<const Shortcut*>(lParam);
    if (!shortcut || shortcut->name.empty()) return -1;
    return Answer(m_picker.AddItem(shortcut->name.c_str(), static_cast<int>(wParam)));
}

LRESULT CToolbarDlg::OnShortcutQuery(WPARAM wParam, LPARAM lParam) {
    const INT_PTR position = static_cast<INT_PTR>(wParam);
    if (!lParam || position < -1) return -1;
    if (position == -1) {
        HWND target = reinterpret_cast<HWND>(lParam);
        return Answer(::IsWindow(target) && m_store.SendAll(target));
    }
    if (position > INT_MAX) return -1;
    return Answer(Get(static_cast<int>(position), *reinterpret_cast<Shortcut*>(lParam)));
}

LRESULT CToolbarDlg::OnShortcutAction(WPARAM wParam, LPARAM lParam) {
    const INT_PTR position = static_cast<INT_PTR>(lParam);
    if (position < INT_MIN || position > INT_MAX) return -1;
    return Answer(RunAction(static_cast<int>(wParam), static_cast<int>(position)));
}

// The action dispatcher. Dialogs run with no parent given (they belong to the active
// window, the strip); the question box belongs to the strip.
bool CToolbarDlg::RunAction(int action, int position) {
    switch (action) {
    case SHORTCUT_ACTION_ADD: {
        CShortcutDlg dlg(CShortcutDlg::Mode::Add, nullptr);
        Shortcut result;
        if (dlg.DoModal() == IDOK && dlg.GetResult(result)) return Add(result);
        return true;
    }
    case SHORTCUT_ACTION_EDIT: {
        Shortcut current;
        if (!Get(position, current)) return false;
        CShortcutDlg dlg(CShortcutDlg::Mode::Edit, &current);
        Shortcut result;
        if (dlg.DoModal() == IDOK && dlg.GetResult(result)) return Update(position, result);
        return true;
    }
    case SHORTCUT_ACTION_DELETE:
        if (MessageBox(AfxLoadString(IDS_DELETE_QUESTION), AfxLoadString(IDS_DELETE_CAPTION),
                       MB_YESNO | MB_ICONQUESTION) == IDYES)
            return Delete(position);
        return true;
    case SHORTCUT_ACTION_OPEN: return Open(position);
    default: return false;
    }
}

LRESULT CToolbarDlg::OnShortcutReplace(WPARAM, LPARAM lParam) {
    const char* text = reinterpret_cast<const char*>(lParam);
    if (!text || !*text || !m_store.Load(text, true)) return -1;
    m_store.SetModified(true);
    RefillPicker();
    return 0;
}

// ---- Commands -------------------------------------------------------------------------------

void CToolbarDlg::OnRunRegEdit() {
    CShellTool shell;
    HANDLE process = shell.RunProgram("regedit.exe", SW_SHOWMAXIMIZED);
    if (!process) {
        MessageBox(AfxLoadString(IDS_RUN_REGEDIT_FAILED), AfxLoadString(IDS_CAPTION_ERROR), MB_OK | MB_ICONERROR);
        return;
    }
    ::CloseHandle(process);  // the editor runs on its own; nothing here waits for it
}

void CToolbarDlg::OnAdd() { RunAction(SHORTCUT_ACTION_ADD, 0); }

void CToolbarDlg::OnDelete() {
    const int position = m_picker.CurrentPosition();
    if (position != -1) RunAction(SHORTCUT_ACTION_DELETE, position);
}

void CToolbarDlg::OnEdit() {
    const int position = m_picker.CurrentPosition();
    if (position != -1) RunAction(SHORTCUT_ACTION_EDIT, position);
}

void CToolbarDlg::OnManager() {
    // The manager reads the list and hands a new one back through the program messages.
    CShortcutManagerDlg dlg;
    dlg.DoModal();
}

void CToolbarDlg::OnAutoOpen() { SetAutoOpen(!m_autoOpen); }

void CToolbarDlg::OnManualOpen() { SetManualOpen(!m_manualOpen); }

void CToolbarDlg::SetManualOpen(bool on) {
    m_manualOpen = on;
    RedrawButton(IDC_MANUAL_OPEN);
    // The path box lies over everything from IDC_RUN_REGEDIT to IDC_CLEAR_CLIPBOARD.
    for (int id = IDC_RUN_REGEDIT; id <= IDC_CLEAR_CLIPBOARD; ++id)
        ::ShowWindow(GetDlgItem(id), on ? SW_HIDE : SW_SHOW);
    m_pathBox.ShowWindow(on ? SW_SHOW : SW_HIDE);
    if (on) m_pathBox.SetFocus();
    else ::SetFocus(GetDlgItem(IDC_ADD));
}

void CToolbarDlg::OnAbout() {
    CAboutDlg dlg;
    dlg.DoModal();
}

// Nothing before the save waits on another program: leaving the clipboard listeners is
// the system's business alone.
void CToolbarDlg::OnClose() {
    if (m_autoOpen) SetAutoOpen(false);
    m_picker.ResetContent();
    m_pathBox.ResetContent();
    SaveShortcutFile();
    EndDialog(IDCANCEL);
}

// Logoff and shutdown end the strip without its close button, after a day's changes.
LRESULT CToolbarDlg::OnEndSession(WPARAM ending, LPARAM) {
    if (ending) OnClose();
    return 0;
}
