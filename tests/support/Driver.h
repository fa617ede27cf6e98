// Driving real windows as a user would, for every Wine test: dialogs of this process run
// modally on the test thread and driven from a second one, and the real Quillet.exe started
// by a test and driven from outside. Texts go in and come out in ANSI; across processes
// they are read with the W messages (the A ones come back as raw UTF-16 under Wine).
#pragma once
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "WinTest.h"

namespace drive {

// A top-level window of process `pid` that `is` takes, waited for up to ms; null when none comes.
HWND WaitWindowWhere(DWORD pid, const std::function<bool(HWND)>& is, DWORD ms);
// A visible top-level window of process `pid` of class `cls` and, unless empty or null,
// this text and owner, waited for up to ms; null when none shows.
HWND WaitWindow(const char* cls, const std::string& text = {}, DWORD ms = wintest::kWaitMs,
                DWORD pid = GetCurrentProcessId(), HWND owner = nullptr);
inline HWND WaitDialog(const std::string& caption, DWORD ms = wintest::kWaitMs, DWORD pid = GetCurrentProcessId()) {
    return WaitWindow("#32770", caption, ms, pid);
}
bool WaitGone(HWND hwnd, DWORD ms = wintest::kWaitMs);
std::string Text(HWND hwnd);
std::vector<std::string> ComboItems(HWND combo);

// A button's click, posted: its handler may run a dialog of its own.
void Press(HWND dialog, int id);
void PostKey(HWND hwnd, UINT vk);
// The shortcut editor: location (IDC_LOCATION) and name (IDC_NAME) set, then Enter pressed
// for real.
void FillEditor(HWND editor, const std::string& location, const std::string& name);
void MouseMoveTo(int x, int y);  // real input at a screen point
void MouseClick(int x, int y, bool right = false);
// A click in the middle of `window`, its top-level window brought to the front first; false
// when that does not come.
bool ClickMiddle(HWND window);
// Real keys, as a person presses them; they reach the foreground window's focus. Chord:
// the modifiers (VK_CONTROL, VK_SHIFT, VK_MENU) held down while `vk` is pressed.
void Key(UINT vk);
void Chord(std::initializer_list<UINT> modifiers, UINT vk);
// Typed characters. Latin only: under Wine a character typed this way reaches a window fed by
// an ANSI loop as '?' unless it is ASCII (paste Chinese text instead).
void Type(const std::string& ascii);
// Brings a top-level window to the front so that real keys reach it; false when it does not come.
bool ToFront(HWND hwnd);
// A real Tab (Shift+Tab: back) in the program of `window`, waited for until the keyboard has left
// the place it was in; false when it stays, or the window is gone.
bool Tab(HWND window, bool back = false);
// Returns once the thread of `window` has handled every message posted to it before the call,
// and what those posted in turn: `window` brought to the front, and a Tab. A thread takes input
// only once no posted message is left, so no wait for a time is needed.
bool Settle(HWND window);
// Where real keys go in the program of `window`: the keyboard focus of its thread.
HWND Focus(HWND window);
// The letter a control's text marks with '&' (for Chord({VK_MENU}, ...)); 0 for none.
UINT Mnemonic(HWND control);
// The message box with this caption, answered with Enter as a user would; its text, or
// "<no box>" when none came.
std::string AnswerBox(const std::string& caption, DWORD ms = wintest::kWaitMs);

// Runs `modal` on this thread and `steps` on a second one; whatever dialogs are still open
// when the steps end are cancelled, innermost first, so a failed step cannot hang the test.
int Run(const std::function<int()>& modal, const std::function<void()>& steps);
// The same for a program's own message loop: the command `exit` (its menu's Exit), posted to
// `frame` once the steps are done (or have failed), ends it.
int RunToExit(const std::function<int()>& loop, HWND frame, UINT exit, const std::function<void()>& steps);

// Runs `call` on the thread of `window` (of this process), from its message loop, once that
// thread has taken every message posted to it before; waits up to ms for it to have run. With
// nothing to call: what was posted before (a job's end notice) has been handled.
bool OnWindowThread(
    HWND window, const std::function<void()>& call = [] {}, DWORD ms = wintest::kWaitMs);

// A list view of any process, read and selected through a block of its memory: rows as
// "name = location" (columns 0 and 1); row -1 clears the selection.
std::vector<std::string> Rows(HWND list);
void SelectRow(HWND list, int row);
// Centre of a row in the list's client coordinates (this process only); for -1, a point on
// empty space below the rows.
POINT RowPoint(HWND list, int row);
std::vector<std::string> MenuItems(HWND menuWindow);  // of a shown popup menu (#32768)

// A movable global block holding a copy of these bytes (as the clipboard and a drop take
// them), or null.
HGLOBAL GlobalCopy(const void* bytes, size_t size);
// Puts these formats on the emptied clipboard, as one copy; false when any is not put.
struct ClipboardData {
    UINT format;
    const void* bytes;
    size_t size;
};
bool PutClipboard(std::initializer_list<ClipboardData> items);
// Puts ANSI text on the clipboard as CF_TEXT, or UTF-16 text as CF_UNICODETEXT.
bool PutClipboardText(const std::string& ansi);
bool PutClipboardText(const std::wstring& text);
// Visible top-level windows of other processes, right now.
std::set<HWND> ForeignWindows();
// The title of a titled Explorer window not in `before`, or "" if none comes in time.
std::string WaitForNewExplorerWindow(const std::set<HWND>& before, DWORD ms);
// "C:\qbtests\<name>\", made if missing: on the system drive Explorer titles it by its name.
std::string DriveFolder(const char* name);

// A file's name typed into an Open or Save dialog once the dialog has the keyboard in its name
// box (keys sent sooner go elsewhere or are lost), and Enter pressed once the box holds it all;
// false when it does not come to that.
bool TypeIntoNameBox(HWND dialog, const std::string& name);

// The clipboard held open by another window, as clipboard history holds it right after a copy,
// from a thread of its own: from the constructor's return until LetGo (or the object goes).
class ClipboardHolder {
public:
    ClipboardHolder();
    ~ClipboardHolder();
    void LetGo();  // returns once the clipboard is free again

private:
    HANDLE m_letGo;
    std::thread m_thread;
};

// A clipboard viewer that joins the chain and then stops answering, as a hung clipboard tool
// does: its thread answers nothing sent to it until the object goes.
class HungViewer {
public:
    HungViewer();
    ~HungViewer();

private:
    HANDLE m_release;
    std::thread m_thread;
};

// The program `exe` started with a command line of its quoted path and `arguments`, in `folder`
// (null: this one's); its process (null when it did not start), its handles the caller's.
PROCESS_INFORMATION Launch(const std::string& exe, const std::string& arguments = {}, const char* folder = nullptr);

// Ends the session as logoff does: Wine's wineboot sends the system's end-session messages to
// every window of the prefix, then ends each process that has one. False, ending nothing,
// while this program has a window: it would be ended too, and with a success code.
bool EndSession();

// One line of Quillet's shortcut file: the location, 0x03, the name.
inline std::string IniLine(const std::string& location, const std::string& name) {
    return location + '\x03' + name + "\r\n";
}

// The real Quillet.exe, copied into a scratch folder of its own so that the shortcut file
// beside it (Quillet.ini) belongs to that run alone, or to the runs of one scratch name, as to
// strips started from one folder.
class StripRun {
public:
    explicit StripRun(const char* scratchName);
    ~StripRun();  // ends the program if a test left it running
    StripRun(const StripRun&) = delete;
    StripRun& operator=(const StripRun&) = delete;

