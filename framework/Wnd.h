// Windows with message maps: CCmdTarget (anything that takes commands) and CWnd.
//
// HOW A WINDOW HANDLES MESSAGES (the one convention of this framework)
//
//   class CMyView : public CWnd {
//   public:
//       bool PreCreateWindow(CREATESTRUCTA& cs) override;   // class and styles before creation
//   protected:
//       LRESULT OnPaint(WPARAM, LPARAM);                     // any window message
//       LRESULT OnSize(WPARAM, LPARAM);
//       void OnFileOpen();                                   // a command (menu item, button click)
//       DECLARE_MESSAGE_MAP()
//   };
//
//   BEGIN_MESSAGE_MAP(CMyView, CWnd)
//       ON_MESSAGE(WM_PAINT, OnPaint)
//       ON_MESSAGE(WM_SIZE, OnSize)
//       ON_COMMAND(ID_FILE_OPENTEXT, OnFileOpen)
//   END_MESSAGE_MAP()
//
// - Lookup goes through the class's own table, then its base class's table and so on up to
//   CWnd; the first entry that matches wins. An entry that matches HAS HANDLED the message:
//   the window procedure returns the handler's result (ON_MESSAGE) or 0.
// - A message no table lists gets the default handling: for WM_COMMAND from a control,
//   WM_NOTIFY and WM_DRAWITEM (found by id) the message is first offered back
//   to the object bound to that child (OnChildNotify, which looks up the child's *_REFLECT
//   entries); if that does not handle it, or for every other message, the default window
//   procedure runs (for a subclassed control: the control's own procedure; for a dialog: the
//   dialog manager's). So the parent's own entries come first, the child's second.
// - Frames route commands: the pane's object first, then the frame, then the application.
// - Keys before dispatch: the message loop offers each message to PreTranslateMessage of the
//   bound windows from its target up to the first top-level window (AfxWalkPreTranslate). A
//   dialog's Enter, Esc, Tab and mnemonics come only from IsDialogMessage, which the dialog's
//   object calls there (CDialog, CFindReplaceDialog): a dialog with no object of ours behind
//   it gets none of them.
// - Inside a handler, Default() runs that default handling for the current message and returns
//   its result ("do the usual thing, then/before mine").
// - Commands: ON_COMMAND matches menu items, accelerators and control notification code 0
//   (BN_CLICKED). Other notification codes: ON_CONTROL_REFLECT(code, fn) in the control's own
//   class.
// - Result conventions: ON_NOTIFY handlers get *result preset to 0; the _EX variants return
//   false for "not mine" (lookup then continues as if the entry did not exist).
// - Dialogs: handlers return their value directly; the framework's dialogs are subclassed,
//   so WM_NOTIFY results and colour brushes reach the sender without DWLP_MSGRESULT.
// - No exception leaves a window procedure; handlers report failure with values.
// - Inside a window class the helpers below (SendMessage, GetParent, ShowWindow...) hide
//   the Win32 functions of the same name: write ::GetParent(hwnd) for another window.
//
// Handler signatures by entry:
//   ON_MESSAGE(msg, fn)                      LRESULT fn(WPARAM, LPARAM)
//   ON_COMMAND(id, fn)                       void fn()
//   ON_NOTIFY_EX_RANGE(code, first, last, fn) bool fn(UINT id, NMHDR*, LRESULT*)
//   ON_CONTROL_REFLECT(code, fn)             void fn()                    (in the control)
//   ON_NOTIFY_REFLECT(code, fn)              void fn(NMHDR*, LRESULT*)    (in the control)
//
// Binding: a window this framework creates (Create/CreateEx) is bound at WM_NCCREATE from
// lpCreateParams, so WM_CREATE reaches the map; an existing window (a dialog's control,
// DDX_Control) is bound by SubclassWindow, after which its messages pass our map first and
// then its own procedure. The binding ends at WM_NCDESTROY (then PostNcDestroy runs).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "AfxRes.h"
#include "Types.h"

class CCmdTarget;
class CWnd;

// Reflected messages carry this offset in a control's message map.
#define WM_REFLECT_BASE 0xBC00
// Sent by RepositionBars to each control bar: lParam is an AFX_SIZEPARENTPARAMS*.
#define WM_SIZEPARENT 0x0361

