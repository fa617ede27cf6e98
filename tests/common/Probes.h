// What the open flows leave on screen, seen from the tests: new Explorer windows.
#pragma once
#include <windows.h>

#include <set>
#include <string>

namespace probes {

std::set<HWND> ForeignWindows();  // visible top-level windows of other processes, right now
// The title of a titled window of explorer.exe not in `before` (ANSI), or "" if none comes in time.
std::string WaitForNewExplorerWindow(const std::set<HWND>& before, DWORD timeoutMs);
// "C:\qbtests\<name>\", made if missing: on the prefix's system drive Explorer titles it by its name.
std::string DriveFolder(const char* name);

}  // namespace probes
