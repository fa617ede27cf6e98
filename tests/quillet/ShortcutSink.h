// A hidden window that records every WM_SHORTCUT_ITEM it receives, in order: the far
// end of the Favorites import and of the strip's list queries in the tests.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Shortcut.h"

class ShortcutSink {
public:
    static constexpr UINT kItemMessage = WM_USER + 0x334;

    ShortcutSink();
    ~ShortcutSink();
    ShortcutSink(const ShortcutSink&) = delete;
    ShortcutSink& operator=(const ShortcutSink&) = delete;

    HWND Handle() const { return m_hwnd; }
    const std::vector<Shortcut>& Items() const { return m_items; }
    void Clear() { m_items.clear(); }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND m_hwnd = nullptr;
    std::vector<Shortcut> m_items;
};

// "name = location" lines, sorted, for comparing sets of rows in failure messages.
std::vector<std::string> Describe(const std::vector<Shortcut>& items, bool sorted);
