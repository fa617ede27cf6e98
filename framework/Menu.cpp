#include "Menu.h"

#include <utility>

CMenu& CMenu::operator=(CMenu&& o) noexcept {
    if (this != &o) {
        DestroyMenu();
        m_hMenu = std::exchange(o.m_hMenu, nullptr);
    }
    return *this;
}

bool CMenu::CreatePopupMenu() {
    DestroyMenu();
    m_hMenu = ::CreatePopupMenu();
    return m_hMenu != nullptr;
}

bool CMenu::AppendMenu(UINT flags, UINT_PTR idNewItem, const std::string& text) {
    const char* item = (flags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW)) ? nullptr : text.c_str();
    return m_hMenu && ::AppendMenuA(m_hMenu, flags, idNewItem, item);
}

int CMenu::TrackPopupMenu(UINT flags, int x, int y, HWND owner) {
    if (!m_hMenu) return 0;
    return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner, nullptr);
}

bool CMenu::DestroyMenu() {
    if (!m_hMenu) return false;
    ::DestroyMenu(m_hMenu);
    m_hMenu = nullptr;
    return true;
}

POINT ContextMenuPoint(HWND window, LPARAM lParam, const RECT& item) {
    POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (at.x != -1 || at.y != -1) return at;
    RECT client = {};
    GetClientRect(window, &client);
    at = {client.left, client.top};
    if (!IsRectEmpty(&item)) {
        at.x = item.left < client.left ? client.left : (item.left >= client.right ? client.right - 1 : item.left);
        at.y = item.bottom < client.top ? client.top : (item.bottom >= client.bottom ? client.bottom - 1 : item.bottom);
    }
    ClientToScreen(window, &at);
    return at;
}
