#include "StandIn.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "WinTest.h"

namespace standin {

namespace {
// Lines that do not have the four fields are skipped; a line still being written (no CR LF
// yet) is left for the next read.
std::vector<Event> ParseLog(const std::string& bytes) {
    std::vector<Event> out;
    size_t at = 0;
    for (;;) {
        size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) break;
        std::string line = bytes.substr(at, end - at);
        at = end + 2;
        size_t t1 = line.find('\t');
        size_t t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
        size_t t3 = t2 == std::string::npos ? t2 : line.find('\t', t2 + 1);
        if (t3 == std::string::npos) continue;
        Event e;
        char* stop = nullptr;
        std::string ms = line.substr(0, t1);
        e.ms = strtod(ms.c_str(), &stop);
        if (ms.empty() || *stop) continue;
        e.kind = line.substr(t1 + 1, t2 - t1 - 1);
        std::string code = line.substr(t2 + 1, t3 - t2 - 1);
        e.code = (unsigned)strtoul(code.c_str(), &stop, 16);
        if (code.empty() || *stop) continue;
        e.text = line.substr(t3 + 1);
        out.push_back(e);
    }
    return out;
}
}  // namespace

std::vector<Event> Keystrokes(const std::vector<Event>& events) {
    std::vector<Event> out;
    for (const Event& e : events)
        if (e.kind == "KEYDOWN" || e.kind == "CHAR") out.push_back(e);
    return out;
}

size_t Count(const std::vector<Event>& events, const char* kind) {
    size_t n = 0;
    for (const Event& e : events) n += e.kind == kind;
    return n;
}

size_t Walks(const std::vector<Event>& events) {
    size_t n = 0;
    for (const Event& e : events) n += e.kind == "KEYDOWN" && e.code == VK_HOME;
    return n;
}

std::vector<Sent>& Noted() {
    static std::vector<Sent> noted;
    return noted;
}

DWORD SendNoted(HWND tree, UINT message, WPARAM code) {
    const double went = NowMs();
    DWORD_PTR answer = 0;
    const bool taken = SendMessageTimeoutW(tree, message, code, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, 5000, &answer);
    Noted().push_back({went, NowMs()});
    return taken ? ERROR_SUCCESS : ERROR_TIMEOUT;
}

namespace {
std::string KeyName(unsigned vk) {  // the keys the navigator sends
    switch (vk) {
    case VK_LEFT: return "LEFT";
    case VK_RIGHT: return "RIGHT";
    case VK_HOME: return "HOME";
    }
    char buf[16];
    snprintf(buf, sizeof buf, "VK_%02X", vk);
    return buf;
}
}  // namespace

std::string Describe(const std::vector<Event>& keys) {
    std::string out;
    for (size_t i = 0; i < keys.size();) {
        if (!out.empty()) out += ' ';
        if (keys[i].kind == "CHAR") {
            std::wstring run;
            for (; i < keys.size() && keys[i].kind == "CHAR"; ++i) run += (wchar_t)keys[i].code;
            out += "'" + wintest::Ansi(run) + "'";
            continue;
        }
        size_t n = 0;
        unsigned vk = keys[i].code;
        for (; i < keys.size() && keys[i].kind == "KEYDOWN" && keys[i].code == vk; ++i) ++n;
        out += KeyName(vk);
        if (n > 1) out += "x" + std::to_string(n);
    }
    return out;
}

std::string FinalPath(const std::vector<Event>& keys) { return keys.empty() ? std::string() : keys.back().text; }

// --- ScopedEnv --------------------------------------------------------------------------

ScopedEnv::ScopedEnv(const char* name, const char* value) : m_name(name) {
    char buf[4096];
    DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
    m_had = n > 0 && n < sizeof buf;
    if (m_had) m_old.assign(buf, n);
    SetEnvironmentVariableA(name, value);
}

