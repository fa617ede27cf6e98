#include "StripHarness.h"

#include <functional>

namespace striptest {

namespace {
// A visible top-level window of the process that `match` accepts, once one appears.
HWND WaitTop(DWORD pid, const std::function<bool(HWND)>& match, DWORD timeoutMs) {
    HWND found = nullptr;
    auto scan = [&] {
        for (found = GetTopWindow(nullptr); found; found = GetWindow(found, GW_HWNDNEXT)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(found, &owner);
            if (owner == pid && IsWindowVisible(found) && match(found)) return true;
        }
        return false;
    };
    wintest::WaitUntil(scan, timeoutMs);
    return found;
}

bool IsClass(HWND hwnd, const char* cls) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return lstrcmpiA(name, cls) == 0;
}

std::string Ansi(const wchar_t* w) {
    std::string a(WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_ACP, 0, w, -1, &a[0], (int)a.size(), nullptr, nullptr);
    return a.c_str();
}

void SendMouse(DWORD flags, int x, int y) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
}
}  // namespace

StripRun::StripRun(const char* scratchName) : m_folder(wintest::ScratchDir(scratchName)) {
    DeleteFileA(IniPath().c_str());
}

StripRun::~StripRun() {
    if (!m_process) return;
    if (Running()) TerminateProcess(m_process, 99);
    WaitForSingleObject(m_process, 5000);
    CloseHandle(m_process);
}

bool StripRun::Start() {
    // <build>\tests\quillet\<test>.exe -> <build>\quillet\Quillet.exe, copied into the folder.
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string program = self;
    for (int up = 0; up < 3; ++up) program.erase(program.find_last_of('\\'));
    std::string exe = m_folder + "Quillet.exe", cmd = "\"" + exe + "\"";
    if (!CopyFileA((program + "\\quillet\\Quillet.exe").c_str(), exe.c_str(), FALSE)) return false;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, m_folder.c_str(), &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    m_process = pi.hProcess;
    m_pid = pi.dwProcessId;
    WaitForInputIdle(m_process, 20000);
    m_strip = WaitTop(m_pid, [](HWND h) { return IsClass(h, "#32770") && GetDlgItem(h, 1002); }, 20000);
    return m_strip != nullptr;
}

std::vector<std::string> StripRun::ComboItems(HWND combo) {
    std::vector<std::string> items;
    for (LRESULT i = 0, n = SendMessageW(combo, CB_GETCOUNT, 0, 0); i < n; ++i) {
        std::wstring w(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) + 2, L'\0');  // CB_ERR: an empty item
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&w[0]));
        items.push_back(Ansi(w.c_str()));
    }
    return items;
}

HWND StripRun::WaitWindow(const char* cls, const std::string& text, DWORD ms, HWND owner) const {
    auto match = [&](HWND h) {
        return IsClass(h, cls) && (text.empty() || WindowText(h) == text) &&
               (!owner || GetWindow(h, GW_OWNER) == owner);
    };
    return WaitTop(m_pid, match, ms);
}

std::string WindowText(HWND hwnd) {
    wchar_t w[1024] = {};
    SendMessageW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(w));
    return Ansi(w);
}

void FillShortcutDialog(HWND dlg, const std::string& location, const std::string& name) {
    SendMessageA(GetDlgItem(dlg, 1016), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(location.c_str()));
    SendMessageA(GetDlgItem(dlg, 1017), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
}

void MouseMoveTo(int x, int y) {
    SetCursorPos(x, y);
    SendMouse(MOUSEEVENTF_MOVE, x, y);
}

void MouseClick(int x, int y, bool right) {
    MouseMoveTo(x, y);
    wintest::PumpFor(50);
    SendMouse(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN, x, y);
    wintest::PumpFor(50);
    SendMouse(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP, x, y);
}

}  // namespace striptest
