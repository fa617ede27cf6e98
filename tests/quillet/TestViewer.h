// The clipboard as other programs use it: a well-behaved clipboard viewer of the tests' own
// (joins the chain, counts the change notifications, passes both chain messages on, can
// leave again), and putting text on the clipboard.
#pragma once
#include <windows.h>

#include <cstring>
#include <string>

class TestViewer {
public:
    TestViewer() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = WndProc;
        wc.lpszClassName = "QbTestViewer";
        RegisterClassA(&wc);  // a second registration fails harmlessly
        // A real top-level window (hidden): message-only windows cannot be viewers.
        m_hwnd = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~TestViewer() {
        Leave();
        DestroyWindow(m_hwnd);
    }
    TestViewer(const TestViewer&) = delete;
    TestViewer& operator=(const TestViewer&) = delete;

    void Join() {
        m_next = SetClipboardViewer(m_hwnd);
        m_joined = true;
    }
    void Leave() {
        if (m_joined) ChangeClipboardChain(m_hwnd, m_next);
        m_next = nullptr;
        m_joined = false;
    }
    HWND Next() const { return m_next; }
    int Draws() const { return m_draws; }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<TestViewer*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (!self || (msg != WM_DRAWCLIPBOARD && msg != WM_CHANGECBCHAIN))
            return DefWindowProcA(hwnd, msg, wParam, lParam);
        if (msg == WM_DRAWCLIPBOARD) ++self->m_draws;
        if (msg == WM_CHANGECBCHAIN && reinterpret_cast<HWND>(wParam) == self->m_next)
            self->m_next = reinterpret_cast<HWND>(lParam);
        else if (self->m_next)
            SendMessageA(self->m_next, msg, wParam, lParam);
        return 0;
    }
    HWND m_hwnd = nullptr, m_next = nullptr;
    bool m_joined = false;
    int m_draws = 0;
};

// Puts ANSI text on the clipboard as CF_TEXT, owned by a window of this thread.
inline bool PutClipboardText(const std::string& ansi) {
    static HWND owner = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, ansi.size() + 1);
    bool ok = false;
    if (block) {
        memcpy(GlobalLock(block), ansi.c_str(), ansi.size() + 1);
        GlobalUnlock(block);
        ok = SetClipboardData(CF_TEXT, block) != nullptr;
        if (!ok) GlobalFree(block);
    }
    CloseClipboard();
    return ok;
}
