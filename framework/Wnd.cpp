#include "Wnd.h"

#include <shellapi.h>

#include <cstdio>
#include <list>
#include <unordered_map>

#include "WinApp.h"

namespace {

// Which object is bound to which window, for the pre-translation walk and for reflection.
// An in-process table: window properties would cost a trip to the window server per lookup
// under Wine, on every message. A lock, although a window is only ever bound and looked up
// by its own thread, because several threads may each run windows.
SRWLOCK g_bindingsLock = SRWLOCK_INIT;
std::unordered_map<HWND, CWnd*>& Bindings() {
    static std::unordered_map<HWND, CWnd*> bindings;
    return bindings;
}

// The child a parent-bound message names, for reflection; null for other messages.
HWND ReflectionTarget(HWND parent, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND: return reinterpret_cast<HWND>(lp);  // 0 for menus and accelerators
    case WM_NOTIFY: return lp ? reinterpret_cast<NMHDR*>(lp)->hwndFrom : nullptr;
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        if (!dis || dis->CtlType == ODT_MENU) return nullptr;
        // Found by id: the struct's hwndItem may be a combo's inner list.
        return ::GetDlgItem(parent, static_cast<int>(wp));
    }
    default: return nullptr;
    }
}

}  // namespace

// ---- CCmdTarget ----------------------------------------------------------------------------

const afx::MsgMap* CCmdTarget::ThisMessageMap() {
    static const afx::MsgMapEntry entries[] = {{0, 0, 0, 0, nullptr}};
    static const afx::MsgMap map = {nullptr, entries};
    return &map;
}

const afx::MsgMap* CCmdTarget::GetMessageMap() const { return ThisMessageMap(); }

bool CCmdTarget::DispatchEntry(UINT message, UINT code, UINT id, afx::MsgCall& call) {
    const bool matchCode = message == WM_COMMAND || message == WM_NOTIFY || message == WM_REFLECT_BASE + WM_COMMAND ||
                           message == WM_REFLECT_BASE + WM_NOTIFY;
    const bool matchId = message == WM_COMMAND || message == WM_NOTIFY;
    for (const afx::MsgMap* map = GetMessageMap(); map; map = map->base) {
        for (const afx::MsgMapEntry* e = map->entries; e->thunk; ++e) {
            if (e->message != message) continue;
            if (matchCode && e->code != code) continue;
            if (matchId && (id < e->idFirst || id > e->idLast)) continue;
            if (e->thunk(this, call)) return true;
            // An _EX handler said "not mine": look further, like MFC's chain.
        }
    }
    return false;
}

bool CCmdTarget::OnCmdMsg(UINT id, int code, NMHDR* notify, LRESULT* result) {
    LRESULT dummy = 0;
    afx::MsgCall call{notify ? UINT(WM_NOTIFY) : UINT(WM_COMMAND), 0, 0, id, notify, result ? result : &dummy};
    return DispatchEntry(call.message, notify ? notify->code : static_cast<UINT>(code), id, call);
}

// ---- binding -------------------------------------------------------------------------------

namespace {
// Windows whose object went while a later subclass still calls our procedure: the procedure
// that came before ours, so that their messages still reach the window's own procedure.
std::unordered_map<HWND, WNDPROC>& Orphans() {
    static std::unordered_map<HWND, WNDPROC> orphans;
    return orphans;
}
}  // namespace

static WNDPROC LookupUnboundProc(HWND hwnd) {
    AcquireSRWLockShared(&g_bindingsLock);
    auto it = Orphans().find(hwnd);
    WNDPROC prev = it == Orphans().end() ? nullptr : it->second;
    ReleaseSRWLockShared(&g_bindingsLock);
    return prev;
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    if (!hwnd) return nullptr;
    AcquireSRWLockShared(&g_bindingsLock);
    auto it = Bindings().find(hwnd);
    CWnd* wnd = it == Bindings().end() ? nullptr : it->second;
    ReleaseSRWLockShared(&g_bindingsLock);
    return wnd;
}

void CWnd::Bind(HWND hwnd) {
    m_hWnd = hwnd;
    AcquireSRWLockExclusive(&g_bindingsLock);
    Bindings()[hwnd] = this;
    ReleaseSRWLockExclusive(&g_bindingsLock);
}

