// Driving modal dialogs of this process from a second thread, the way a user would, while
// the test thread sits in DoModal. The steps only record what they see; the test thread
// checks it after the modal run (gtest's checks stay on one thread).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Shortcut.h"

namespace drive {

// A visible top-level window of this process of class `cls` (and this ANSI caption, unless
// empty), waited for up to timeoutMs. (FindWindowEx compares captions without sending a
// message to the window's thread, which may be waiting for this one.)
inline HWND WaitTop(const char* cls, const std::string& caption = "", DWORD timeoutMs = 5000) {
    for (DWORD start = GetTickCount();; Sleep(20)) {
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, cls, caption.empty() ? nullptr : caption.c_str()));) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == GetCurrentProcessId() && IsWindowVisible(w)) return w;
        }
        if (GetTickCount() - start >= timeoutMs) return nullptr;
    }
}
inline HWND WaitDialog(const std::string& caption, DWORD timeoutMs = 5000) {
    return WaitTop("#32770", caption, timeoutMs);
}
inline bool WaitGone(HWND hwnd, DWORD timeoutMs = 5000) {
    for (DWORD start = GetTickCount(); IsWindow(hwnd) && IsWindowVisible(hwnd); Sleep(20))
        if (GetTickCount() - start > timeoutMs) return false;
    return true;
}

// Runs `modal` on this thread and `steps` on a second one; whatever dialogs are still open
// when the steps end are cancelled, innermost first, so a failed step cannot hang the test.
inline int Run(const std::function<int()>& modal, const std::function<void()>& steps) {
    std::thread driver([&] {
        steps();
        HWND left;
        for (int round = 0; round < 20 && (left = WaitTop("#32770", "", 0)) != nullptr; ++round) {
            PostMessageA(left, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            WaitGone(left, 1000);
        }
    });
    int result = modal();
    driver.join();
    return result;
}

// A button press as the dialog hears it (posted: the handler may run a nested dialog).
inline void Press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
inline void PostKey(HWND hwnd, UINT vk) {
    PostMessageA(hwnd, WM_KEYDOWN, vk, 1);
    PostMessageA(hwnd, WM_KEYUP, vk, 0xC0000001);
}
inline std::string FieldText(HWND dialog, int id) {
    char text[1024] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}
// The shortcut editor: both fields (1016 location, 1017 name) set, then OK.
inline void FillEditor(HWND editor, const std::string& location, const std::string& name) {
    SetDlgItemTextA(editor, 1016, location.c_str());
    SetDlgItemTextA(editor, 1017, name.c_str());
    Press(editor, IDOK);
}

// Rows of a list view as shortcuts: column 0 the name, column 1 the location.
inline std::vector<Shortcut> Rows(HWND list) {
    std::vector<Shortcut> rows(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (size_t row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < 2; ++column) {
            char text[1024] = {};
            LVITEMA item = {};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
            (column == 0 ? rows[row].name : rows[row].location) = text;
        }
    }
    return rows;
}
inline void SelectRow(HWND list, int row) {  // -1 clears the selection
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    if (row >= 0) SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}
// Centre of a row in the list's client coordinates; for -1, a point on empty space below
// the rows.
inline POINT RowPoint(HWND list, int row) {
    RECT rc = {};
    rc.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_GETITEMRECT, row < 0 ? 0 : row, reinterpret_cast<LPARAM>(&rc));
    if (row >= 0) return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    return POINT{40, rc.top + (rows + 3) * (rc.bottom - rc.top)};
}
// The texts of the items of a shown popup menu window (#32768).
inline std::vector<std::string> MenuItems(HWND menuWindow) {
    std::vector<std::string> items;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        char text[256] = {};
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        items.push_back(text);
    }
    return items;
}

}  // namespace drive
