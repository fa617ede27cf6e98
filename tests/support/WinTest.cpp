#include "WinTest.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {
// A test program that crashes fails its test, whichever thread crashed. Left to the system's
// debugger, a crash ended the program with an exit code that was now and then 0: a pass.
LONG WINAPI ExitOnCrash(EXCEPTION_POINTERS* crash) {
    std::fprintf(stderr, "crashed: exception %08lx at %p\n", crash->ExceptionRecord->ExceptionCode,
                 crash->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}
const LPTOP_LEVEL_EXCEPTION_FILTER g_systemCrashFilter = SetUnhandledExceptionFilter(ExitOnCrash);
}  // namespace

namespace wintest {

std::string Ansi(const std::wstring& w) {
    std::string a(WideCharToMultiByte(CP_ACP, 0, w.data(), (int)w.size(), nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), (int)w.size(), &a[0], (int)a.size(), nullptr, nullptr);
    return a;
}

std::string A(const char* utf8) {
    std::wstring w(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &w[0], (int)w.size());
    return Ansi(w.c_str());
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

std::string BuildFile(const std::string& path) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string build = self;
    for (int up = 0; up < 3; ++up) build.erase(build.find_last_of('\\'));
    return build + "\\" + path;
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
    HANDLE h =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    out.clear();
    char buf[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(h, buf, sizeof buf, &got, nullptr) != FALSE) && got) out.append(buf, got);
    CloseHandle(h);
    return ok;
}

// CI once saw the file writer or the command runner fail at a step that cannot fail for a
// reason of the test's, and its log could not tell which: each tries again for as long as a
// test waits for what has to happen, and says on standard error what failed and with what.
static bool Retried(const char* what, const std::string& of, const std::function<bool()>& attempt) {
    if (attempt()) return true;
    std::fprintf(stderr, "%s: %s failed with error %lu, tried again\n", what, of.c_str(), GetLastError());
    if (WaitUntil(attempt, kWaitMs)) return true;
    std::fprintf(stderr, "%s: %s still failed with error %lu\n", what, of.c_str(), GetLastError());
    return false;
}

bool WriteFileBytes(const std::string& path, const std::string& data) {
    HANDLE h = INVALID_HANDLE_VALUE;
    if (!Retried("WriteFileBytes", path, [&] {
            h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            return h != INVALID_HANDLE_VALUE;
        }))
        return false;
    DWORD put = 0;
    BOOL ok = WriteFile(h, data.data(), (DWORD)data.size(), &put, nullptr);
    CloseHandle(h);
    return ok && put == data.size();
}

bool RunAndWait(std::string command, DWORD ms, const char* folder) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!Retried("RunAndWait", command, [&] {
            return CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder, &si, &pi) != FALSE;
        }))
        return false;
    const bool ended = WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0;
    if (!ended && ms) std::fprintf(stderr, "RunAndWait: %s still running after %lu ms\n", command.c_str(), ms);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ended;
}

// --- MessageBoxWatcher -------------------------------------------------------------

MessageBoxWatcher::MessageBoxWatcher(int answer, DWORD pid)
    : m_answer(answer), m_pid(pid), m_thread([this] { Run(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    m_stop = true;
    m_thread.join();
}

std::vector<SeenBox> MessageBoxWatcher::Seen() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_seen;
}

bool MessageBoxWatcher::WaitSeen(size_t count, DWORD ms) {
    return WaitUntil([&] { return Seen().size() >= count; }, ms);
}

bool MessageBoxWatcher::WaitAnswered(size_t count, DWORD ms) {
    return WaitUntil(
        [&] {
            std::lock_guard<std::mutex> hold(m_lock);
            return m_answered >= count;
        },
        ms);
}

void MessageBoxWatcher::SetAnswer(int answer) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_answer = answer;
}