namespace afx {

// Everything a handler thunk may need of the message being dispatched.
struct MsgCall {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    UINT id;          // command or child id
    NMHDR* notify;    // WM_NOTIFY only
    LRESULT* result;  // where the handler's result goes
};

using Thunk = bool (*)(CCmdTarget* target, const MsgCall& call);

struct MsgMapEntry {
    UINT message;  // WM_xxx, WM_COMMAND, WM_NOTIFY, or WM_REFLECT_BASE + one of them
    UINT code;     // notification code (WM_COMMAND / WM_NOTIFY)
    UINT idFirst;
    UINT idLast;
    Thunk thunk;  // null ends the table
};

struct MsgMap {
    const MsgMap* base;
    const MsgMapEntry* entries;
};

template <class T, auto F>
bool MessageThunk(CCmdTarget* t, const MsgCall& c) {
    *c.result = (static_cast<T*>(t)->*F)(c.wParam, c.lParam);
    return true;
}
template <class T, auto F>
bool CommandThunk(CCmdTarget* t, const MsgCall&) {
    (static_cast<T*>(t)->*F)();
    return true;
}
template <class T, auto F>
bool NotifyThunk(CCmdTarget* t, const MsgCall& c) {
    (static_cast<T*>(t)->*F)(c.notify, c.result);
    return true;
}
template <class T, auto F>
bool NotifyExThunk(CCmdTarget* t, const MsgCall& c) {
    return (static_cast<T*>(t)->*F)(c.id, c.notify, c.result);
}

}  // namespace afx

#define DECLARE_MESSAGE_MAP()                            \
protected:                                               \
    static const ::afx::MsgMap* ThisMessageMap();        \
                                                         \
public:                                                  \
    const ::afx::MsgMap* GetMessageMap() const override; \
                                                         \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                        \
    const ::afx::MsgMap* theClass::GetMessageMap() const { return ThisMessageMap(); } \
    const ::afx::MsgMap* theClass::ThisMessageMap() {                                 \
        using ThisClass = theClass;                                                   \
        using TheBaseClass = baseClass;                                               \
        static const ::afx::MsgMapEntry entries[] = {
#define END_MESSAGE_MAP()                                                       \
    { 0, 0, 0, 0, nullptr }                                                     \
    }                                                                           \
    ;                                                                           \
    static const ::afx::MsgMap map = {TheBaseClass::ThisMessageMap(), entries}; \
    return &map;                                                                \
    }

#define ON_MESSAGE(msg, fn) {(UINT)(msg), 0, 0, 0, &::afx::MessageThunk<ThisClass, &ThisClass::fn>},
#define ON_COMMAND(id, fn)  {WM_COMMAND, 0, (UINT)(id), (UINT)(id), &::afx::CommandThunk<ThisClass, &ThisClass::fn>},
#define ON_NOTIFY_EX_RANGE(code, first, last, fn) \
    {WM_NOTIFY, (UINT)(code), (UINT)(first), (UINT)(last), &::afx::NotifyExThunk<ThisClass, &ThisClass::fn>},
#define ON_CONTROL_REFLECT(code, fn) \
    {WM_REFLECT_BASE + WM_COMMAND, (UINT)(code), 0, 0, &::afx::CommandThunk<ThisClass, &ThisClass::fn>},
#define ON_NOTIFY_REFLECT(code, fn) \
    {WM_REFLECT_BASE + WM_NOTIFY, (UINT)(code), 0, 0, &::afx::NotifyThunk<ThisClass, &ThisClass::fn>},

// Anything that can take commands through a message map (windows and the application).
class CCmdTarget {
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // Offers a command (notify == null; code = notification code, 0 for menus) or a
    // WM_NOTIFY (notify != null; result receives its result) to this object's tables.
    // Returns whether a handler took it. Frames override it to ask their view first.
    virtual bool OnCmdMsg(UINT id, int code, NMHDR* notify, LRESULT* result);

    virtual const afx::MsgMap* GetMessageMap() const;

protected:
    static const afx::MsgMap* ThisMessageMap();
    // Runs the first entry of the table chain matching message/code/id; true when handled.
    bool DispatchEntry(UINT message, UINT code, UINT id, afx::MsgCall& call);
};

