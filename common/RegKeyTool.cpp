// Key paths against the live registry, and the navigator that types a key into the
// registry editor's tree. The text rules themselves are in KeyPathText.cpp.
#include "RegKeyTool.h"

#include <shellapi.h>

#include "CommonRes.h"
#include "CommonStrings.h"
#include "EditorWindows.h"
#include "KeyPathText.h"
#include "Mbcs.h"
#include "ShellTool.h"
#include "WinHandle.h"

namespace {

const char kEditorProgram[] = "regedit.exe";
const char kEditorClass[] = "RegEdit_RegEdit";
const char kTreeClass[] = "SysTreeView32";
const char kValueListClass[] = "SysListView32";

// A started editor gets this long to become ready for input. An editor that hangs, or one
// whose handle does not allow the wait (an elevated editor), must not freeze the caller.
constexpr DWORD kEditorIdleWaitMs = 10000;
// After that wait the editor's main window is looked for again for this long, in steps;
// some editors create their window a little after they first wait for input.
constexpr DWORD kEditorWindowWaitMs = 5000;
constexpr DWORD kEditorWindowPollMs = 100;

// The tree needs these pauses to settle after the focus change and to list the sub-keys
// of a key it has just opened, before the next name is typed.
constexpr DWORD kFocusPauseMs = 300;
constexpr DWORD kOpenKeyPauseMs = 200;
// More VK_LEFT than any path is deep: each folds a branch or climbs one level.
constexpr int kFoldKeystrokes = 50;
// Every message to the tree waits at most a few seconds (SendToEditor) and the walk ends at the
// first message not taken, so an editor that has stopped answering holds the caller for the
// focus pause and one limit, 5.3 s, and no more.

HKEY RootHandle(int row) {
    // Predefined roots are sign-extended 32-bit values on 64-bit Windows.
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(kRootKeyNames[row].handleValue)));
}

