// Runs the real Quillet.exe as a child process and drives its strip from outside, as a
// user (or another program) would: window messages, combo-box queries, real mouse input.
//
// Each run works in a scratch folder of its own holding a copy of the program, so the
// shortcut file beside it (Quillet.ini) belongs to that run alone.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace striptest {

class StripRun {
public:
    explicit StripRun(const char* scratchName);
    ~StripRun();  // ends the program if a test left it running
    StripRun(const StripRun&) = delete;
    StripRun& operator=(const StripRun&) = delete;

    const std::string& Folder() const { return m_folder; }
    std::string IniPath() const { return m_folder + "Quillet.ini"; }
    bool WriteIni(const std::string& bytes) const;
    std::string ReadIni() const;  // empty when missing

    // Starts the program and waits for its strip; false when either fails.
    bool Start();
    bool Running() const;
    bool WaitExit(DWORD timeoutMs) const;
    DWORD Pid() const { return m_pid; }

    HWND Strip() const { return m_strip; }
    HWND Item(int id) const { return GetDlgItem(m_strip, id); }
    HWND Picker() const { return Item(1002); }
    HWND PathBox() const { return Item(1015); }

    // A button press as the button itself reports it; posted, so that a dialog the
    // command opens does not block the test.
    void Press(int id) const;
    // The close command, then waits for the program to end.
    bool Close(DWORD timeoutMs = 15000) const;

    // Items of a combo box of the strip, read with the W messages (the A ones come back
    // as raw UTF-16 across processes under Wine), converted to ANSI.
    static std::vector<std::string> ComboItems(HWND combo);
    std::vector<std::string> PickerItems() const { return ComboItems(Picker()); }
    int PickerSelection() const;

    // A top-level dialog of the program (class #32770, visible) whose caption is `caption`
    // (ANSI); null when none appears within the time.
    HWND WaitDialog(const std::string& caption, DWORD timeoutMs = 5000) const;
    // The dropped list of the picker (a top-level "ComboLBox" of the program), once shown.
    HWND WaitDroppedList(DWORD timeoutMs = 5000) const;
    // A visible popup menu window of the program.
    HWND WaitMenu(DWORD timeoutMs = 5000) const;

private:
    std::string m_folder;  // with a trailing backslash
    HANDLE m_process = nullptr;
    DWORD m_pid = 0;
    HWND m_strip = nullptr;
};

// The editor dialog of a shortcut: fills both fields and presses OK (posted).
void FillShortcutDialog(HWND dlg, const std::string& location, const std::string& name);
std::string WindowText(HWND hwnd);  // ANSI, read with WM_GETTEXT (W) across processes

// The screen's pixels in a rectangle (screen coordinates), row by row, as 0x00RRGGBB.
std::vector<unsigned> Grab(const RECT& rc);

// Real mouse input at a screen point.
void MouseMoveTo(int x, int y);
void MouseClick(int x, int y, bool right = false);
// Left button down at `from`, moved in two steps to `to`, released there.
void MouseDrag(POINT from, POINT to);

// Folder of the Windows build's programs (…\quillet\ beside …\tests\quillet\).
std::string ProgramPath();

}  // namespace striptest