void CWnd::Unbind() {
    if (!m_hWnd) return;
    if (m_subclassed) {
        // Put the window's own procedure back, unless someone chained in after us: their
        // procedure still calls ours, which then passes messages on (Orphans).
        if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC)) == &CWnd::SubclassProc) {
            ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_prevProc));
        } else {
            AcquireSRWLockExclusive(&g_bindingsLock);
            Orphans()[m_hWnd] = m_prevProc;
            ReleaseSRWLockExclusive(&g_bindingsLock);
        }
    } else if (m_ownClass) ::SetWindowLongPtrA(m_hWnd, 0, 0);
    AcquireSRWLockExclusive(&g_bindingsLock);
    Bindings().erase(m_hWnd);
    ReleaseSRWLockExclusive(&g_bindingsLock);
    m_subclassed = false;
    m_ownClass = false;
    m_hWnd = nullptr;
}

CWnd::~CWnd() {
    if (!m_hWnd) return;
    if (m_subclassed) {
        UnsubclassWindow();  // not ours to destroy
    } else {
        HWND hwnd = m_hWnd;
        Unbind();  // the object is going: no message may reach it any more
        ::DestroyWindow(hwnd);
    }
}

// The messages being dispatched on this thread, innermost first, for Default(). Kept here
// rather than in the object: a window may delete its object while an outer message for it is
// still being handled (WM_CLOSE -> DestroyWindow -> PostNcDestroy), and the unwinding must
// not write to it.
namespace {
struct CurrentMsg {
    const CWnd* wnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    const CurrentMsg* outer;
};
thread_local const CurrentMsg* t_current = nullptr;
}  // namespace

// Runs one message through the object. Nothing thrown inside may cross into the system: it
// would unwind through user32's frames.
LRESULT CWnd::Dispatch(CWnd* wnd, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CurrentMsg current{wnd, msg, wp, lp, t_current};
    t_current = &current;
    LRESULT result = 0;
    try {
        result = wnd->WindowProc(msg, wp, lp);
    } catch (...) { result = 0; }
    t_current = current.outer;
    if (msg == WM_NCDESTROY && wnd->m_hWnd == hwnd) {
        wnd->Unbind();
        wnd->PostNcDestroy();  // may delete the object: nothing after this
    }
    return result;
}

LRESULT CALLBACK CWnd::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    // Our classes keep the object in the window's extra bytes: one read per message.
    auto* wnd = reinterpret_cast<CWnd*>(::GetWindowLongPtrA(hwnd, 0));
    if (!wnd && msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        wnd = static_cast<CWnd*>(cs->lpCreateParams);
        if (wnd) {
            wnd->Bind(hwnd);
            wnd->m_ownClass = true;
            ::SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(wnd));
        }
    }
    if (!wnd) return ::DefWindowProcA(hwnd, msg, wp, lp);
    return Dispatch(wnd, hwnd, msg, wp, lp);
}

// Subclassed windows are found through the in-process binding table. The system's subclass
// helper keeps its chain in a window property, and under Wine every property look-up is a
// round trip to the server: one per message, which made filling a long list seconds slower.
LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CWnd* wnd = FromHandlePermanent(hwnd);
    if (wnd && wnd->m_subclassed && wnd->m_hWnd == hwnd) return Dispatch(wnd, hwnd, msg, wp, lp);
    // Unbound while a later subclass still calls us: pass the message down the chain.
    WNDPROC prev = LookupUnboundProc(hwnd);
    return prev ? ::CallWindowProcA(prev, hwnd, msg, wp, lp) : ::DefWindowProcA(hwnd, msg, wp, lp);
}

bool CWnd::ChainProcedure(HWND hwnd) {
    m_prevProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc)));
    // Ours already (an earlier object left it chained): continue where that one did.
    if (m_prevProc == &CWnd::SubclassProc) m_prevProc = LookupUnboundProc(hwnd);
    if (!m_prevProc) return false;
    m_subclassed = true;
    return true;
}

bool CWnd::SubclassWindow(HWND hwnd) {
    if (m_hWnd || !::IsWindow(hwnd) || FromHandlePermanent(hwnd)) return false;
    Bind(hwnd);
    PreSubclassWindow();
    if (!ChainProcedure(hwnd)) {
        Unbind();
        return false;
    }
    return true;
}

HWND CWnd::UnsubclassWindow() {
    if (!m_subclassed) return nullptr;
    HWND hwnd = m_hWnd;
    Unbind();
    return hwnd;
}