ScopedEnv::~ScopedEnv() { SetEnvironmentVariableA(m_name.c_str(), m_had ? m_old.c_str() : nullptr); }

// --- The editor's windows and processes -------------------------------------------------

HWND FindEditor() { return FindWindowA("RegEdit_RegEdit", nullptr); }
HWND ValueList(HWND editor) { return FindWindowExA(editor, nullptr, "SysListView32", nullptr); }

HWND KeyboardFocus(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

bool WaitHung(HWND editor) {
    return editor && wintest::WaitUntil(
                         [&] {
                             DWORD_PTR answer = 0;
                             return !SendMessageTimeoutA(editor, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &answer);
                         },
                         wintest::kWaitMs);
}

namespace {
std::vector<DWORD> EditorPids() {
    std::vector<DWORD> pids;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return pids;
    PROCESSENTRY32 pe = {};
    pe.dwSize = sizeof pe;
    for (BOOL ok = Process32First(snap, &pe); ok; ok = Process32Next(snap, &pe))
        if (lstrcmpiA(pe.szExeFile, "regedit.exe") == 0) pids.push_back(pe.th32ProcessID);
    CloseHandle(snap);
    return pids;
}

// Ends every regedit.exe process, with a window or without (the failure-path options), and
// waits until they are gone (bounded).
void EndEditors() {
    for (DWORD pid : EditorPids()) {
        HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (!p) continue;
        TerminateProcess(p, 0);
        WaitForSingleObject(p, wintest::kWaitMs);
        CloseHandle(p);
    }
    wintest::WaitUntil([] { return !FindEditor() && EditorPids().empty(); }, wintest::kWaitMs);
}
}  // namespace

int CountEditorProcesses() { return (int)EditorPids().size(); }

// --- Session ----------------------------------------------------------------------------

Session::Session(const char* name)
    : m_log(wintest::ScratchDir(name) + "editor.log"), m_env("QB_STANDIN_LOG", m_log.c_str()) {
    EndEditors();
    DeleteFileA(m_log.c_str());
}

Session::~Session() { EndEditors(); }

std::string Session::WaitAt(const std::string& want, DWORD ms) const {
    std::string path;
    wintest::WaitUntil([&] { return (path = FinalPath(Keys())) == want; }, ms);
    return path;
}

std::vector<Event> Session::WaitListed(const std::string& key, DWORD ms) const {
    std::vector<Event> all;
    const bool listed = wintest::WaitUntil(
        [&] {
            all = Events();
            const std::vector<Event> keys = Keystrokes(all);
            return std::any_of(all.begin(), all.end(), [&](const Event& e) {
                return e.kind == "LIST" && e.text == key && !keys.empty() && e.ms > keys.back().ms;
            });
        },
        ms);
    return listed ? all : std::vector<Event>();
}

Event Session::LastValue(const std::vector<Event>& events) {
    const auto last = std::find_if(events.rbegin(), events.rend(), [](const Event& e) { return e.kind == "VALUE"; });
    return last == events.rend() ? Event() : *last;
}

std::vector<Event> Session::Events() const {
    std::string bytes;
    wintest::ReadFileBytes(m_log, bytes);
    return ParseLog(bytes);
}

HWND Session::Start(int showCmd) {
    SHELLEXECUTEINFOA sei = {};
    sei.cbSize = sizeof sei;
    sei.fMask = SEE_MASK_NOCLOSEPROCESS;
    sei.lpVerb = "open";
    sei.lpFile = "regedit.exe";
    sei.nShow = showCmd;
    if (!ShellExecuteExA(&sei)) return nullptr;
    if (sei.hProcess) {
        WaitForInputIdle(sei.hProcess, wintest::kWaitMs);
        CloseHandle(sei.hProcess);
    }
    HWND found = nullptr;
    wintest::WaitUntil([&] { return (found = FindEditor()) != nullptr; }, wintest::kWaitMs);
    return found;
}

}  // namespace standin
