// Key paths against the live registry, and the registry-editor navigator.
#pragma once
#include <windows.h>

#include <string>

#include "Shortcut.h"

// Where the two programs' ways of opening a key differ, named for what each does. Each program
// chooses where it makes the tool that opens keys: the strip takes the defaults, the viewer's
// view passes its own.
//
// Where a key path's root name may stand. Typed, pasted and stored paths may carry blanks
// before it, and their key names keep the letter case they were written in. A viewer's line
// is a link only when it is a key path as a whole, so there the root name must be its first
// byte, and the path is taken upper-cased.
enum class RootNamePlace { AfterBlanks, AtStart };
// How the navigator tells that the editor could not be started, found or typed into.
// Quiet: only an editor of higher rights is told (the user alone can mend that), and a start
// that gives no process to wait on counts as failed. Told: every such failure in a message
// box, since a click on a link shows nothing else; the editor is started through the shell
// directly and waited on only if it gives a process.
enum class EditorFailures { Quiet, Told };

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
    explicit CRegKeyTool(RootNamePlace rootName = RootNamePlace::AfterBlanks,
                         EditorFailures failures = EditorFailures::Quiet, EditorSendFn send = nullptr);
    virtual ~CRegKeyTool() = default;

    bool ParseKeyPath(std::string text, bool allowLeadingText, KeyPathParts& parts) const;
    bool IsValidKeyPath(const char* text, bool mustExist) const;
    // Where the tool was told its root name may stand (RootNamePlace).
    bool GetFullKeyPath(const char* text, std::string& out) const;
    bool KeyPathToShortcut(const char* text, Shortcut& shortcut) const;
    bool OpenInRegEdit(const char* text) const;
    // Opens the editor at the key keyPath (any form OpenInRegEdit takes) and then selects one of
    // its values in the editor's value list, as a click on it would: `valueName` is the value's
    // exact name in the registry, in the ANSI code page, "" for the default value. True once
    // the value is selected; a value that is not there leaves the editor at its key, and false.
    bool OpenValueInRegEdit(const char* keyPath, const std::string& valueName) const;

    // A location (typed, stored or pasted, read by the rules of RootNamePlace::AfterBlanks) may
    // name a value instead of a key: its last part the name of a value of the existing key
    // before it, the location itself no existing key (a key of that name wins). So such a name
    // holds no backslash, and the default value cannot be named. On success, the key's long
    // form and the value's name.
    bool SplitValueLocation(const char* text, std::string& keyPath, std::string& valueName) const;
    // An existing key (IsValidKeyPath with the existence test), or a location naming a value.
    bool LocationExists(const char* text) const;
    // A location naming a value opens with it selected; anything else goes to OpenInRegEdit.
    bool OpenLocationInRegEdit(const char* text) const;

    // The strip's manager alone, so defined in quillet/FavoritesImport.cpp: every value of the
    // Favorites key at keyPath whose type shares a bit with typeMask and whose data holds a key
    // path goes to target as one WM_SHORTCUT_ITEM (wParam 0, lParam a Shortcut named after the
    // value).
    bool ImportFavorites(const char* keyPath, DWORD typeMask, HWND target) const;
    // The window that owns the navigator's message boxes (none by default): the toolbar gives
    // itself, so that the box about an editor of higher rights comes up over the strip, at the
    // front, not behind the window a copy was made in.
    void SetOwner(HWND owner) { m_owner = owner; }

private:
    // OpenInRegEdit's walk; `editor` is the editor's main window once one was found or started.
    bool WalkToKey(const char* text, HWND& editor) const;

    RootNamePlace m_rootName;
    EditorFailures m_failures;
    EditorSendFn m_send;
    HWND m_owner = nullptr;
};