void MessageBoxWatcher::Run() {
    while (!m_stop) {
        // A message box has the static text 0xFFFF; other dialogs of the program are not ours.
        HWND box = nullptr;
        for (DWORD pid = 0; (box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr;) {
            GetWindowThreadProcessId(box, &pid);
            if (pid == m_pid && IsWindowVisible(box) && GetDlgItem(box, 0xFFFF)) break;
        }
        if (box) {
            char caption[1024] = {}, text[1024] = {};
            GetWindowTextA(box, caption, sizeof caption);
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            int answer;
            {
                std::lock_guard<std::mutex> hold(m_lock);
                m_seen.push_back({caption, text, GetWindow(box, GW_OWNER)});
                answer = m_answer;
            }
            // Pressing the button the way a user would: BM_CLICK on the button itself. That
            // box is waited for until it goes, however long its program takes, so that it is
            // never seen twice; the press is made again now and then, should one be lost.
            HWND button = GetDlgItem(box, answer);
            for (int i = 0; !m_stop && IsWindow(box) && IsWindowVisible(box); ++i) {
                if (i % 200 == 0) {
                    if (button) PostMessageA(button, BM_CLICK, 0, 0);
                    else PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
                }
                Sleep(10);
            }
            std::lock_guard<std::mutex> hold(m_lock);
            ++m_answered;
        }
        Sleep(20);
    }
}

// --- Gate --------------------------------------------------------------------------------

Gate::Gate() : m_open(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

Gate::~Gate() {
    Open();
    Left(60000);
    for (HANDLE thread : m_threads) CloseHandle(thread);
    CloseHandle(m_open);
}

void Gate::Pass() {
    HANDLE self = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self, SYNCHRONIZE, FALSE, 0);
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_threads.push_back(self);
    }
    WaitForSingleObject(m_open, INFINITE);
}

bool Gate::Reached(size_t threads, DWORD ms) {
    return WaitUntil(
        [&] {
            std::lock_guard<std::mutex> hold(m_lock);
            return m_threads.size() >= threads;
        },
        ms);
}

void Gate::Open() { SetEvent(m_open); }

bool Gate::Left(DWORD ms) {
    std::vector<HANDLE> threads;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        threads = m_threads;
    }
    return WaitUntil(
        [&] {
            for (HANDLE thread : threads)
                if (thread && WaitForSingleObject(thread, 0) != WAIT_OBJECT_0) return false;
            return true;
        },
        ms);
}

// --- ScratchKey ------------------------------------------------------------------------

ScratchKey::ScratchKey(const std::string& relative) {
    m_sub = "Software\\QbTests\\" + relative;
    m_path = "HKEY_CURRENT_USER\\" + m_sub;
    HKEY key = nullptr;
    m_ok = RegCreateKeyExA(HKEY_CURRENT_USER, m_sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
           ERROR_SUCCESS;
    if (key) RegCloseKey(key);
}

ScratchKey::~ScratchKey() { RegDeleteTreeA(HKEY_CURRENT_USER, m_sub.c_str()); }

bool ScratchKey::SetValue(const std::string& name, const std::string& data) const {
    return RegSetKeyValueA(HKEY_CURRENT_USER, m_sub.c_str(), name.c_str(), REG_SZ, data.c_str(),
                           static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

// --- Screenshots -----------------------------------------------------------------------

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

// 32 bits a pixel, top row first: ScreenPixels' rows as they are.
bool SaveScreenshot(HWND hwnd, const std::string& path) {
    RECT rc;
    if (hwnd) GetWindowRect(hwnd, &rc);
    else SetRect(&rc, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    const std::vector<DWORD> pixels = ScreenPixels(rc);
    if (pixels.empty()) return false;
    BITMAPINFOHEADER bh = {sizeof bh, rc.right - rc.left, -(rc.bottom - rc.top), 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bh;
    fh.bfSize = fh.bfOffBits + pixels.size() * sizeof(DWORD);
    std::string data(reinterpret_cast<char*>(&fh), sizeof fh);
    data.append(reinterpret_cast<char*>(&bh), sizeof bh);
    data.append(reinterpret_cast<const char*>(pixels.data()), pixels.size() * sizeof(DWORD));
    return WriteFileBytes(path, data);
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
