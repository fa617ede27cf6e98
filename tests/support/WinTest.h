// Helpers shared by the Windows test programs (run under Wine by the rig).
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace wintest {

// UTF-8 source text (the tests are written in UTF-8) to bytes in the ANSI code page.
std::string A(const char* utf8);
// ANSI code-page bytes to UTF-8, for readable failure messages.
std::string U(const std::string& ansi);
// UTF-16 (another process's texts, read with the W messages) to ANSI code-page bytes.
std::string Ansi(const std::wstring& w);

// The bound of a wait for what has to happen: it decides only when a test gives up, so it
// leaves room for a machine several times slower than the one the test was written on, and
// busy with other work.
constexpr DWORD kWaitMs = 30000;

// Pumps this thread's messages until pred() holds or timeoutMs passes; returns pred().
bool WaitUntil(const std::function<bool()>& pred, DWORD timeoutMs = kWaitMs);
// Pumps this thread's messages for ms milliseconds.
void PumpFor(DWORD ms);

// Folder of the rig (QB_RIG_DIR) as a Windows path, with a trailing backslash; empty
// when the test runs outside the rig.
std::string RigDir();
// A fresh scratch folder under the rig (or the temp folder) for this test.
std::string ScratchDir(const char* name);
// A file of the build this test program belongs to (<build>\tests\<folder>\<test>.exe), by
// its path there: "brindle\\Brindle.exe".
std::string BuildFile(const std::string& path);

bool ReadFileBytes(const std::string& path, std::string& out);
bool WriteFileBytes(const std::string& path, const std::string& data);
// Runs a command line in `folder` (null: this one's) and waits up to ms for it to end; false
// when it cannot start or does not end in time.
bool RunAndWait(std::string command, DWORD ms, const char* folder = nullptr);

// A message box (or any dialog of class #32770) seen and answered by MessageBoxWatcher.
struct SeenBox {
    std::string caption;  // ANSI
    std::string text;     // ANSI, the static text with id 0xFFFF
    HWND owner;
};

// Watches, from a second thread, for top-level dialogs of the given process (this one by
// default) and answers each by pressing the button with id `answer` (IDOK, IDYES, IDNO...).
// Needed because MessageBoxA blocks the thread under test until it is dismissed.
class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(int answer = IDOK, DWORD pid = GetCurrentProcessId());
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    std::vector<SeenBox> Seen();
    // True once `count` boxes in all have been seen, false if they do not come within ms.
    bool WaitSeen(size_t count, DWORD ms = kWaitMs);
    // The same once the last of them has been answered and has gone.
    bool WaitAnswered(size_t count, DWORD ms = kWaitMs);
    void SetAnswer(int answer);

private:
    void Run();

    std::mutex m_lock;
    std::atomic<bool> m_stop{false};
    int m_answer;
    DWORD m_pid;
    std::vector<SeenBox> m_seen;
    size_t m_answered = 0;  // of m_seen, the boxes gone
    std::thread m_thread;   // last: it starts once the rest is set
};

// Where a job of the program under test (a search, a comparison) stops until the test opens
// it: a step that needs the job still running gets it whatever the machine's speed. The job's
// thread comes to it through what the job reads (a source of the test's, a page of memory).
class Gate {
public:
    Gate();
    ~Gate();  // opens the gate, so that no thread is left waiting
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;

    // The job's side: waits here until the gate opens.
    void Pass();
    // True once `threads` threads in all have come to the gate, false if they do not within ms.
    bool Reached(size_t threads, DWORD ms = kWaitMs);
    void Open();
    // True once every thread that came to the gate has ended, false if one has not within ms:
    // whatever it would have done when let through, it has done.
    bool Left(DWORD ms = kWaitMs);

private:
    std::mutex m_lock;
    std::vector<HANDLE> m_threads;
    HANDLE m_open;
};

// A registry key under HKEY_CURRENT_USER\Software\QbTests that the test creates and that
// is deleted (with everything below it) when the object goes.
class ScratchKey {
public:
    explicit ScratchKey(const std::string& relative);  // ANSI, below Software\QbTests
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    const std::string& Path() const { return m_path; }  // "HKEY_CURRENT_USER\Software\QbTests\..."
    bool Ok() const { return m_ok; }
    // Sets a string value of the key ("" the default value); false when it cannot.
    bool SetValue(const std::string& name, const std::string& data = "x") const;

private:
    std::string m_sub;
    std::string m_path;
    bool m_ok = false;
};

// Saves a picture of the window (or the whole screen when hwnd is null) as a 24-bit BMP.
bool SaveScreenshot(HWND hwnd, const std::string& path);
// The screen's pixels inside rc (screen coordinates), top row first, each 0x00RRGGBB.
std::vector<DWORD> ScreenPixels(const RECT& rc);

// Display scaling: the rig's script runs the scaling tests at 96, 144 and 192 DPI, in that
// order. At 96 the figures are stored under `name` in the rig folder and returned as they
// are; at other scales the ones stored at 96 come back (empty when there are none).
int ScreenDpi();
std::vector<int> FiguresAt96(const std::string& name, const std::vector<int>& figures);

}  // namespace wintest
