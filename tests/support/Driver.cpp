#include "Driver.h"

#include <commctrl.h>

#include <atomic>
#include <cctype>
#include <cstring>
#include <iterator>
#include <thread>

#include "quillet/resource.h"

namespace drive {

namespace {

void SendMouse(DWORD flags, int x, int y) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
}

// A block of the list's process's memory: list-view messages carry pointers that are not
// carried across processes.
class Block {
public:
    explicit Block(HWND hwnd) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (m_process) m_at = static_cast<char*>(VirtualAllocEx(m_process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
    }
    ~Block() {
        if (m_at) VirtualFreeEx(m_process, m_at, 0, MEM_RELEASE);
        if (m_process) CloseHandle(m_process);
    }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
    LPARAM Put(const LVITEMA& item) {
        WriteProcessMemory(m_process, m_at, &item, sizeof item, nullptr);
        return reinterpret_cast<LPARAM>(m_at);
    }
    char* Text() const { return m_at + 512; }
    std::string Read() const {
        char text[1024] = {};
        ReadProcessMemory(m_process, Text(), text, sizeof text - 1, nullptr);
        return text;
    }

private:
    HANDLE m_process = nullptr;
    char* m_at = nullptr;
};

}  // namespace

// Bounded: the window's thread may be waiting for this one.
std::string Text(HWND hwnd) {
    wchar_t w[1024] = {};
    DWORD_PTR got = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(w), SMTO_ABORTIFHUNG, wintest::kWaitMs, &got);
    return wintest::Ansi(w);
}

HWND WaitWindowWhere(DWORD pid, const std::function<bool(HWND)>& is, DWORD ms) {
    HWND found = nullptr;
    wintest::WaitUntil(
        [&] {
            for (found = GetTopWindow(nullptr); found; found = GetWindow(found, GW_HWNDNEXT)) {
                DWORD of = 0;
                GetWindowThreadProcessId(found, &of);
                if (of == pid && is(found)) return true;
            }
            return false;
        },
        ms);
    return found;
}

HWND WaitWindow(const char* cls, const std::string& text, DWORD ms, DWORD pid, HWND owner) {
    return WaitWindowWhere(
        pid,
        [&](HWND found) {
            char name[64] = {};
            GetClassNameA(found, name, sizeof name);
            return IsWindowVisible(found) && !lstrcmpiA(name, cls) && (text.empty() || Text(found) == text) &&
                   (!owner || GetWindow(found, GW_OWNER) == owner);
        },
        ms);
}

bool WaitGone(HWND hwnd, DWORD ms) {
    return wintest::WaitUntil([&] { return !IsWindow(hwnd) || !IsWindowVisible(hwnd); }, ms);
}

std::vector<std::string> ComboItems(HWND combo) {
    std::vector<std::string> items;
    for (LRESULT i = 0, n = SendMessageW(combo, CB_GETCOUNT, 0, 0); i < n; ++i) {
        std::wstring w(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) + 2, L'\0');  // CB_ERR: an empty item
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&w[0]));
        items.push_back(wintest::Ansi(w.c_str()));
    }
    return items;
}

void Press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void PostKey(HWND hwnd, UINT vk) {
    PostMessageA(hwnd, WM_KEYDOWN, vk, 1);
    PostMessageA(hwnd, WM_KEYUP, vk, 0xC0000001);
}

