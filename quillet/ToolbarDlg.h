// The strip: a thin, captionless, always-on-top modal dialog (IDD_TOOLBAR) with twelve
// picture buttons, the shortcut picker and the typed-path box. It owns the shortcut list,
// loads it when it opens and saves it when the close button or the end of the session ends
// the program.
//
// Other windows of the program talk to it only through the four program messages
// (WM_SHORTCUT_ITEM ... WM_SHORTCUT_REPLACE), sent synchronously within the one thread;
// every handler answers 0 for done and -1 for not done.
#pragma once

#include "Dialog.h"
#include "Gdi.h"
#include "PathBox.h"
#include "ShortcutPicker.h"
#include "ShortcutStore.h"
#include "ToolTipCtrl.h"
#include "resource.h"

// Posted by the strip to itself: open the clipboard's newest copy (ToolbarClipboard.cpp).
constexpr UINT WM_OPEN_COPIED = WM_APP + 1;

class CToolbarDlg : public CDialog {
public:
    enum { IDD = IDD_TOOLBAR };
    explicit CToolbarDlg(CWnd* parent = nullptr);
    ~CToolbarDlg() override;

    bool PreTranslateMessage(MSG* msg) override;

    // Picker-position operations: they keep the store and the picker in step. All fail
    // for an invalid position or an id of -1.
    bool Add(const Shortcut& shortcut);
    bool Delete(int position);
    bool Update(int position, const Shortcut& shortcut);
    bool Get(int position, Shortcut& shortcut);
    bool Open(int position);

    void SetManualOpen(bool on);

    // Clipboard watcher and clipboard commands (ToolbarClipboard.cpp).
    void SetAutoOpen(bool on);
    void OpenFromClipboard();
    void AddFromClipboard();
    void ClearClipboard();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnInitDialog() override;
    void OnOK() override {}      // Enter does not close the strip
    void OnCancel() override {}  // nor do Esc and Alt+F4: only IDC_CLOSE

    LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryDragIcon(WPARAM wParam, LPARAM lParam);
    LRESULT OnDrawItem(WPARAM wParam, LPARAM lParam);
    LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnEndSession(WPARAM wParam, LPARAM lParam);
    LRESULT OnClipboardUpdate(WPARAM wParam, LPARAM lParam);  // ToolbarClipboard.cpp
    LRESULT OnOpenCopied(WPARAM wParam, LPARAM lParam);       // ToolbarClipboard.cpp
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);            // ToolbarClipboard.cpp

    LRESULT OnShortcutItem(WPARAM wParam, LPARAM lParam);
    LRESULT OnShortcutQuery(WPARAM wParam, LPARAM lParam);
    LRESULT OnShortcutAction(WPARAM wParam, LPARAM lParam);
    LRESULT OnShortcutReplace(WPARAM wParam, LPARAM lParam);

    // Commands of the buttons, one per id (see the table in ToolbarDlg.cpp); the clipboard
    // buttons' AddFromClipboard, OpenFromClipboard and ClearClipboard are above.
    void OnRunRegEdit();
    void OnAdd();
    void OnDelete();
    void OnEdit();
    void OnManager();
    void OnAutoOpen();  // SetAutoOpen with the switch flipped
    void OnManualOpen();
    void OnAbout();
    void OnClose();
    DECLARE_MESSAGE_MAP()

private:
    bool RunAction(int action, int position);
    void RedrawButton(int id);
    void QueueCopy();  // one WM_OPEN_COPIED in the queue (ToolbarClipboard.cpp)
    void RetryCopy();  // the newest copy is held open: try it again shortly
    // The shortcut file beside the program, read once at start and written once at close.
    void LoadShortcutFile();
    void RefillPicker();  // empty the picker, then one WM_SHORTCUT_ITEM per shortcut
    void SaveShortcutFile();

    CPathBox m_pathBox;
    CShortcutPicker m_picker;
    CShortcutStore m_store;
    CToolTipCtrl m_tip;
    CBitmap m_stripNormal;
    CBitmap m_stripLit;
    int m_faceSize = 16;  // pixels of one face in the two strip bitmaps
    bool m_autoOpen = false;
    bool m_manualOpen = false;
    bool m_copyQueued = false;   // a WM_OPEN_COPIED waits in the queue
    bool m_openingCopy = false;  // within OnOpenCopied's open
    bool m_copyAgain = false;    // a copy came while OnOpenCopied was opening the one before
    DWORD m_openedCopy = 0;      // the clipboard sequence number auto-open last handled
    DWORD m_retriedCopy = 0;     // the copy RetryCopy waits for, and since when
    DWORD m_retriedSince = 0;
    HICON m_hIcon = nullptr;
};

// The About box (IDD_ABOUT): no logic of its own.
class CAboutDlg : public CDialog {
public:
    CAboutDlg() : CDialog(IDD_ABOUT) {}
};
