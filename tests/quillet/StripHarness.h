// Runs the real Quillet.exe in a scratch folder of its own (so the shortcut file beside it,
// Quillet.ini, belongs to that run alone) and drives its strip from outside.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "WinTest.h"

namespace striptest {

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
    bool WaitExit(DWORD ms) const { return wintest::WaitUntil([&] { return !Running(); }, ms); }
    DWORD Pid() const { return m_pid; }

    HWND Strip() const { return m_strip; }
    HWND Item(int id) const { return GetDlgItem(m_strip, id); }
    HWND Picker() const { return Item(1002); }
    // A button's click, posted so that a dialog it opens does not block the test.
    void Press(int id) const { PostMessageA(m_strip, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)Item(id)); }
    bool Close(DWORD ms = 15000) const {
        Press(1014);
        return WaitExit(ms);
    }

    // Read with the W messages (the A ones come back as raw UTF-16 across processes under
    // Wine), returned in ANSI.
    static std::vector<std::string> ComboItems(HWND combo);
    std::vector<std::string> PickerItems() const { return ComboItems(Picker()); }
    int PickerSelection() const { return (int)SendMessageW(Picker(), CB_GETCURSEL, 0, 0); }

    // A visible top-level window of the program of class `cls` and, unless empty or null,
    // that text (ANSI) and owner; null when none appears in time.
    HWND WaitWindow(const char* cls, const std::string& text = {}, DWORD ms = 5000, HWND owner = nullptr) const;
    HWND WaitDialog(const std::string& caption, DWORD ms = 5000) const { return WaitWindow("#32770", caption, ms); }

private:
    std::string m_folder;
    HANDLE m_process = nullptr;
    DWORD m_pid = 0;
    HWND m_strip = nullptr;
};

// The shortcut editor dialog: fills location and name, then posts OK.
void FillShortcutDialog(HWND dlg, const std::string& location, const std::string& name);
std::string WindowText(HWND hwnd);  // ANSI, read with WM_GETTEXT (W) across processes

// Real mouse input at a screen point.
void MouseMoveTo(int x, int y);
void MouseClick(int x, int y, bool right = false);

}  // namespace striptest