// ---- creation ------------------------------------------------------------------------------

const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    // Names must outlive every window of the class: keep them for the process's lifetime.
    static std::list<std::string> names;
    char name[96];
    std::snprintf(name, sizeof name, "QbWnd:%x:%p:%p:%p", classStyle, static_cast<void*>(cursor),
                  static_cast<void*>(background), static_cast<void*>(icon));
    for (const std::string& n : names)
        if (n == name) return n.c_str();
    WNDCLASSA wc{};
    wc.style = classStyle;
    wc.lpfnWndProc = &CWnd::WndProc;
    wc.cbWndExtra = sizeof(CWnd*);
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    if (!::RegisterClassA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    names.emplace_back(name);
    return names.back().c_str();
}

bool CWnd::PreCreateWindow(CREATESTRUCTA& cs) {
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    return cs.lpszClass != nullptr;
}

bool CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y, int cx,
                    int cy, HWND parent, HMENU menuOrId) {
    if (m_hWnd) return false;
    CREATESTRUCTA cs{};
    cs.dwExStyle = exStyle;
    cs.lpszClass = className;
    cs.lpszName = windowName;
    cs.style = style;
    cs.x = x;
    cs.y = y;
    cs.cx = cx;
    cs.cy = cy;
    cs.hwndParent = parent;
    cs.hMenu = menuOrId;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = this;
    if (!PreCreateWindow(cs)) return false;
    HWND hwnd = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                                  cs.hwndParent, cs.hMenu, cs.hInstance, this);
    if (!hwnd) {
        Unbind();
        return false;
    }
    if (!m_hWnd) {
        // A class of the system (a common control): bind it from now on.
        if (!SubclassWindow(hwnd)) {
            ::DestroyWindow(hwnd);
            return false;
        }
    }
    return true;
}

bool CWnd::Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateEx(0, className, windowName, style | WS_CHILD, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

bool CWnd::DestroyWindow() { return m_hWnd && ::DestroyWindow(m_hWnd); }

// ---- dispatch ------------------------------------------------------------------------------

const afx::MsgMap* CWnd::ThisMessageMap() {
    static const afx::MsgMapEntry entries[] = {{0, 0, 0, 0, nullptr}};
    static const afx::MsgMap map = {CCmdTarget::ThisMessageMap(), entries};
    return &map;
}

const afx::MsgMap* CWnd::GetMessageMap() const { return ThisMessageMap(); }

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnWndMsg(message, wParam, lParam, &result)) return result;
    return DefaultHandling(message, wParam, lParam);
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_COMMAND) {
        *result = 0;
        return OnCommand(wParam, lParam);
    }
    if (message == WM_NOTIFY) {
        *result = 0;
        return OnNotify(wParam, lParam, result);
    }
    afx::MsgCall call{message, wParam, lParam, 0, nullptr, result};
    return DispatchEntry(message, 0, 0, call);
}

bool CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    // Menus and accelerators both count as plain commands (code 0).
    const int code = lParam ? HIWORD(wParam) : 0;
    return OnCmdMsg(LOWORD(wParam), code, nullptr, nullptr);
}

bool CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* result) {
    auto* nm = reinterpret_cast<NMHDR*>(lParam);
    if (!nm) return false;
    return OnCmdMsg(static_cast<UINT>(nm->idFrom), 0, nm, result);
}

bool CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    afx::MsgCall call{WM_REFLECT_BASE + message, wParam, lParam, 0, nullptr, result};
    if (message == WM_COMMAND) return DispatchEntry(WM_REFLECT_BASE + WM_COMMAND, HIWORD(wParam), 0, call);
    if (message == WM_NOTIFY) {
        call.notify = reinterpret_cast<NMHDR*>(lParam);
        return DispatchEntry(WM_REFLECT_BASE + WM_NOTIFY, call.notify->code, 0, call);
    }
    return DispatchEntry(WM_REFLECT_BASE + message, 0, 0, call);
}

LRESULT CWnd::DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND child = ReflectionTarget(m_hWnd, message, wParam, lParam);
    if (child && child != m_hWnd) {
        if (CWnd* control = FromHandlePermanent(child)) {
            LRESULT result = 0;
            if (control->OnChildNotify(message, wParam, lParam, &result)) return result;
        }
    }
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_subclassed) return ::CallWindowProcA(m_prevProc, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    for (const CurrentMsg* c = t_current; c; c = c->outer)
        if (c->wnd == this) return DefaultHandling(c->message, c->wParam, c->lParam);
    return 0;
}

