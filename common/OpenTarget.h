// The two ways a location text is opened: strictly (typed by the user, with a warning)
// or leniently (found on the clipboard, silent).
#pragma once
#include <windows.h>

// `owner`: the window that owns the warning here and the navigator's box.
bool OpenTarget(const char* text, HWND owner);
void OpenTargetLenient(const char* text, HWND owner);
// The strict flow's warning about a text that names neither a file nor a key nor a value.
void WarnNoTarget(HWND owner);
