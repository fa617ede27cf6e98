// A hidden window that records every shortcut message (WM_USER + 0x334) it receives, in
// order, with the id it came with: the far end of the store's SendAll and of the import.
#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "Shortcut.h"
#include "WinTest.h"

class ShortcutSink {
public:
    ShortcutSink() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = "QbShortcutSink";
        RegisterClassA(&wc);  // a second registration fails harmlessly
        m_hwnd = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ShortcutSink() { DestroyWindow(m_hwnd); }
    ShortcutSink(const ShortcutSink&) = delete;
    ShortcutSink& operator=(const ShortcutSink&) = delete;

    HWND Handle() const { return m_hwnd; }
    // "id: name = location" per message, in UTF-8 for readable failures.
    std::vector<std::string> items;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<ShortcutSink*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (msg != WM_USER + 0x334 || !self || !lp) return DefWindowProcA(hwnd, msg, wp, lp);
        auto* s = reinterpret_cast<const Shortcut*>(lp);
        self->items.push_back(std::to_string(wp) + ": " + wintest::U(s->name) + " = " + wintest::U(s->location));
        return 0;
    }
    HWND m_hwnd = nullptr;
};
