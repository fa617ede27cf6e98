#include "Probes.h"

#include <cctype>

#include "WinTest.h"

namespace probes {

namespace {

BOOL CALLBACK Collect(HWND hwnd, LPARAM param) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != GetCurrentProcessId() && IsWindowVisible(hwnd)) reinterpret_cast<std::set<HWND>*>(param)->insert(hwnd);
    return TRUE;
}

bool IsExplorerWindow(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return false;
    char image[MAX_PATH];
    DWORD size = MAX_PATH;
    bool ok = QueryFullProcessImageNameA(process, 0, image, &size);
    CloseHandle(process);
    if (!ok) return false;
    std::string name(image, size);
    size_t slash = name.find_last_of("\\/");
    name = name.substr(slash == std::string::npos ? 0 : slash + 1);
    for (char& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return name == "explorer.exe";
}

}  // namespace

std::set<HWND> ForeignWindows() {
    std::set<HWND> windows;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::string WaitForNewExplorerWindow(const std::set<HWND>& before, DWORD timeoutMs) {
    std::string title;
    wintest::WaitUntil(
        [&] {
            for (HWND hwnd : ForeignWindows()) {
                if (before.count(hwnd) || !IsExplorerWindow(hwnd)) continue;
                char text[512] = "";
                GetWindowTextA(hwnd, text, sizeof(text));
                if (!*text) continue;  // still being set up
                title = text;
                return true;
            }
            return false;
        },
        timeoutMs);
    return title;
}

std::string EditorSelection() {
    HWND editor = FindWindowA("RegEdit_RegEdit", nullptr);
    if (!editor) return std::string();
    HWND status = FindWindowExA(editor, nullptr, "msctls_statusbar32", nullptr);
    if (!status) return std::string();
    char text[1024] = "";
    SendMessageA(status, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    return text;
}

std::string DriveFolder(const char* name) {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    std::string root = std::string(windows, 3) + "qbtests\\";
    CreateDirectoryA(root.c_str(), nullptr);
    std::string folder = root + name + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

}  // namespace probes