bool KeyExists(HKEY root, const std::string& subKey) {
    HKEY key = nullptr;
    if (RegOpenKeyA(root, subKey.c_str(), &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// A key given in the long form (as GetFullKeyPath writes it), opened to read its values; null
// when it cannot be.
HKEY OpenForValues(const std::string& fullPath) {
    ParsedKeyPath parsed;
    HKEY key = nullptr;
    if (!ParseKeyPathText(fullPath, false, parsed) ||
        RegOpenKeyExA(RootHandle(parsed.row), parsed.subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

// The value of that exact name ("" is the default value) is there.
bool HasValue(HKEY key, const std::string& name) {
    return RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// With an owner the box comes to the front: the call may come while another program is.
void ShowEditorError(UINT textId, HWND owner) {
    std::string text = LoadCommonString(textId);
    std::string caption = LoadCommonString(IDS_COMMON_CAPTION_ERROR);
    MessageBoxA(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR | (owner ? MB_SETFOREGROUND : 0));
}

// Starts the editor directly through the shell, waiting on whatever process handle comes back
// (EditorFailures::Told).
bool StartEditorDirect(CUniqueHandle& process) {
    HANDLE started = nullptr;
    if (!CShellTool::Start(kEditorProgram, SW_SHOWMAXIMIZED, started)) return false;
    process = CUniqueHandle(started);
    return true;
}

HWND WaitForEditorWindow(CUniqueHandle process) {
    if (process) WaitForInputIdle(process.Get(), kEditorIdleWaitMs);  // a refused wait goes on
    process.Close();
    DWORD start = GetTickCount();
    for (;;) {
        HWND editor = FindWindowA(kEditorClass, nullptr);
        if (editor || GetTickCount() - start >= kEditorWindowWaitMs) return editor;
        Sleep(kEditorWindowPollMs);
    }
}

DWORD SendKey(HWND tree, UINT message, WPARAM code) { return SendToEditor(tree, message, code, 0); }

// Fold everything, go to the top item and open it, so the roots are the visible items; then
// type each key name, a backslash opening the key selected so far (a double-byte character
// whose second byte is 0x5C is no backslash). Each character goes as one WM_CHAR in UTF-16,
// converted with the ANSI code page the path is written in: two ANSI WM_CHAR bytes would be
// joined with the code page of this thread's keyboard layout, which under an English layout
// makes two wrong characters of one Chinese one. Ends at the first message not taken, with
// the send's reason.
DWORD TypePath(HWND tree, const std::string& path, EditorSendFn send) {
    DWORD error = ERROR_SUCCESS;
    for (int i = 0; i < kFoldKeystrokes && !error; ++i) error = send(tree, WM_KEYDOWN, VK_LEFT);
    if (!error) error = send(tree, WM_KEYDOWN, VK_HOME);
    if (!error) error = send(tree, WM_KEYDOWN, VK_RIGHT);
    if (error) return error;
    Sleep(kOpenKeyPauseMs);
    for (size_t i = 0; i < path.size() && !error;) {
        const int len = static_cast<int>(mbcs::CharLength(path, i));
        if (len == 1 && path[i] == '\\') {
            error = send(tree, WM_KEYDOWN, VK_RIGHT);
            if (!error) Sleep(kOpenKeyPauseMs);
        } else {
            // One UTF-16 unit for a character of code page 936; two for a broken pair.
            wchar_t wide[2];
            const int count = MultiByteToWideChar(CP_ACP, 0, path.data() + i, len, wide, 2);
            if (count == 0) return GetLastError();
            for (int k = 0; k < count && !error; ++k) error = send(tree, WM_CHAR, wide[k]);
        }
        i += len;
    }
    return error;
}

}  // namespace

CRegKeyTool::CRegKeyTool(RootNamePlace rootName, EditorFailures failures, EditorSendFn send)
    : m_rootName(rootName), m_failures(failures), m_send(send ? send : SendKey) {}

bool CRegKeyTool::ParseKeyPath(std::string text, bool allowLeadingText, KeyPathParts& parts) const {
    ParsedKeyPath parsed;
    if (!ParseKeyPathText(std::move(text), allowLeadingText, parsed)) return false;
    parts.hRoot = (parts.nWant & KP_ROOT) ? RootHandle(parsed.row) : nullptr;
    parts.strRootName = (parts.nWant & KP_ROOTNAME) ? std::string(kRootKeyNames[parsed.row].longForm) : std::string();
    parts.strSubKey = (parts.nWant & KP_SUBKEY) ? parsed.subKey : std::string();
    parts.strPath = (parts.nWant & KP_PATH) ? parsed.path : std::string();
    return true;
}

bool CRegKeyTool::IsValidKeyPath(const char* text, bool mustExist) const {
    if (!text || !*text) return false;
    KeyPathParts parts;
    parts.nWant = KP_ROOT | KP_SUBKEY;
    if (!ParseKeyPath(text, false, parts) || parts.strSubKey.empty()) return false;
    if (!mustExist) return true;
    return KeyExists(parts.hRoot, parts.strSubKey);
}

bool CRegKeyTool::GetFullKeyPath(const char* text, std::string& out) const {
    if (!text || !*text) return false;
    if (m_rootName == RootNamePlace::AtStart) {
        // The parse and the existence test in one: `out` is written only for a key that exists.
        ParsedKeyPath parsed;
        if (!ParseKeyPathUpper(text, parsed)) return false;
        if (!KeyExists(RootHandle(parsed.row), parsed.subKey)) return false;
        out = FullKeyPathText(parsed);
        return true;
    }
    KeyPathParts parts;
    parts.nWant = KP_ROOTNAME | KP_SUBKEY;
    if (!ParseKeyPath(text, false, parts)) return false;
    if (parts.strRootName.empty() || parts.strSubKey.empty()) return false;
    // The long form is handed back even when the key turns out to be missing.
    out = parts.strRootName + parts.strSubKey;
    return IsValidKeyPath(out.c_str(), true);
}

bool CRegKeyTool::KeyPathToShortcut(const char* text, Shortcut& shortcut) const {
    if (!text || !*text) return false;
    return KeyPathTextToShortcut(text, shortcut.location, shortcut.name);
}

bool CRegKeyTool::OpenInRegEdit(const char* text) const {
    HWND editor = nullptr;
    return WalkToKey(text, editor);
}

bool CRegKeyTool::WalkToKey(const char* text, HWND& editor) const {
    const bool told = m_failures == EditorFailures::Told;
    if (!text || !*text) return false;
    std::string path;
    if (!GetFullKeyPath(text, path)) return false;
    // Keys are typed in upper case (ASCII letters only; double-byte characters stay whole).
    mbcs::MakeUpperAscii(path);

    editor = FindWindowA(kEditorClass, nullptr);
    if (!editor) {
        // A running editor is never started a second time.
        CUniqueHandle process;
        if (told) {
            if (!StartEditorDirect(process)) {
                ShowEditorError(IDS_COMMON_RUN_EDITOR_FAILED, m_owner);
                return false;
            }
        } else {
            CShellTool shell;
            process = CUniqueHandle(shell.RunProgram(kEditorProgram, SW_SHOWMAXIMIZED));
            if (!process) return false;
        }
        editor = WaitForEditorWindow(std::move(process));
        if (!editor) {
            if (told) ShowEditorError(IDS_COMMON_OPEN_EDITOR_FAILED, m_owner);
            return false;
        }
    }

    // Maximising also restores a minimised editor. Not waited for: a hung editor would hold
    // us here, and the pause below gives a live one time to do it.
    ShowWindowAsync(editor, SW_SHOWMAXIMIZED);
    // Refused when this program is not in the foreground (auto-open after a copy made in
    // another program): the system then flashes the editor's taskbar button instead. The keys
    // go to the tree directly, so the walk goes on (SetForegroundWindow, its remarks).
    SetForegroundWindow(editor);

    HWND tree = FindWindowExA(editor, nullptr, kTreeClass, nullptr);
    if (!tree) {
        if (told) ShowEditorError(IDS_COMMON_INVALID_EDITOR, m_owner);
        return false;
    }
    SetForegroundWindow(tree);
    SetFocus(tree);
    Sleep(kFocusPauseMs);

    const DWORD error = TypePath(tree, path, m_send);
    if (error != ERROR_SUCCESS) {
        // An editor of higher rights (started elevated) gets no message from us: the system
        // drops each one and the send fails with ERROR_ACCESS_DENIED (User Interface Privilege
        // Isolation, UIPI; SendMessage, its remarks). A quiet tool, silent about other failures
        // of the walk, tells this one: only the user can mend it.
        if (told) ShowEditorError(IDS_COMMON_OPEN_EDITOR_FAILED, m_owner);
        else if (error == ERROR_ACCESS_DENIED) ShowEditorError(IDS_COMMON_EDITOR_ELEVATED, m_owner);
        return false;
    }
    return true;
}

bool CRegKeyTool::OpenValueInRegEdit(const char* keyPath, const std::string& valueName) const {
    std::string full;
    if (!keyPath || !*keyPath || !GetFullKeyPath(keyPath, full)) return false;
    // What the list is to show, read before the walk: how many rows, and whether the value is
    // there at all (the default value always has its row).
    ValueListTarget target;
    bool there = false;
    if (HKEY key = OpenForValues(full)) {
        DWORD values = 0;
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                         nullptr);
        target.rows = 1 + values - (HasValue(key, "") ? 1 : 0);
        there = valueName.empty() || HasValue(key, valueName);
        RegCloseKey(key);
    }
    // The list is a Unicode window: the name goes in UTF-16, converted with the code page it is written in.
    if (there && !valueName.empty()) {
        const int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, valueName.data(),
                                          static_cast<int>(valueName.size()), nullptr, 0);
        target.name.resize(static_cast<size_t>(n > 0 ? n : 0));
        there = n > 0 && MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, valueName.data(),
                                             static_cast<int>(valueName.size()), &target.name[0], n) == n;
    }
    HWND editor = nullptr;
    if (!WalkToKey(keyPath, editor) || !there) return false;  // a value that is not there: the editor stays at its key
    HWND list = FindWindowExA(editor, nullptr, kValueListClass, nullptr);
    return list && SelectInValueList(list, target) == ERROR_SUCCESS;
}

bool CRegKeyTool::SplitValueLocation(const char* text, std::string& keyPath, std::string& valueName) const {
    if (!text || !*text || IsValidKeyPath(text, true)) return false;  // a key of that name wins
    ParsedKeyPath parsed;
    if (!ParseKeyPathText(text, false, parsed)) return false;
    // Only the last part can be a value's name, so such a name holds no backslash; an empty last
    // part is a key path's own trailing backslash, not the default value.
    const size_t sep = mbcs::FindLastChar(parsed.subKey, '\\');
    if (sep == mbcs::npos || sep + 1 == parsed.subKey.size()) return false;
    const std::string name = parsed.subKey.substr(sep + 1), full = FullKeyPathText(parsed);
    const std::string key = full.substr(0, full.size() - name.size() - 1);
    HKEY opened = OpenForValues(key);
    const bool there = opened && HasValue(opened, name);
    if (opened) RegCloseKey(opened);
    if (!there) return false;
    keyPath = key;
    valueName = name;
    return true;
}

bool CRegKeyTool::LocationExists(const char* text) const {
    std::string key, name;
    return IsValidKeyPath(text, true) || SplitValueLocation(text, key, name);
}

bool CRegKeyTool::OpenLocationInRegEdit(const char* text) const {
    std::string key, name;
    if (SplitValueLocation(text, key, name)) return OpenValueInRegEdit(key.c_str(), name);
    return OpenInRegEdit(text);
}
