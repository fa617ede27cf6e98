// Driving modal dialogs of this process from a second thread, the way a user would,
// while the test thread sits in DoModal. The driver only records what it sees; the test
// thread checks it after the modal run (gtest's checks stay on one thread).
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Shortcut.h"

namespace drive {

// Runs `steps` on a thread of its own; Join waits for it. Whatever dialogs of this process
// are still open when the steps end are cancelled, so a failed step cannot hang the test.
class Driver {
public:
    explicit Driver(std::function<void()> steps);
    ~Driver();
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;
    void Join();

private:
    static DWORD WINAPI Run(void* self);
    std::function<void()> m_steps;
    HANDLE m_thread = nullptr;
};

// A visible top-level dialog (#32770) of this process with this ANSI caption.
HWND WaitDialog(const std::string& caption, DWORD timeoutMs = 5000);
// True when no such dialog shows up within the time.
bool NoDialog(const std::string& caption, DWORD timeoutMs = 600);
bool WaitGone(HWND hwnd, DWORD timeoutMs = 5000);
// A visible popup menu window (#32768) of this process.
HWND WaitMenu(DWORD timeoutMs = 5000);
// The texts of the items of the menu that window shows.
std::vector<std::string> MenuItems(HWND menuWindow);

// Rows of a list view as shortcuts: column 0 the name, column 1 the location.
std::vector<Shortcut> Rows(HWND list);
void SelectRow(HWND list, int row);  // -1 clears the selection
int SelectedRow(HWND list);
// Centre of a row, in the list's client coordinates; a point below the last row for -1.
POINT RowPoint(HWND list, int row);

// A button press as the dialog hears it (posted: the handler may run a nested dialog).
void Press(HWND dialog, int id);
// The editor of one shortcut: its two fields.
std::string FieldText(HWND dialog, int id);
// Sets both fields of the editor and presses OK.
void FillEditor(HWND editor, const std::string& location, const std::string& name);
// A key as the list's message loop receives it.
void PostKey(HWND hwnd, UINT vk);

}  // namespace drive