void FillEditor(HWND editor, const std::string& location, const std::string& name) {
    SendMessageA(GetDlgItem(editor, IDC_LOCATION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(location.c_str()));
    SendMessageA(GetDlgItem(editor, IDC_NAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    ToFront(editor);
    Key(VK_RETURN);  // in the location field: OK, the default button
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

bool ClickMiddle(HWND window) {
    RECT rc = {};
    if (!GetWindowRect(window, &rc) || !ToFront(GetAncestor(window, GA_ROOT))) return false;
    MouseClick((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    return true;
}

namespace {
void SendKey(UINT vk, bool up) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = static_cast<WORD>(vk);
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}
}  // namespace

void Key(UINT vk) { Chord({}, vk); }

void Chord(std::initializer_list<UINT> modifiers, UINT vk) {
    for (UINT m : modifiers) SendKey(m, false);
    SendKey(vk, false);
    SendKey(vk, true);
    for (auto m = std::rbegin(modifiers); m != std::rend(modifiers); ++m) SendKey(*m, true);
    wintest::PumpFor(30);
}

void Type(const std::string& ascii) {
    for (char c : ascii) {
        INPUT in[2] = {};
        for (INPUT& i : in) {
            i.type = INPUT_KEYBOARD;
            i.ki.wScan = static_cast<unsigned char>(c);
            i.ki.dwFlags = KEYEVENTF_UNICODE;
        }
        in[1].ki.dwFlags |= KEYEVENTF_KEYUP;
        SendInput(2, in, sizeof in[0]);
        wintest::PumpFor(10);
    }
}

bool ToFront(HWND hwnd) {
    return wintest::WaitUntil(
        [&] {
            if (GetForegroundWindow() != hwnd) SetForegroundWindow(hwnd);
            return GetForegroundWindow() == hwnd;
        },
        wintest::kWaitMs);
}

bool Tab(HWND window, bool back) {
    if (!IsWindow(window)) return false;
    const HWND was = Focus(window);
    back ? Chord({VK_SHIFT}, VK_TAB) : Key(VK_TAB);
    return wintest::WaitUntil([&] { return Focus(window) != was; }, wintest::kWaitMs);
}

bool Settle(HWND window) { return ToFront(window) && Tab(window); }

HWND Focus(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

UINT Mnemonic(HWND control) {
    const std::string text = Text(control);
    const size_t amp = text.find('&');
    return amp + 1 < text.size() ? static_cast<UINT>(toupper(static_cast<unsigned char>(text[amp + 1]))) : 0;
}

std::string AnswerBox(const std::string& caption, DWORD ms) {
    const HWND box = WaitDialog(caption, ms);
    if (!box) return "<no box>";
    const std::string text = Text(GetDlgItem(box, 0xFFFF));  // a message box's text
    Key(VK_RETURN);
    WaitGone(box);
    return text;
}

int Run(const std::function<int()>& modal, const std::function<void()>& steps) {
    std::thread driver([&] {
        steps();
        HWND left;
        for (int round = 0; round < 20 && (left = WaitDialog("", 0)) != nullptr; ++round) {
            Press(left, IDCANCEL);
            WaitGone(left);
        }
    });
    int result = modal();
    driver.join();
    return result;
}

int RunToExit(const std::function<int()>& loop, HWND frame, UINT exit, const std::function<void()>& steps) {
    return Run(loop, [&] {
        steps();
        PostMessageA(frame, WM_COMMAND, exit, 0);
    });
}

namespace {
UINT CallMessage() {
    static const UINT message = RegisterWindowMessageA("QbTestsCallOnWindowThread");
    return message;
}
// Sees every message the window's thread takes from its queue; runs the call that one carries.
LRESULT CALLBACK RunCall(int code, WPARAM removed, LPARAM lParam) {
    MSG* msg = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && removed == PM_REMOVE && msg->message == CallMessage()) {
        (*reinterpret_cast<const std::function<void()>*>(msg->lParam))();
        msg->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, removed, lParam);
}
}  // namespace

bool OnWindowThread(HWND window, const std::function<void()>& call, DWORD ms) {
    std::atomic<bool> ran{false};
    const std::function<void()> marked = [&] {
        call();
        ran = true;
    };
    const HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, RunCall, nullptr, GetWindowThreadProcessId(window, nullptr));
    const bool done = hook && PostMessageA(window, CallMessage(), 0, reinterpret_cast<LPARAM>(&marked)) &&
                      wintest::WaitUntil([&] { return ran.load(); }, ms);
    if (hook) UnhookWindowsHookEx(hook);
    return done;
}

std::vector<std::string> Rows(HWND list) {
    Block block(list);
    std::vector<std::string> rows(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (size_t row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < 2; ++column) {
            LVITEMA item = {};
            item.iSubItem = column;
            item.pszText = block.Text();
            item.cchTextMax = 1024;
            SendMessageA(list, LVM_GETITEMTEXTA, row, block.Put(item));
            rows[row] += column ? " = " + block.Read() : block.Read();
        }
    }
    return rows;
}

void SelectRow(HWND list, int row) {
    Block block(list);
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), block.Put(item));
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    if (row >= 0) SendMessageA(list, LVM_SETITEMSTATE, row, block.Put(item));
}

POINT RowPoint(HWND list, int row) {
    RECT rc = {};
    rc.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_GETITEMRECT, row < 0 ? 0 : row, reinterpret_cast<LPARAM>(&rc));
    if (row >= 0) return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    return POINT{40, rc.top + (rows + 3) * (rc.bottom - rc.top)};
}

std::vector<std::string> MenuItems(HWND menuWindow) {
    std::vector<std::string> items;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        char text[256] = {};
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        items.push_back(text);
    }
    return items;
}

HGLOBAL GlobalCopy(const void* bytes, size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block) {
        memcpy(GlobalLock(block), bytes, size);
        GlobalUnlock(block);
    }
    return block;
}

bool PutClipboard(std::initializer_list<ClipboardData> items) {
    static HWND owner = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    bool ok = true;
    for (const ClipboardData& item : items) {
        HGLOBAL block = GlobalCopy(item.bytes, item.size);
        ok = ok && block && SetClipboardData(item.format, block);
        if (block && !ok) GlobalFree(block);
    }
    CloseClipboard();
    return ok;
}

bool PutClipboardText(const std::string& ansi) { return PutClipboard({{CF_TEXT, ansi.c_str(), ansi.size() + 1}}); }
bool PutClipboardText(const std::wstring& text) {
    return PutClipboard({{CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t)}});
}

