// Quillet's program messages and action codes: how the picker, its dropped list, the store
// and the manager talk to the strip. All are sent with SendMessage within the one thread,
// so the pointers they carry are valid only during the call. Handlers return 0 for done
// and -1 for not done.
#pragma once
#include <windows.h>

// wParam: the shortcut's id; lParam: const Shortcut*. Appends one shortcut to the receiver.
constexpr UINT WM_SHORTCUT_ITEM = WM_USER + 0x334;  // 0x734
// wParam: a picker position (lParam: Shortcut* to fill), or -1 (lParam: a window that is
// to receive one WM_SHORTCUT_ITEM per shortcut).
constexpr UINT WM_SHORTCUT_QUERY = WM_USER + 0x335;  // 0x735
// wParam: an action code below; lParam: a picker position or row (0 for add).
constexpr UINT WM_SHORTCUT_ACTION = WM_USER + 0x336;  // 0x736
// wParam: 0; lParam: a zero-terminated text in the shortcut file's layout that replaces
// the whole list.
constexpr UINT WM_SHORTCUT_REPLACE = WM_USER + 0x337;  // 0x737

constexpr int SHORTCUT_ACTION_ADD = 1;
constexpr int SHORTCUT_ACTION_EDIT = 2;
constexpr int SHORTCUT_ACTION_DELETE = 4;
constexpr int SHORTCUT_ACTION_OPEN = 8;
