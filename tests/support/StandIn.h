// Driving and reading the stand-in registry editor (tests/fixtures) from the Wine tests.
//
// The editor appends one line per event to the file named by QB_STANDIN_LOG, written with
// one unbuffered write each, so a test can read the file while the editor runs:
//
//     <ms> TAB <kind> TAB <code> TAB <text> CR LF
//
//   ms    time of arrival in milliseconds on the performance counter, three decimals; the
//         counter is shared by every process of the prefix and NowMs() below reads it too
//   kind  START    the editor process began: code = its process id, text = the marker
//         KEYDOWN  the key tree received WM_KEYDOWN: code = the virtual-key code
//         CHAR     the key tree received WM_CHAR: code = the UTF-16 character (a double-byte
//                  character sent as two ANSI bytes arrives as one)
//         LIST     the value list was filled: code = its rows
//         VALUE    a row of the value list became selected: code = its index (0: the default
//                  value's row)
//   code  hexadecimal, no prefix
//   text  for KEYDOWN and CHAR the path selected after the message was handled, in ANSI
//         bytes, without the computer item ("HKEY_CURRENT_USER\Software"; empty when the
//         computer item itself is selected); for LIST the key whose values it shows; for
//         VALUE the row's label, the value's name ("(默认)" for the default value)
//
// The editor's other options are environment variables, set in this process so that an
// editor started from it inherits them: QB_STANDIN_NO_TREE=1 (no key tree),
// QB_STANDIN_BUSY=<ms> (no window and never ready for input; exits after ms),
// QB_STANDIN_HANG=<ms> (stops answering that long after showing its window).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace standin {

struct Event {
    double ms = 0;
    std::string kind;  // "START", "KEYDOWN", "CHAR", "LIST", "VALUE"
    unsigned code = 0;
    std::string text;
};

// Only the KEYDOWN and CHAR events, in order.
std::vector<Event> Keystrokes(const std::vector<Event>& events);
size_t Count(const std::vector<Event>& events, const char* kind);
// The navigator's walks among them: each folds the tree, then goes HOME once.
size_t Walks(const std::vector<Event>& events);

// A readable digest of keystrokes: runs of one key as NAMExN, runs of characters as one
// quoted ANSI text: "LEFTx50 HOME RIGHT 'HKEY_CURRENT_USER' RIGHT 'SOFTWARE'".
std::string Describe(const std::vector<Event>& keystrokes);
// The path selected after the last keystroke; empty when there was none.
std::string FinalPath(const std::vector<Event>& keystrokes);

// Read by the editor too (tests/fixtures).
inline double NowMs() {
    LARGE_INTEGER freq, now;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

// A send to the key tree as the navigator's own makes it (each message waits 5 s at most),
// noting in Noted() when each message went and came back on NowMs' clock: handed to a navigator,
// it lets its pauses be timed in its own thread, between one message's return and the next
// one's start, where neither the editor's handling nor the turns of two processes on a busy
// machine lengthen them.
struct Sent {
    double went, back;
};
DWORD SendNoted(HWND tree, UINT message, WPARAM code);
std::vector<Sent>& Noted();

// Sets (value non-null) or removes an environment variable of this process for a scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::string m_old;
    bool m_had = false;
};

HWND FindEditor();            // a top-level "RegEdit_RegEdit" window, or null
HWND ValueList(HWND editor);  // its value list ("SysListView32"), or null
// The window that holds the keyboard focus in the thread of `window`, or null.
HWND KeyboardFocus(HWND window);
bool WaitHung(HWND editor);  // until the editor no longer answers (bounded)
int CountEditorProcesses();  // running processes named regedit.exe

// One test's session with the editor: a fresh log file named in QB_STANDIN_LOG for the
// session, and every editor ended before and after.
class Session {
public:
    explicit Session(const char* name);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    std::vector<Event> Events() const;
    std::vector<Event> Keys() const { return Keystrokes(Events()); }
    // The path the editor ends on once it is `want`, or when ms have passed.
    std::string WaitAt(const std::string& want, DWORD ms = 30000) const;
    // Once the value list shows `key`, filled after the last keystroke (it is filled a moment
    // after the tree's selection rests): the events so far. Empty when it does not in time.
    std::vector<Event> WaitListed(const std::string& key, DWORD ms = 10000) const;
    // The last VALUE event, or none (kind empty).
    static Event LastValue(const std::vector<Event>& events);

    // Starts "regedit.exe" the way the shell would and waits for its window (bounded).
    HWND Start(int showCmd = SW_SHOWNORMAL);

private:
    std::string m_log;
    ScopedEnv m_env;
};

}  // namespace standin