std::set<HWND> ForeignWindows() {
    std::set<HWND> windows;
    EnumWindows(
        [](HWND hwnd, LPARAM out) -> BOOL {
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            if (pid != GetCurrentProcessId() && IsWindowVisible(hwnd))
                reinterpret_cast<std::set<HWND>*>(out)->insert(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::string WaitForNewExplorerWindow(const std::set<HWND>& before, DWORD ms) {
    char title[512] = "";
    wintest::WaitUntil(
        [&] {
            for (HWND hwnd : ForeignWindows()) {
                DWORD pid = 0, size = MAX_PATH;
                GetWindowThreadProcessId(hwnd, &pid);
                HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
                char image[MAX_PATH] = "";
                bool explorer = process && QueryFullProcessImageNameA(process, 0, image, &size) &&
                                !lstrcmpiA(strrchr(image, '\\') ? strrchr(image, '\\') + 1 : image, "explorer.exe");
                if (process) CloseHandle(process);
                // An empty title: still being set up.
                if (!before.count(hwnd) && explorer && GetWindowTextA(hwnd, title, sizeof title)) return true;
            }
            return false;
        },
        ms);
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

bool TypeIntoNameBox(HWND dialog, const std::string& name) {
    const auto inNameBox = [&] {
        char cls[16] = {};
        const HWND focus = Focus(dialog);
        return ToFront(dialog) && IsChild(dialog, focus) && GetClassNameA(focus, cls, sizeof cls) &&
               !lstrcmpiA(cls, "Edit");
    };
    if (!dialog || !wintest::WaitUntil(inNameBox, wintest::kWaitMs)) return false;
    Type(name);
    if (!wintest::WaitUntil([&] { return Text(Focus(dialog)) == name; }, wintest::kWaitMs)) return false;
    Key(VK_RETURN);
    return true;
}

ClipboardHolder::ClipboardHolder() : m_letGo(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_thread = std::thread([this, held] {
        // Held by a window: Wine lets any caller without one share a windowless hold.
        HWND owner = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        OpenClipboard(owner);
        SetEvent(held);
        WaitForSingleObject(m_letGo, INFINITE);
        CloseClipboard();
        DestroyWindow(owner);
    });
    WaitForSingleObject(held, INFINITE);
    CloseHandle(held);
}

void ClipboardHolder::LetGo() {
    SetEvent(m_letGo);
    if (m_thread.joinable()) m_thread.join();
}

ClipboardHolder::~ClipboardHolder() {
    LetGo();
    CloseHandle(m_letGo);
}

HungViewer::HungViewer() : m_release(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    HANDLE joined = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_thread = std::thread([this, joined] {
        HWND hwnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        HWND next = SetClipboardViewer(hwnd);
        SetEvent(joined);
        WaitForSingleObject(m_release, INFINITE);
        ChangeClipboardChain(hwnd, next);
        DestroyWindow(hwnd);
    });
    WaitForSingleObject(joined, INFINITE);
    CloseHandle(joined);
}

HungViewer::~HungViewer() {
    SetEvent(m_release);
    m_thread.join();
    CloseHandle(m_release);
}

PROCESS_INFORMATION Launch(const std::string& exe, const std::string& arguments, const char* folder) {
    std::string command = "\"" + exe + "\" " + arguments;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder, &si, &pi);
    return pi;
}

bool EndSession() {
    bool windowless = true;
    EnumWindows(
        [](HWND hwnd, LPARAM windowless) {
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            if (pid == GetCurrentProcessId()) *reinterpret_cast<bool*>(windowless) = false;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windowless));
    return windowless && wintest::RunAndWait("wineboot.exe --end-session --shutdown", 2 * wintest::kWaitMs);
}

StripRun::StripRun(const char* scratchName) : m_folder(wintest::ScratchDir(scratchName)) {
    DeleteFileA(IniPath().c_str());
}

StripRun::~StripRun() {
    if (!m_process) return;
    if (Running()) TerminateProcess(m_process, 99);
    WaitForSingleObject(m_process, wintest::kWaitMs);
    CloseHandle(m_process);
}

bool StripRun::Start() {
    // The build's program, copied into the folder: a second strip of the folder finds it there, running.
    const std::string exe = m_folder + "Quillet.exe";
    if (!CopyFileA(wintest::BuildFile("quillet\\Quillet.exe").c_str(), exe.c_str(), FALSE) &&
        GetFileAttributesA(exe.c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    const PROCESS_INFORMATION pi = Launch(exe, {}, m_folder.c_str());
    if (!pi.hProcess) return false;
    CloseHandle(pi.hThread);
    m_process = pi.hProcess;
    m_pid = pi.dwProcessId;
    WaitForInputIdle(m_process, 2 * wintest::kWaitMs);
    // The strip: the program's dialog that holds the picker.
    wintest::WaitUntil([&] { return (m_strip = drive::WaitWindow("#32770", {}, 0, m_pid)) && Picker(); },
                       2 * wintest::kWaitMs);
    return m_strip && Picker();
}

HWND StripRun::Picker() const { return Item(IDC_PICKER); }

bool StripRun::Close(DWORD ms) const {
    Press(IDC_CLOSE);
    return WaitExit(ms);
}

}  // namespace drive
