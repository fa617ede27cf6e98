#include "StripHarness.h"

#include "WinTest.h"

namespace striptest {

std::string ProgramPath() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string p = self;
    // <build>\tests\quillet\<test>.exe -> <build>\quillet\Quillet.exe
    for (int up = 0; up < 3; ++up) p.erase(p.find_last_of('\\'));
    return p + "\\quillet\\Quillet.exe";
}

StripRun::StripRun(const char* scratchName) {
    m_folder = wintest::ScratchDir(scratchName);
    DeleteFileA(IniPath().c_str());
}

StripRun::~StripRun() {
    if (m_process) {
        if (WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT) {
            TerminateProcess(m_process, 99);
            WaitForSingleObject(m_process, 5000);
        }
        CloseHandle(m_process);
    }
}

bool StripRun::WriteIni(const std::string& bytes) const { return wintest::WriteFileBytes(IniPath(), bytes); }

std::string StripRun::ReadIni() const {
    std::string data;
    if (!wintest::ReadFileBytes(IniPath(), data)) data.clear();
    return data;
}

namespace {
struct FindCtx {
    DWORD pid;
    const char* cls;
    std::string caption;  // empty: any
    int childId;          // 0: any
    HWND found;
};

BOOL CALLBACK FindTop(HWND hwnd, LPARAM lp) {
    FindCtx* ctx = reinterpret_cast<FindCtx*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != ctx->pid || !IsWindowVisible(hwnd)) return TRUE;
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (lstrcmpiA(cls, ctx->cls) != 0) return TRUE;
    if (!ctx->caption.empty() && WindowText(hwnd) != ctx->caption) return TRUE;
    if (ctx->childId && !GetDlgItem(hwnd, ctx->childId)) return TRUE;
    ctx->found = hwnd;
    return FALSE;
}

HWND WaitTop(DWORD pid, const char* cls, const std::string& caption, int childId, DWORD timeoutMs) {
    FindCtx ctx{pid, cls, caption, childId, nullptr};
    wintest::WaitUntil(
        [&] {
            ctx.found = nullptr;
            EnumWindows(FindTop, reinterpret_cast<LPARAM>(&ctx));
            return ctx.found != nullptr;
        },
        timeoutMs);
    return ctx.found;
}
}  // namespace

bool StripRun::Start() {
    std::string exe = m_folder + "Quillet.exe";
    if (!CopyFileA(ProgramPath().c_str(), exe.c_str(), FALSE)) return false;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string cmd = "\"" + exe + "\"";
    if (!CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, m_folder.c_str(), &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    m_process = pi.hProcess;
    m_pid = pi.dwProcessId;
    WaitForInputIdle(m_process, 20000);
    m_strip = WaitTop(m_pid, "#32770", std::string(), 1002, 20000);
    return m_strip != nullptr;
}

bool StripRun::Running() const { return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT; }

bool StripRun::WaitExit(DWORD timeoutMs) const {
    return wintest::WaitUntil([&] { return !Running(); }, timeoutMs);
}

void StripRun::Press(int id) const {
    PostMessageA(m_strip, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
}

bool StripRun::Close(DWORD timeoutMs) const {
    Press(1014);
    return WaitExit(timeoutMs);
}

std::vector<std::string> StripRun::ComboItems(HWND combo) {
    std::vector<std::string> items;
    LRESULT n = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        LRESULT len = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
        std::wstring w(len > 0 ? len + 1 : 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&w[0]));
        w.resize(lstrlenW(w.c_str()));
        int an = WideCharToMultiByte(CP_ACP, 0, w.c_str(), (int)w.size(), nullptr, 0, nullptr, nullptr);
        std::string a(an, '\0');
        WideCharToMultiByte(CP_ACP, 0, w.c_str(), (int)w.size(), &a[0], an, nullptr, nullptr);
        items.push_back(a);
    }
    return items;
}

int StripRun::PickerSelection() const { return (int)SendMessageW(Picker(), CB_GETCURSEL, 0, 0); }

HWND StripRun::WaitDialog(const std::string& caption, DWORD timeoutMs) const {
    return WaitTop(m_pid, "#32770", caption, 0, timeoutMs);
}

HWND StripRun::WaitDroppedList(DWORD timeoutMs) const {
    return WaitTop(m_pid, "ComboLBox", std::string(), 0, timeoutMs);
}

HWND StripRun::WaitMenu(DWORD timeoutMs) const { return WaitTop(m_pid, "#32768", std::string(), 0, timeoutMs); }

std::string WindowText(HWND hwnd) {
    wchar_t w[1024] = {};
    SendMessageW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(w));
    char a[2048] = {};
    WideCharToMultiByte(CP_ACP, 0, w, -1, a, sizeof a, nullptr, nullptr);
    return a;
}

void FillShortcutDialog(HWND dlg, const std::string& location, const std::string& name) {
    SendMessageA(GetDlgItem(dlg, 1016), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(location.c_str()));
    SendMessageA(GetDlgItem(dlg, 1017), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
}

std::vector<unsigned> Grab(const RECT& rc) {
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    std::vector<unsigned> px;
    if (w <= 0 || h <= 0) return px;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
    GdiFlush();
    const unsigned* p = static_cast<const unsigned*>(bits);
    for (int i = 0; i < w * h; ++i) px.push_back(p[i] & 0xFFFFFF);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return px;
}

namespace {
void SendMouse(DWORD flags, int x, int y) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
}
}  // namespace

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

void MouseDrag(POINT from, POINT to) {
    MouseMoveTo(from.x, from.y);
    wintest::PumpFor(100);
    SendMouse(MOUSEEVENTF_LEFTDOWN, from.x, from.y);
    wintest::PumpFor(150);
    SendMouse(MOUSEEVENTF_MOVE, (from.x + to.x) / 2, (from.y + to.y) / 2);
    wintest::PumpFor(150);
    SendMouse(MOUSEEVENTF_MOVE, to.x, to.y);
    wintest::PumpFor(150);
    SendMouse(MOUSEEVENTF_LEFTUP, to.x, to.y);
    wintest::PumpFor(300);
}

}  // namespace striptest
