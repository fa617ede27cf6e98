// Key paths against the live registry, and the navigator that types a key into the
// registry editor's tree. The text rules themselves are in KeyPathText.cpp.
#include "RegKeyTool.h"

#include <shellapi.h>

#include "CommonRes.h"
#include "CommonStrings.h"
#include "KeyPathText.h"
#include "Mbcs.h"
#include "ShellTool.h"
#include "WinHandle.h"

namespace {

const char kEditorProgram[] = "regedit.exe";
const char kEditorClass[] = "RegEdit_RegEdit";
const char kTreeClass[] = "SysTreeView32";

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

void ShowEditorError(UINT textId) {
    std::string text = LoadCommonString(textId);
    std::string caption = LoadCommonString(IDS_COMMON_CAPTION_ERROR);
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

// Starts the editor the way the viewer does: directly through the shell, waiting on whatever
// process handle comes back.
bool StartEditorDirect(CUniqueHandle& process) {
    SHELLEXECUTEINFOA sei = {};
    sei.cbSize = sizeof(sei);
    // No shell error box: the failure is told once, by our own message.
    sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    sei.lpVerb = "open";
    sei.lpFile = kEditorProgram;
    sei.nShow = SW_SHOWMAXIMIZED;
    if (!ShellExecuteExA(&sei)) return false;
    process = CUniqueHandle(sei.hProcess);
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

}  // namespace

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
    return g_editorVariant == EditorVariant::Brindle ? GetFullKeyPathBrindle(text, out)
                                                     : GetFullKeyPathQuillet(text, out);
}

bool CRegKeyTool::GetFullKeyPathQuillet(const char* text, std::string& out) {
    if (!text || !*text) return false;
    CRegKeyTool tool;
    KeyPathParts parts;
    parts.nWant = KP_ROOTNAME | KP_SUBKEY;
    if (!tool.ParseKeyPath(text, false, parts)) return false;
    if (parts.strRootName.empty() || parts.strSubKey.empty()) return false;
    // The long form is handed back even when the key turns out to be missing.
    out = parts.strRootName + parts.strSubKey;
    return tool.IsValidKeyPath(out.c_str(), true);
}

bool CRegKeyTool::GetFullKeyPathBrindle(const char* text, std::string& out) {
    if (!text || !*text) return false;
    ParsedKeyPath parsed;
    if (!ParseKeyPathUpper(text, parsed)) return false;
    if (!KeyExists(RootHandle(parsed.row), parsed.subKey)) return false;
    out = FullKeyPathText(parsed);
    return true;
}

bool CRegKeyTool::KeyPathToShortcut(const char* text, Shortcut& shortcut) const {
    if (!text || !*text) return false;
    return KeyPathTextToShortcut(text, shortcut.location, shortcut.name);
}

bool CRegKeyTool::OpenInRegEdit(const char* text) const {
    return OpenInRegEdit(text, g_editorVariant);
}

bool CRegKeyTool::OpenInRegEdit(const char* text, EditorVariant variant) {
    const bool viewer = variant == EditorVariant::Brindle;
    if (!text || !*text) return false;
    std::string path;
    if (!(viewer ? GetFullKeyPathBrindle(text, path) : GetFullKeyPathQuillet(text, path))) return false;
    // Keys are typed in upper case (ASCII letters only; double-byte characters stay whole).
    mbcs::MakeUpperAscii(path);

    HWND editor = FindWindowA(kEditorClass, nullptr);
    if (!editor) {
        // A running editor is never started a second time.
        CUniqueHandle process;
        if (viewer) {
            if (!StartEditorDirect(process)) {
                ShowEditorError(IDS_COMMON_RUN_EDITOR_FAILED);
                return false;
            }
        } else {
            CShellTool shell;
            process = CUniqueHandle(shell.RunProgram(kEditorProgram, SW_SHOWMAXIMIZED));
            if (!process) return false;
        }
        editor = WaitForEditorWindow(std::move(process));
        if (!editor) {
            if (viewer) ShowEditorError(IDS_COMMON_OPEN_EDITOR_FAILED);
            return false;
        }
    }

    // Maximising also restores a minimised editor.
    ShowWindow(editor, SW_SHOWMAXIMIZED);
    SetForegroundWindow(editor);

    HWND tree = FindWindowExA(editor, nullptr, kTreeClass, nullptr);
    if (!tree) {
        if (viewer) ShowEditorError(IDS_COMMON_INVALID_EDITOR);
        return false;
    }
    SetForegroundWindow(tree);
    SetFocus(tree);
    Sleep(kFocusPauseMs);

    // Fold everything, go to the top item and open it: the roots are now the visible items.
    for (int i = 0; i < kFoldKeystrokes; ++i) SendMessageA(tree, WM_KEYDOWN, VK_LEFT, 0);
    SendMessageA(tree, WM_KEYDOWN, VK_HOME, 0);
    SendMessageA(tree, WM_KEYDOWN, VK_RIGHT, 0);
    Sleep(kOpenKeyPauseMs);

    // Type each key name; a backslash opens the key selected so far. A double-byte character
    // goes as two WM_CHAR, first byte first, even when its second byte is 0x5C.
    for (size_t i = 0; i < path.size();) {
        size_t len = mbcs::CharLength(path, i);
        if (len == 1 && path[i] == '\\') {
            SendMessageA(tree, WM_KEYDOWN, VK_RIGHT, 0);
            Sleep(kOpenKeyPauseMs);
        } else {
            for (size_t k = 0; k < len; ++k)
                SendMessageA(tree, WM_CHAR, static_cast<unsigned char>(path[i + k]), 0);
        }
        i += len;
    }
    return true;
}
