#include "WinTest.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace wintest {

std::string A(const char* utf8) {
    int wn = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring w(wn, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &w[0], wn);
    int an = WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string a(an, '\0');
    WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, &a[0], an, nullptr, nullptr);
    if (!a.empty()) a.pop_back();
    return a;
}

std::string U(const std::string& ansi) {
    int wn = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), (int)ansi.size(), nullptr, 0);
    std::wstring w(wn, L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), (int)ansi.size(), &w[0], wn);
    int un = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), wn, nullptr, 0, nullptr, nullptr);
    std::string u(un, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), wn, &u[0], un, nullptr, nullptr);
    return u;
}

void PumpFor(DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        DWORD spent = GetTickCount() - start;
        if (spent >= ms) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent < 10 ? ms - spent : 10, QS_ALLINPUT);
    }
}

bool WaitUntil(const std::function<bool()>& pred, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (pred()) return true;
        if (GetTickCount() - start >= timeoutMs) return pred();
        PumpFor(10);
    }
}

std::string RigDir() {
    const char* rig = getenv("QB_RIG_DIR");
    if (!rig || !*rig) return std::string();
    std::string p = "Z:";
    for (const char* c = rig; *c; ++c) p += (*c == '/') ? '\\' : *c;
    if (p.back() != '\\') p += '\\';
    return p;
}

std::string ScratchDir(const char* name) {
    std::string base = RigDir();
    if (base.empty()) {
        char tmp[MAX_PATH];
        GetTempPathA(MAX_PATH, tmp);
        base = tmp;
    }
    std::string dir = base + "scratch\\";
    CreateDirectoryA(dir.c_str(), nullptr);
    dir += name;
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir + "\\";
}

bool ReadFileBytes(const std::string& path, std::string& out) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    out.clear();
    char buf[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(h, buf, sizeof buf, &got, nullptr) != FALSE) && got) out.append(buf, got);
    CloseHandle(h);
    return ok;
}

bool WriteFileBytes(const std::string& path, const std::string& data) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    BOOL ok = WriteFile(h, data.data(), (DWORD)data.size(), &put, nullptr);
    CloseHandle(h);
    return ok && put == data.size();
}

// --- MessageBoxWatcher -------------------------------------------------------------

MessageBoxWatcher::MessageBoxWatcher(int answer, DWORD pid) : m_answer(answer), m_pid(pid) {
    InitializeCriticalSection(&m_lock);
    m_thread = CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr);
}

MessageBoxWatcher::~MessageBoxWatcher() {
    InterlockedExchange(&m_stop, 1);
    if (m_thread) {
        WaitForSingleObject(m_thread, 5000);
        CloseHandle(m_thread);
    }
    DeleteCriticalSection(&m_lock);
}

std::vector<SeenBox> MessageBoxWatcher::Seen() {
    EnterCriticalSection(&m_lock);
    std::vector<SeenBox> copy = m_seen;
    LeaveCriticalSection(&m_lock);
    return copy;
}

void MessageBoxWatcher::SetAnswer(int answer) {
    EnterCriticalSection(&m_lock);
    m_answer = answer;
    LeaveCriticalSection(&m_lock);
}

DWORD WINAPI MessageBoxWatcher::ThreadProc(void* self) {
    static_cast<MessageBoxWatcher*>(self)->Run();
    return 0;
}

namespace {
struct FindCtx {
    DWORD pid;
    HWND found;
};
BOOL CALLBACK FindBox(HWND hwnd, LPARAM lp) {
    FindCtx* ctx = reinterpret_cast<FindCtx*>(lp);
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    // A message box has the static text 0xFFFF; other dialogs of the program are not ours.
    if (pid == ctx->pid && lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(hwnd) &&
        GetDlgItem(hwnd, 0xFFFF)) {
        ctx->found = hwnd;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

void MessageBoxWatcher::Run() {
    while (!m_stop) {
        FindCtx ctx{m_pid, nullptr};
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&ctx));
        if (ctx.found) {
            SeenBox box;
            char buf[1024] = {};
            GetWindowTextA(ctx.found, buf, sizeof buf);
            box.caption = buf;
            buf[0] = 0;
            GetDlgItemTextA(ctx.found, 0xFFFF, buf, sizeof buf);
            box.text = buf;
            EnterCriticalSection(&m_lock);
            m_seen.push_back(box);
            int answer = m_answer;
            LeaveCriticalSection(&m_lock);
            // Pressing the button the way a user would: BM_CLICK on the button itself.
            HWND button = GetDlgItem(ctx.found, answer);
            if (button)
                PostMessageA(button, BM_CLICK, 0, 0);
            else
                PostMessageA(ctx.found, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
            // Wait for that box to go before looking for the next one.
            for (int i = 0; i < 300 && IsWindow(ctx.found) && IsWindowVisible(ctx.found); ++i) Sleep(10);
        }
        Sleep(20);
    }
}

// --- ScratchKey ------------------------------------------------------------------------

ScratchKey::ScratchKey(const std::string& relative) {
    m_sub = "Software\\QbTests\\" + relative;
    m_path = "HKEY_CURRENT_USER\\" + m_sub;
    HKEY key = nullptr;
    m_ok = RegCreateKeyExA(HKEY_CURRENT_USER, m_sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                           nullptr) == ERROR_SUCCESS;
    if (key) RegCloseKey(key);
}

ScratchKey::~ScratchKey() { RegDeleteTreeA(HKEY_CURRENT_USER, m_sub.c_str()); }

// --- Screenshots -----------------------------------------------------------------------

bool SaveScreenshot(HWND hwnd, const std::string& path) {
    RECT rc;
    if (hwnd)
        GetWindowRect(hwnd, &rc);
    else
        SetRect(&rc, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
    GdiFlush();
    DWORD stride = ((w * 3 + 3) & ~3u);
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + stride * h;
    std::string data(reinterpret_cast<char*>(&fh), sizeof fh);
    data.append(reinterpret_cast<char*>(&bi.bmiHeader), sizeof bi.bmiHeader);
    data.append(static_cast<char*>(bits), stride * h);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return WriteFileBytes(path, data);
}

std::vector<DWORD> ScreenPixels(const RECT& rc) {
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0) return {};
    HDC screen = GetDC(nullptr), mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof bi.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
    GdiFlush();
    std::vector<DWORD> pixels(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + w * h);
    for (DWORD& p : pixels) p &= 0xFFFFFF;
    DeleteObject(SelectObject(mem, old));
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return pixels;
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

std::vector<int> FiguresAt96(const std::string& name, const std::vector<int>& figures) {
    const std::string path = RigDir() + "at96-" + name + ".txt";
    std::string text;
    if (ScreenDpi() == 96) {
        for (int f : figures) text += std::to_string(f) + ' ';
        WriteFileBytes(path, text);
        return figures;
    }
    std::vector<int> stored;
    if (!ReadFileBytes(path, text)) return stored;
    std::istringstream in(text);
    for (int f; in >> f;) stored.push_back(f);
    return stored;
}

}  // namespace wintest