bool CWnd::PreTranslateMessage(MSG*) { return false; }

bool AfxWalkPreTranslate(HWND stop, MSG* msg) {
    for (HWND hwnd = msg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
        if (CWnd* wnd = CWnd::FromHandlePermanent(hwnd)) {
            if (wnd->PreTranslateMessage(msg)) return true;
        }
        // A top-level window ends the walk: its owner is another window's business.
        if (hwnd == stop || !(::GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)) break;
    }
    return false;
}

// ---- helpers -------------------------------------------------------------------------------

LRESULT CWnd::SendMessage(UINT msg, WPARAM wp, LPARAM lp) const { return ::SendMessageA(m_hWnd, msg, wp, lp); }
bool CWnd::PostMessage(UINT msg, WPARAM wp, LPARAM lp) const { return ::PostMessageA(m_hWnd, msg, wp, lp) != FALSE; }
HWND CWnd::GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
HWND CWnd::GetParent() const { return ::GetParent(m_hWnd); }

void CWnd::SetWindowText(const std::string& text) { ::SetWindowTextA(m_hWnd, text.c_str()); }
bool CWnd::ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd) != FALSE; }
HWND CWnd::SetFocus() { return ::SetFocus(m_hWnd); }
void CWnd::GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
void CWnd::GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
void CWnd::ScreenToClient(POINT* pt) const { ::ScreenToClient(m_hWnd, pt); }
void CWnd::ScreenToClient(RECT* rect) const { ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(rect), 2); }
bool CWnd::SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags) != FALSE;
}
void CWnd::Invalidate(bool erase) { ::InvalidateRect(m_hWnd, nullptr, erase); }
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }
DWORD CWnd::GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }

static bool ModifyLong(HWND hwnd, int index, DWORD remove, DWORD add, UINT swpFlags) {
    DWORD style = static_cast<DWORD>(::GetWindowLongA(hwnd, index));
    DWORD changed = (style & ~remove) | add;
    if (style == changed) return false;
    ::SetWindowLongA(hwnd, index, static_cast<LONG>(changed));
    if (swpFlags)
        ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    return true;
}

bool CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) {
    return ModifyLong(m_hWnd, GWL_STYLE, remove, add, swpFlags);
}
bool CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags) {
    return ModifyLong(m_hWnd, GWL_EXSTYLE, remove, add, swpFlags);
}
HICON CWnd::SetIcon(HICON icon, bool big) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}
int CWnd::MessageBox(const std::string& text, const std::string& caption, UINT type) {
    return ::MessageBoxA(m_hWnd, text.c_str(), caption.c_str(), type);
}
void CWnd::DragAcceptFiles(bool accept) { ::DragAcceptFiles(m_hWnd, accept); }
int CWnd::SetScrollInfo(int bar, SCROLLINFO* info, bool redraw) {
    info->cbSize = sizeof(SCROLLINFO);
    return ::SetScrollInfo(m_hWnd, bar, info, redraw);
}
bool CWnd::GetScrollInfo(int bar, SCROLLINFO* info, UINT mask) const {
    info->cbSize = sizeof(SCROLLINFO);
    info->fMask = mask;
    return ::GetScrollInfo(m_hWnd, bar, info) != FALSE;
}

void CWnd::RepositionBars(UINT idFirst, UINT idLast, UINT idLeftOver, UINT mode, RECT* rectParam,
                          const RECT* rectClient) {
    AFX_SIZEPARENTPARAMS layout{};
    if (rectClient) layout.rect = *rectClient;
    else ::GetClientRect(m_hWnd, &layout.rect);
    layout.query = mode == reposQuery;
    HWND leftOver = nullptr;
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const UINT id = static_cast<UINT>(::GetDlgCtrlID(child));
        if (id == idLeftOver && idLeftOver != 0) leftOver = child;
        else if (id >= idFirst && id <= idLast)
            ::SendMessageA(child, WM_SIZEPARENT, 0, reinterpret_cast<LPARAM>(&layout));
    }
    if (layout.query) {
        if (rectParam) *rectParam = layout.rect;
        return;
    }
    if (leftOver) {
        const RECT& r = layout.rect;
        ::MoveWindow(leftOver, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
}