    const std::string& Folder() const { return m_folder; }  // with a trailing backslash
    std::string IniPath() const { return m_folder + "Quillet.ini"; }
    bool WriteIni(const std::string& bytes) const { return wintest::WriteFileBytes(IniPath(), bytes); }
    std::string ReadIni() const {  // empty when missing
        std::string data;
        return wintest::ReadFileBytes(IniPath(), data) ? data : std::string();
    }

    bool Start();  // false when the program or its strip does not come up
    bool Running() const { return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT; }
    bool WaitExit(DWORD ms) const {
        return wintest::WaitUntil([&] { return !Running(); }, ms);
    }
    DWORD Pid() const { return m_pid; }

    HWND Strip() const { return m_strip; }
    HWND Item(int id) const { return GetDlgItem(m_strip, id); }
    HWND Picker() const;
    void Press(int id) const { drive::Press(m_strip, id); }
    bool Close(DWORD ms = 2 * wintest::kWaitMs) const;  // its close button, the one way to end it
    std::vector<std::string> PickerItems() const { return ComboItems(Picker()); }
    int PickerSelection() const { return (int)SendMessageW(Picker(), CB_GETCURSEL, 0, 0); }
    HWND WaitWindow(const char* cls, const std::string& text = {}, DWORD ms = wintest::kWaitMs,
                    HWND owner = nullptr) const {
        return drive::WaitWindow(cls, text, ms, m_pid, owner);
    }
    HWND WaitDialog(const std::string& caption, DWORD ms = wintest::kWaitMs) const {
        return WaitWindow("#32770", caption, ms);
    }
    bool Settle() const { return drive::Settle(m_strip); }  // what was posted to the strip, handled

private:
    std::string m_folder;
    HANDLE m_process = nullptr;
    DWORD m_pid = 0;
    HWND m_strip = nullptr;
};

}  // namespace drive
