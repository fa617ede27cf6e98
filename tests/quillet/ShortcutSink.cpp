#include "ShortcutSink.h"

#include <algorithm>

#include "WinTest.h"

ShortcutSink::ShortcutSink() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QbShortcutSink";
    RegisterClassA(&wc);  // a second registration fails harmlessly
    m_hwnd = CreateWindowExA(0, "QbShortcutSink", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             wc.hInstance, nullptr);
    SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

ShortcutSink::~ShortcutSink() {
    if (m_hwnd) DestroyWindow(m_hwnd);
}

LRESULT CALLBACK ShortcutSink::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ShortcutSink*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg == kItemMessage && self) {
        if (wParam != 0 || !lParam) return -1;  // the import always sends 0 and a Shortcut
        self->m_items.push_back(*reinterpret_cast<const Shortcut*>(lParam));
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

std::vector<std::string> Describe(const std::vector<Shortcut>& items, bool sorted) {
    std::vector<std::string> lines;
    for (const Shortcut& s : items) lines.push_back(wintest::U(s.name) + " = " + wintest::U(s.location));
    if (sorted) std::sort(lines.begin(), lines.end());
    return lines;
}
