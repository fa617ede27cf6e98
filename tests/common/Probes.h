// What the open flows leave on screen, seen from the tests: new Explorer windows.
#pragma once
#include <windows.h>

#include <set>
#include <string>

namespace probes {

std::set<HWND> ForeignWindows();  // visible top-level windows of other processes, right now

// Waits up to timeoutMs for a titled window of an explorer.exe process that is not in
// `before`; returns its title (ANSI), or "" when none came.
std::string WaitForNewExplorerWindow(const std::set<HWND>& before, DWORD timeoutMs);

// A folder under the prefix's system drive, where Explorer shows it by its own name:
// "C:\qbtests\<name>\", made if missing.
std::string DriveFolder(const char* name);

}  // namespace probes
