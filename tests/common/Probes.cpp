#include "Probes.h"

#include <cstring>

#include "WinTest.h"

namespace probes {

std::set<HWND> ForeignWindows() {
    std::set<HWND> windows;
    EnumWindows([](HWND hwnd, LPARAM out) -> BOOL {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid != GetCurrentProcessId() && IsWindowVisible(hwnd)) reinterpret_cast<std::set<HWND>*>(out)->insert(hwnd);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

static bool IsExplorerWindow(HWND hwnd) {
    DWORD pid = 0, size = MAX_PATH;
    GetWindowThreadProcessId(hwnd, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    char image[MAX_PATH] = "";
    bool ok = process && QueryFullProcessImageNameA(process, 0, image, &size);
    if (process) CloseHandle(process);
    return ok && !lstrcmpiA(strrchr(image, '\\') ? strrchr(image, '\\') + 1 : image, "explorer.exe");
}

std::string WaitForNewExplorerWindow(const std::set<HWND>& before, DWORD timeoutMs) {
    char title[512] = "";
    wintest::WaitUntil([&] {
        for (HWND hwnd : ForeignWindows())  // an empty title: still being set up
            if (!before.count(hwnd) && IsExplorerWindow(hwnd) && GetWindowTextA(hwnd, title, sizeof(title))) return true;
        return false;
    }, timeoutMs);
    return title;
}

std::string DriveFolder(const char* name) {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    std::string folder = std::string(windows, 3) + "qbtests\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA((folder += name).c_str(), nullptr);
    return folder + "\\";
}

}  // namespace probes
