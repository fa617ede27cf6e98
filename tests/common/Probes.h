// What the opener leaves on screen, seen from the test: Explorer windows and the editor's
// selected key.
#pragma once
#include <windows.h>

#include <set>
#include <string>

namespace probes {

// Visible top-level windows of other processes, right now.
std::set<HWND> ForeignWindows();

// Waits up to timeoutMs for a visible top-level window of an explorer.exe process that is
// not in `before`; returns its title (ANSI), or "" when none came.
std::string WaitForNewExplorerWindow(const std::set<HWND>& before, DWORD timeoutMs);

// The running editor's status bar text (its selected key), or "" without an editor.
std::string EditorSelection();

// A folder under the prefix's system drive, made afresh: "C:\qbtests\<name>\".
std::string DriveFolder(const char* name);

}  // namespace probes