// Arguments of WM_SIZEPARENT (RepositionBars): each bar takes its strip off `rect`.
struct AFX_SIZEPARENTPARAMS {
    RECT rect;   // space still free in the parent's client area
    bool query;  // true: only compute, move nothing
};

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;  // destroys a window it created; gives a subclassed one back

    HWND m_hWnd = nullptr;
    operator HWND() const { return m_hWnd; }

    // The object bound to hwnd by this framework, or null.
    static CWnd* FromHandlePermanent(HWND hwnd);

    // Creation. PreCreateWindow may change class, styles, position; when it leaves
    // lpszClass null a default class (CS_DBLCLKS, arrow cursor, window brush) is used.
    virtual bool PreCreateWindow(CREATESTRUCTA& cs);
    bool CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y, int cx,
                  int cy, HWND parent, HMENU menuOrId);
    bool Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id);
    bool DestroyWindow();

    // Binding an existing window (a dialog's control). PreSubclassWindow runs with m_hWnd set,
    // before the first message passes our map.
    bool SubclassWindow(HWND hwnd);
    HWND UnsubclassWindow();
    virtual void PreSubclassWindow() {}

    // Message processing (see the convention above).
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual bool PreTranslateMessage(MSG* msg);  // true = consumed, do not dispatch
    LRESULT Default();                           // default handling of the current message
    virtual bool OnCommand(WPARAM wParam, LPARAM lParam);
    virtual bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // A message sent to the parent that the parent left unhandled, offered back to this
    // control (its *_REFLECT entries). message is the original WM_ number.
    virtual bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual void PostNcDestroy() {}

    // Thin helpers over the window handle.
    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const;
    bool PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const;
    HWND GetDlgItem(int id) const;
    HWND GetParent() const;
    void SetWindowText(const std::string& text);
    bool ShowWindow(int cmd);
    HWND SetFocus();
    void GetClientRect(RECT* rect) const;
    void GetWindowRect(RECT* rect) const;
    void ScreenToClient(POINT* pt) const;
    void ScreenToClient(RECT* rect) const;
    bool SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
    void Invalidate(bool erase = true);
    void UpdateWindow();
    DWORD GetStyle() const;
    bool ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    bool ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0);
    HICON SetIcon(HICON icon, bool big);
    int MessageBox(const std::string& text, const std::string& caption, UINT type = MB_OK);
    void DragAcceptFiles(bool accept = true);
    int SetScrollInfo(int bar, SCROLLINFO* info, bool redraw = true);
    bool GetScrollInfo(int bar, SCROLLINFO* info, UINT mask = SIF_ALL) const;

    // Control bars: each child with an id in [first, last] takes its strip of the client area
    // (WM_SIZEPARENT); the child idLeftOver then gets what remains. mode reposQuery moves
    // nothing and returns the remaining rectangle in *rectParam.
    enum { reposDefault = 0, reposQuery = 1 };
    void RepositionBars(UINT idFirst, UINT idLast, UINT idLeftOver, UINT mode = reposDefault, RECT* rectParam = nullptr,
                        const RECT* rectClient = nullptr);

protected:
    // Table lookup for one message (WM_COMMAND and WM_NOTIFY go through OnCommand/OnNotify).
    virtual bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // The default window procedure of this window (DefWindowProc, the subclassed window's
    // own procedure, or the dialog manager).
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Default handling: reflection to the child object first (three message kinds: WM_COMMAND
    // from a control, WM_NOTIFY, WM_DRAWITEM), then DefWindowProc. Written once, here.
    LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam);

    static const afx::MsgMap* ThisMessageMap();

public:
    const afx::MsgMap* GetMessageMap() const override;

private:
    friend class CDialog;
    friend const char* AfxRegisterWndClass(UINT, HCURSOR, HBRUSH, HICON);
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    // Procedure of a window bound by subclassing: ours, chained in front of its own.
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    bool ChainProcedure(HWND hwnd);
    static LRESULT Dispatch(CWnd* wnd, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void Bind(HWND hwnd);
    void Unbind();

    bool m_subclassed = false;  // bound by chaining SubclassProc in front of m_prevProc
    WNDPROC m_prevProc = nullptr;
    bool m_ownClass = false;  // bound at WM_NCCREATE of one of our classes
};

// Registers (once per distinct argument set) a window class whose procedure binds CWnd
// objects, and returns its name. Null handles mean none.
const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                                HICON icon = nullptr);

// Offers msg to PreTranslateMessage of every bound window from msg->hwnd up its parents,
// stopping after `stop` or after the first top-level window. True when one consumed it.
bool AfxWalkPreTranslate(HWND stop, MSG* msg);
