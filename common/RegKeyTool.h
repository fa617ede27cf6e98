// Key paths against the live registry, and the registry-editor navigator.
#pragma once
#include <windows.h>

#include <string>

#include "Shortcut.h"

// Which program's rules apply where the two programs differ: the viewer's own
// GetFullKeyPath, its direct start of the editor and its message boxes. Each program names
// its rules where it makes the tool that opens keys: the toolbar's are the default, the
// viewer's view passes its own.
enum class EditorVariant { Quillet, Brindle };

// How the navigator hands one message to the editor's key tree: ERROR_SUCCESS when the tree
// took it, otherwise why not (ERROR_TIMEOUT: no answer in time; ERROR_ACCESS_DENIED: the
// system refused it). The programs use the bounded send of RegKeyTool.cpp; tests pass one
// that refuses, to play an editor of higher rights.
using EditorSendFn = DWORD (*)(HWND tree, UINT message, WPARAM code);

enum : unsigned { KP_ROOT = 1, KP_ROOTNAME = 2, KP_SUBKEY = 4, KP_PATH = 8 };

struct KeyPathParts {
    unsigned nWant = 0;       // which results to produce (KP_*), set by the caller
    HKEY hRoot = nullptr;     // KP_ROOT
    std::string strRootName;  // KP_ROOTNAME: long form with its backslash
    std::string strSubKey;    // KP_SUBKEY
    std::string strPath;      // KP_PATH
};

class CRegKeyTool {
public:
    // A null send means the bounded send of RegKeyTool.cpp.
    explicit CRegKeyTool(EditorVariant variant = EditorVariant::Quillet, EditorSendFn send = nullptr);
    virtual ~CRegKeyTool() = default;

    bool ParseKeyPath(std::string text, bool allowLeadingText, KeyPathParts& parts) const;
    bool IsValidKeyPath(const char* text, bool mustExist) const;
    // By the rules the tool was made with.
    bool GetFullKeyPath(const char* text, std::string& out) const;
    bool KeyPathToShortcut(const char* text, Shortcut& shortcut) const;
    bool OpenInRegEdit(const char* text) const;
    // Quillet's manager: every value of the Favorites key at keyPath whose type shares a
    // bit with typeMask and whose data holds a key path goes to target as one
    // WM_SHORTCUT_ITEM (wParam 0, lParam a Shortcut named after the value).
    bool ImportFavorites(const char* keyPath, DWORD typeMask, HWND target) const;
    // The window that owns the navigator's message boxes (none by default): the toolbar gives
    // itself, so that the box about an editor of higher rights comes up over the strip, at the
    // front, not behind the window a copy was made in.
    void SetOwner(HWND owner) { m_owner = owner; }

    // Both variants, explicitly.
    static bool GetFullKeyPathQuillet(const char* text, std::string& out);
    static bool GetFullKeyPathBrindle(const char* text, std::string& out);

private:
    EditorVariant m_variant;
    EditorSendFn m_send;
    HWND m_owner = nullptr;
};
