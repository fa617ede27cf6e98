// The registry editor's windows, driven from outside: the bounded send every message to them
// goes by, and the value list (the list view beside the key tree), which is waited on until it
// shows the values of the key just selected in the tree and in which one of them is selected
// as a click on it would.
#pragma once
#include <windows.h>

#include <string>

// Hands one message to a window of the editor and waits at most a few seconds for it to be
// handled: ERROR_SUCCESS with the window's answer (when `answer` is not null), otherwise why
// not (ERROR_TIMEOUT: no answer in time; ERROR_ACCESS_DENIED: the system refused it). An
// editor the system already knows to be hung refuses at once.
DWORD SendToEditor(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer = nullptr);

// What the list holds once it shows the key: a row for the default value first, whether the
// default value is set or not, and one row for each named value.
struct ValueListTarget {
    size_t rows = 1;
    std::wstring name;  // the value to select, as the registry names it; empty: the default value
};

// Selects the target's row in `list`, alone, focused and scrolled into view, and gives the list
// the editor's keyboard focus. ERROR_SUCCESS when done; ERROR_NOT_FOUND when the list did not
// show the value in time; otherwise why the editor could not be driven (as SendToEditor).
DWORD SelectInValueList(HWND list, const ValueListTarget& target);
