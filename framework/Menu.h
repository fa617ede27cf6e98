// Menu handle, owned (destroyed with the object unless detached).
#pragma once
#include <windows.h>

#include <string>

class CMenu {
public:
    CMenu() = default;
    ~CMenu() { DestroyMenu(); }
    CMenu(CMenu&& o) noexcept : m_hMenu(o.m_hMenu) { o.m_hMenu = nullptr; }
    CMenu& operator=(CMenu&& o) noexcept;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU m_hMenu = nullptr;
    operator HMENU() const { return m_hMenu; }

    bool CreatePopupMenu();
    bool AppendMenu(UINT flags, UINT_PTR idNewItem = 0, const std::string& text = std::string());
    // TrackPopupMenu; with TPM_RETURNCMD the chosen id (0 for none), else a truth value.
    // The command is sent to `owner` as WM_COMMAND.
    int TrackPopupMenu(UINT flags, int x, int y, HWND owner);
    bool DestroyMenu();
};

// Where WM_CONTEXTMENU's menu opens, in screen coordinates. From the keyboard (Shift+F10,
// the menu key) the message carries no point, only (-1, -1): the menu then opens at
// `item`, the rectangle of what it acts on in `window`'s client coordinates (its lower
// left corner, kept inside the client area); with an empty rectangle at the client
// area's top left corner.
POINT ContextMenuPoint(HWND window, LPARAM lParam, const RECT& item);
